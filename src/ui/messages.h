#pragma once

#include <QString>

class QWidget;

namespace ui {

enum class MsgIcon { Information, Question, Critical };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// Every message box goes through here, so tests can read what was asked and answer it.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer show(const QString& title, const QString& text, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

// The service in use: QMessageBox unless a test installed its own (nullptr restores it).
MessageService& messageService();
void setMessageService(MessageService* service);

MsgAnswer message(const QString& title, const QString& text, MsgIcon icon = MsgIcon::Information,
                  MsgButtons buttons = MsgButtons::Ok);

} // namespace ui
