#include "ui/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {

namespace {

MsgAnswer messageBox(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) {
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

MessageHandler& installed() {
    static MessageHandler handler;
    return handler;
}

} // namespace

void setMessageHandler(MessageHandler handler) {
    installed() = std::move(handler);
}

MsgAnswer message(const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) {
    const MessageHandler& handler = installed();
    return handler ? handler(title, text, icon, buttons) : messageBox(title, text, icon, buttons);
}

} // namespace ui
