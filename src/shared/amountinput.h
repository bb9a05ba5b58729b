#pragma once

#include "data/money.h"

#include <QLocale>
#include <QString>
#include <optional>

// Whether an amount box takes 0.00: a line's revised amount does, the new basic does not.
enum class AmountRule { ZeroAllowed, MustBePositive };

// What an amount box holds, checked as a whole: keys are filtered one by one, but a paste or
// an edit can leave any text behind.
struct AmountCheck {
    std::optional<data::Money> money;
    data::MoneyProblem problem = data::MoneyProblem::None;
    bool zeroRefused = false;
    QString message; // names the field; empty when the amount is taken

    bool ok() const { return money.has_value(); }
};

// The amount in the text, or why not, with a message that names the field:
// "New Basic: "12abc" is not an amount; enter an amount from 0.00 to 999,999,999,999.99 with at
// most two decimals". Bounds are written in the clerk's locale.
AmountCheck CheckAmountText(const QString& text, const QString& field,
                            AmountRule rule = AmountRule::ZeroAllowed,
                            const QLocale& locale = QLocale());
