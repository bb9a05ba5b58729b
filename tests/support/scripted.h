#pragma once

#include "ui/messages.h"
#include "ui/modal.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

// Records every message box and answers from a queue (OK, or No for a question, when empty).
class ScriptedMessages {
public:
    struct Shown {
        QString title;
        QString text;
        ui::MsgIcon icon;
        ui::MsgButtons buttons;
    };

    ScriptedMessages() {
        ui::setMessageHandler(
            [this](const QString& title, const QString& text, ui::MsgIcon icon,
                   ui::MsgButtons buttons) { return showMessage(title, text, icon, buttons); });
    }
    ~ScriptedMessages() { ui::setMessageHandler({}); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    ui::MsgAnswer showMessage(const QString& title, const QString& text, ui::MsgIcon icon,
                              ui::MsgButtons buttons);

    void answer(ui::MsgAnswer next) { answers.push_back(next); }
    QStringList texts() const;
    // Each message as "title|icon|buttons|text", icon and buttons by name.
    QStringList boxes() const;
    void clear() { shown.clear(); }

    std::vector<Shown> shown;
    std::deque<ui::MsgAnswer> answers;
};

// Drives modal windows: each queued step receives the dialog and returns its result. With
// nothing queued the window is closed unseen (QDialog::Rejected).
class ScriptedModal : public ui::ModalDisplay {
public:
    using Step = std::function<int(QDialog&)>;

    ScriptedModal() { ui::setModalDisplay(this); }
    ~ScriptedModal() override { ui::setModalDisplay(nullptr); }

    int exec(QDialog& dialog) override;
    void then(Step step) { steps.push_back(std::move(step)); }
    // A step for a window of that class; the window's own result is returned.
    template <typename Window> void thenOn(std::function<void(Window&)> step) {
        then([step = std::move(step)](QDialog& dialog) {
            step(dynamic_cast<Window&>(dialog));
            return dialog.result();
        });
    }

    std::deque<Step> steps;
    QStringList shown; // object names of the windows shown, in order
};
