#include "sharedlib/clscommongen.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>

void clsCommonGen::SelectComboItemByValue(QComboBox* combo, const QVariant& value) {
    const qint64 wanted = value.toLongLong();
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemData(i).toLongLong() == wanted) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(-1);
}

void clsCommonGen::TextValidateNum(QLineEdit* box, int& key, int intDigits, int decimals) {
    if (key < 32)
        return; // backspace, Enter and the other editing keys
    QString text = box->text();
    int start = box->cursorPosition();
    if (box->hasSelectedText()) {
        start = box->selectionStart();
        text.remove(start, box->selectedText().size());
    }
    text.insert(start, QChar(key));
    const QRegularExpression number(
        QStringLiteral("^\\d{0,%1}(\\.\\d{0,%2})?$").arg(intDigits).arg(decimals));
    if (!number.match(text).hasMatch())
        key = 0;
}
