#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace ui {

enum class MsgIcon { Information, Question, Critical };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// Every message box goes through here, so tests and the screenshot scenes can read what was asked
// and answer it. A function rather than an interface: the layer above hands one in, and nothing
// here calls up into it by name.
using MessageHandler = std::function<MsgAnswer(const QString& title, const QString& text,
                                               MsgIcon icon, MsgButtons buttons)>;

// QMessageBox unless a handler is installed; an empty one restores it.
void setMessageHandler(MessageHandler handler);

MsgAnswer message(const QString& title, const QString& text, MsgIcon icon = MsgIcon::Information,
                  MsgButtons buttons = MsgButtons::Ok);

} // namespace ui
