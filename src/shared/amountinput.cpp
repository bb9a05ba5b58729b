#include "shared/amountinput.h"

namespace {

// The refused text as the message quotes it; a long paste is shortened.
QString quoted(const QString& text) {
    constexpr qsizetype kLongest = 30;
    const QString t = text.trimmed();
    return QLatin1Char('"') + (t.size() > kLongest ? t.left(kLongest) + QStringLiteral("...") : t) +
           QLatin1Char('"');
}

} // namespace

AmountCheck CheckAmountText(const QString& text, const QString& field, AmountRule rule,
                            const QLocale& locale) {
    using data::Money;
    using data::MoneyProblem;
    const data::MoneyParse parsed = data::parseMoney(text, locale);
    AmountCheck check{parsed.value, parsed.problem, false, {}};
    if (check.money && check.money->isZero() && rule == AmountRule::MustBePositive) {
        check.money.reset();
        check.zeroRefused = true;
    }
    if (check.money)
        return check;

    const QString max = Money::max().toLocaleString(locale);
    const QString zero = Money().toLocaleString(locale);
    const QString wanted =
        rule == AmountRule::MustBePositive
            ? QStringLiteral("enter an amount greater than %1 and up to %2 with at most two "
                             "decimals")
                  .arg(zero, max)
            : QStringLiteral("enter an amount from %1 to %2 with at most two decimals")
                  .arg(zero, max);
    QString reason;
    switch (parsed.problem) {
    case MoneyProblem::None:
        reason = QStringLiteral("the amount must be more than %1").arg(zero);
        break;
    case MoneyProblem::Empty:
        break;
    case MoneyProblem::NotANumber:
        reason = quoted(text) + QStringLiteral(" is not an amount");
        break;
    case MoneyProblem::Negative:
        reason = QStringLiteral("an amount cannot be negative");
        break;
    case MoneyProblem::TooManyDecimals:
        reason = quoted(text) + QStringLiteral(" has more than two decimals");
        break;
    case MoneyProblem::TooLarge:
        reason = quoted(text) + QStringLiteral(" is more than %1").arg(max);
        break;
    }
    check.message = field + QStringLiteral(": ") +
                    (reason.isEmpty() ? wanted : reason + QStringLiteral("; ") + wanted);
    return check;
}
