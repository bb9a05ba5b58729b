#include "ui/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {

namespace {

class QtMessageService : public MessageService {
public:
    MsgAnswer show(const QString& title, const QString& text, MsgIcon icon,
                   MsgButtons buttons) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title);
        box.setText(text);
        switch (icon) {
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        }
        if (buttons == MsgButtons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgAnswer::Ok;
    }
};

MessageService* installed = nullptr;

} // namespace

MessageService& messageService() {
    static QtMessageService real;
    return installed ? *installed : real;
}

void setMessageService(MessageService* service) {
    installed = service;
}

MsgAnswer message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) {
    return messageService().show(title, text, icon, buttons);
}

} // namespace ui
