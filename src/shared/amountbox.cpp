#include "shared/amountbox.h"

#include "shared/nulrefusal.h"

#include <QLineEdit>

AmountBox::AmountBox(QLineEdit* box, QString field, AmountRule rule, Show show)
    : QObject(box), box_(box), field_(std::move(field)), rule_(rule), show_(std::move(show)) {
    // textEdited comes before textChanged, and a refused edit's textChanged arrives after the
    // box was put back: only a change the box still shows counts as accepted.
    connect(box_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text == box_->text())
            accepted_ = text;
    });
    connect(box_, &QLineEdit::textEdited, this, [this](const QString& text) { edited(text); });
    accepted_ = box_->text();
}

void AmountBox::showStored(const data::StoredAmount& amount) {
    stored_ = amount;
    box_->setText(amount.text());
}

void AmountBox::showStored(const QString& listText) {
    showStored(data::StoredAmount::fromValue(listText));
}

void AmountBox::edited(const QString& text) {
    // Half-typed: nothing yet, or only the point.
    const QString t = text.trimmed();
    if (t.isEmpty() || t == box_->locale().decimalPoint() || t == QLatin1String("."))
        return;
    // Zero is refused for a positive amount only when saved: it begins "0.50".
    const AmountCheck whole = CheckAmountText(text, field_, rule_, box_->locale());
    if (whole.ok() || whole.zeroRefused)
        return;
    // Said plainly, rather than quoting the text with the NUL in it.
    const QString refusal = holdsNul(text) ? NulCharacterMessage(field_) : whole.message;
    const int cursor = box_->cursorPosition();
    const QString previous = accepted_;
    box_->setText(previous);
    box_->setCursorPosition(qMin(cursor, static_cast<int>(previous.size())));
    show_(refusal);
}

AmountCheck AmountBox::check() const {
    const QString text = box_->text();
    if (!stored_.isNull() && text == stored_.text()) {
        if (!stored_.inRange()) {
            AmountCheck refused;
            refused.problem = data::MoneyProblem::TooLarge;
            refused.message = StoredOutOfRangeMessage(field_, stored_);
            return refused;
        }
        if (rule_ == AmountRule::ZeroAllowed || !stored_.money()->isZero())
            return {stored_.money(), data::MoneyProblem::None, false, {}};
    }
    return CheckAmountText(text, field_, rule_, box_->locale());
}

QString StoredOutOfRangeMessage(const QString& field, const data::StoredAmount& amount) {
    return QStringLiteral("%1: the stored amount %2 is outside %3 to %4; enter it anew")
        .arg(field, amount.text(), data::Money().toLocaleString(),
             data::Money::max().toLocaleString());
}
