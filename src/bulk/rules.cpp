#include "bulk/rules.h"

#include <QRegularExpression>
#include <set>
#include <utility>

namespace bulk {

namespace {

__extension__ typedef __int128 Wide; // cents times a percent overflows 64 bits

constexpr qint64 kMinPercent = -100 * Percent::kScale;
constexpr qint64 kMaxPercent = 1000 * Percent::kScale;

// n / d rounded to the nearest whole number, halves away from zero; d > 0.
Wide roundedQuotient(Wide n, Wide d) {
    Wide q = n / d;
    const Wide r = n % d;
    if (2 * (r < 0 ? -r : r) >= d)
        q += n < 0 ? -1 : 1;
    return q;
}

} // namespace

std::optional<Percent> Percent::parse(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([+-]?)([0-9]{1,4})(?:\\.([0-9]{1,4}))?\\s*%?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 whole = match.captured(2).toLongLong();
    const qint64 fraction = (match.captured(3) + QStringLiteral("0000")).left(4).toLongLong();
    qint64 value = whole * kScale + fraction;
    if (match.captured(1) == QLatin1String("-"))
        value = -value;
    if (value < kMinPercent || value > kMaxPercent)
        return std::nullopt;
    return Percent(value);
}

std::optional<Rounding> parseRounding(const QString& text) {
    static const std::pair<const char*, Rounding> steps[] = {{"0.01", Rounding::Cent},
                                                             {"1", Rounding::Unit},
                                                             {"10", Rounding::Ten},
                                                             {"100", Rounding::Hundred}};
    for (const auto& [name, step] : steps)
        if (text.trimmed() == QLatin1String(name))
            return step;
    return std::nullopt;
}

qint64 addPercent(qint64 cents, Percent percent, Rounding rounding) {
    // cents * (100 + p) / 100, with p in ten-thousandths: the scale is 100 * 10,000.
    constexpr Wide kWhole = 100 * Percent::kScale;
    const Wide step = static_cast<qint64>(rounding);
    const Wide exact = Wide(cents) * (kWhole + percent.tenThousandths());
    return static_cast<qint64>(roundedQuotient(exact, kWhole * step) * step);
}

QString rulesProblem(const Rules& rules) {
    if (!rules.date.isValid())
        return QStringLiteral("The job date is missing.");
    if (rules.basic.mode == Mode::Drop)
        return QStringLiteral("The basic pay cannot be dropped.");
    std::set<std::pair<LineKind, qint64>> types;
    for (const LineRule& rule : rules.lines) {
        const QString kind = rule.kind == LineKind::Allowance ? QStringLiteral("allowance")
                                                              : QStringLiteral("deduction");
        if (rule.adjustment.mode == Mode::Unchanged)
            return QStringLiteral("The rule for %1 type %2 changes nothing.")
                .arg(kind)
                .arg(rule.typeId);
        if (rule.addWhereMissing && rule.adjustment.mode != Mode::SetTo)
            return QStringLiteral(
                       "Only a rule that sets an amount can add missing lines (%1 type %2).")
                .arg(kind)
                .arg(rule.typeId);
        if (!types.insert({rule.kind, rule.typeId}).second)
            return QStringLiteral("Two rules for %1 type %2.").arg(kind).arg(rule.typeId);
    }
    if (rules.basic.mode == Mode::Unchanged && !rules.newJob && rules.lines.empty())
        return QStringLiteral("The rules change nothing.");
    return {};
}

} // namespace bulk
