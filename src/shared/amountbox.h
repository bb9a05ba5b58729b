#pragma once

#include "data/money.h"
#include "shared/amountinput.h"

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

// An amount text box kept whole: every edit, typed or pasted, is checked as a whole and one that
// is not an amount is refused with a message, the box keeping its previous text. A stored amount
// it shows is taken back as it is, or refused with a message when it lies outside the range a
// clerk may enter. The key filter stays the window's.
class AmountBox : public QObject {
public:
    using Show = std::function<void(const QString& message)>;

    AmountBox(QLineEdit* box, QString field, AmountRule rule, Show show);

    // Shows an amount as stored ("1000000000000000.00" too).
    void showStored(const data::StoredAmount& amount);
    // Shows text of the lists (C notation), a stored amount's or a clerk's.
    void showStored(const QString& listText);
    // The amount the box holds, or the message naming the field.
    AmountCheck check() const;

private:
    void edited(const QString& text);

    QLineEdit* box_;
    QString field_;
    AmountRule rule_;
    Show show_;
    QString accepted_;          // the text before the edit under way
    data::StoredAmount stored_; // what showStored put in
};

// A stored amount a clerk could not enter, as refused on a save: "New Basic: the stored amount
// 1000000000000000.00 is outside 0.00 to 999,999,999,999.99; enter it anew".
QString StoredOutOfRangeMessage(const QString& field, const data::StoredAmount& amount);
