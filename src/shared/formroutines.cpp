#include "shared/formroutines.h"

#include "data/datetext.h"
#include "ui/messages.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace {

bool isInnerEditor(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return parent && (qobject_cast<const QComboBox*>(parent) ||
                      qobject_cast<const QAbstractSpinBox*>(parent));
}

enum class ControlKind { TextBox, ComboBox, CheckBox, OptionButton, Other };

ControlKind kindOf(const QWidget* widget) {
    if (qobject_cast<const QComboBox*>(widget))
        return ControlKind::ComboBox;
    if ((qobject_cast<const QLineEdit*>(widget) && !isInnerEditor(widget)) ||
        qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget))
        return ControlKind::TextBox;
    if (qobject_cast<const QCheckBox*>(widget))
        return ControlKind::CheckBox;
    if (qobject_cast<const QRadioButton*>(widget))
        return ControlKind::OptionButton;
    return ControlKind::Other;
}

QString textOf(const QWidget* widget) {
    if (auto* line = qobject_cast<const QLineEdit*>(widget))
        return line->text();
    if (auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
        return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(widget))
        return rich->toPlainText();
    return {};
}

// A check box's value is 0, 1 or 2; an option button's is True (-1) or False (0).
int valueOf(const QWidget* widget) {
    if (auto* check = qobject_cast<const QCheckBox*>(widget))
        return check->checkState() == Qt::Checked            ? 1
               : check->checkState() == Qt::PartiallyChecked ? 2
                                                             : 0;
    if (auto* option = qobject_cast<const QRadioButton*>(widget))
        return option->isChecked() ? -1 : 0;
    return 0;
}

} // namespace

void EnterAsTab(int& keyAscii) {
    if (keyAscii != 13)
        return;
    QWidget* focus = QApplication::focusWidget();
    QWidget* window = focus ? focus->window() : QApplication::activeWindow();
    if (!window)
        return;
    // The next control in tab order that can take the focus.
    QWidget* start = focus ? focus : window;
    for (QWidget* next = start->nextInFocusChain(); next && next != start;
         next = next->nextInFocusChain()) {
        if (next->window() == window && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
            next->isVisibleTo(window) && !next->focusProxy()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

bool fnCheckMandatory(QWidget* control, const QString& message, const QString& title) {
    if (!textOf(control).trimmed().isEmpty())
        return true;
    ui::message(title, message, ui::MsgIcon::Information, ui::MsgButtons::Ok);
    control->setFocus(Qt::OtherFocusReason);
    return false;
}

void SetControlTags(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        switch (kindOf(control)) {
        case ControlKind::TextBox:
        case ControlKind::ComboBox:
            control->setProperty(kTagProperty, textOf(control));
            break;
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            control->setProperty(kTagProperty, QString::number(valueOf(control)));
            break;
        case ControlKind::Other:
            break;
        }
    }
}

bool fnFormChanged(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QString tag = control->property(kTagProperty).toString();
        switch (kindOf(control)) {
        case ControlKind::TextBox:
        case ControlKind::ComboBox:
            if (tag.trimmed() != textOf(control).trimmed())
                return true;
            break;
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            if (valueOf(control) != static_cast<int>(data::leadingNumber(tag)))
                return true;
            break;
        case ControlKind::Other:
            break;
        }
    }
    return false;
}

QString RegisterCellText(const QVariant& value, int column) {
    if (column == 2 && !value.isNull()) {
        const QDate date = data::dateOf(value);
        if (date.isValid())
            return data::dateText(date);
    }
    return data::textOf(value);
}

void fillCombo(QComboBox* combo, const std::vector<Choice>& choices) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const Choice& choice : choices)
        combo->addItem(choice.text, choice.id);
    combo->setCurrentIndex(-1);
}

void ComboPopulate(QComboBox* combo, const std::function<std::vector<Choice>()>& read) {
    fillCombo(combo, {});
    fillCombo(combo, read());
}
