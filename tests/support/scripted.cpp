#include "support/scripted.h"

#include <QDialog>

ui::MsgAnswer ScriptedMessages::showMessage(const QString& title, const QString& text,
                                            ui::MsgIcon icon, ui::MsgButtons buttons) {
    shown.push_back({title, text, icon, buttons});
    if (!answers.empty()) {
        const ui::MsgAnswer next = answers.front();
        answers.pop_front();
        return next;
    }
    return buttons == ui::MsgButtons::YesNo ? ui::MsgAnswer::No : ui::MsgAnswer::Ok;
}

QStringList ScriptedMessages::texts() const {
    QStringList all;
    for (const Shown& s : shown)
        all << s.text;
    return all;
}

QStringList ScriptedMessages::boxes() const {
    static const char* const icons[] = {"Information", "Question", "Critical"};
    QStringList all;
    for (const Shown& s : shown)
        all << QStringLiteral("%1|%2|%3|%4")
                   .arg(s.title, QLatin1String(icons[int(s.icon)]),
                        QLatin1String(s.buttons == ui::MsgButtons::Ok ? "Ok" : "YesNo"), s.text);
    return all;
}

int ScriptedModal::exec(QDialog& dialog) {
    shown << dialog.objectName();
    if (steps.empty())
        return QDialog::Rejected;
    Step step = std::move(steps.front());
    steps.pop_front();
    return step(dialog);
}
