#pragma once

#include <QObject>
#include <QVariant>

class QComboBox;
class QLineEdit;

// General routines of the payroll suite's shared library.
class clsCommonGen : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Selects the entry whose item data equals the value (none when no entry does); the
    // selection raises the combo's change of index, as a click would.
    void SelectComboItemByValue(QComboBox* combo, const QVariant& value);
    // From a key-press handler: sets key to 0 when the typed character would make the text
    // anything but a number of at most intDigits digits before the point and decimals after.
    // Editing keys (below 32) pass.
    void TextValidateNum(QLineEdit* box, int& key, int intDigits, int decimals);
};
