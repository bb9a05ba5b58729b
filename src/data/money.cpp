#include "data/money.h"

#include "data/connection.h"

#include <QRegularExpression>
#include <cmath>

namespace data {

namespace {

constexpr int kMaxWholeDigits = 12;

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString withoutLeadingZeros(const QString& digits) {
    qsizetype i = 0;
    while (i < digits.size() && digits[i] == QLatin1Char('0'))
        ++i;
    return digits.mid(i);
}

// Whole and fraction digits (ASCII, no sign) as cents, when they fit the range.
std::optional<Money> centsOf(const QString& whole, const QString& fraction) {
    const QString significant = withoutLeadingZeros(whole);
    if (significant.size() > kMaxWholeDigits || fraction.size() > 2)
        return std::nullopt;
    const qint64 units = significant.isEmpty() ? 0 : significant.toLongLong();
    const qint64 cents = (fraction + QStringLiteral("00")).left(2).toLongLong();
    return Money::fromCents(units * 100 + cents);
}

// The grouping a clerk sees: the last group before the decimal point has three digits, the
// first one to three, the others two (Indian grouping) or three.
bool groupsAreWellFormed(const QList<qsizetype>& groups) {
    if (groups.size() < 2)
        return true;
    if (groups.first() < 1 || groups.first() > 3 || groups.last() != 3)
        return false;
    for (qsizetype i = 1; i + 1 < groups.size(); ++i)
        if (groups[i] != 2 && groups[i] != 3)
            return false;
    return true;
}

// The length of the locale's group separator at the start of text, 0 when there is none.
// Where the separator is a kind of blank (French and others use a narrow no-break space), any
// blank a clerk can type or paste serves.
qsizetype groupSeparatorWidth(QStringView text, const QString& group) {
    if (group.isEmpty() || text.isEmpty())
        return 0;
    if (text.startsWith(group))
        return group.size();
    return group.size() == 1 && group[0].isSpace() && text[0].isSpace() ? 1 : 0;
}

} // namespace

// ---------------------------------------------------------------- Money

std::optional<Money> Money::fromCents(qint64 cents) {
    if (cents < 0 || cents > kMaxCents)
        return std::nullopt;
    return Money(cents);
}

// Written out by hand: a batch binds a hundred thousand amounts, and QString::arg costs more
// than the statement that stores one.
QString Money::toString() const {
    char text[24];
    char* end = text + sizeof text;
    char* p = end;
    const qint64 fraction = cents_ % 100;
    *--p = char('0' + fraction % 10);
    *--p = char('0' + fraction / 10);
    *--p = '.';
    qint64 whole = cents_ / 100;
    do {
        *--p = char('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    return QString::fromLatin1(p, end - p);
}

QString Money::toLocaleString(const QLocale& locale) const {
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(cents_ / 100) + locale.decimalPoint() +
           QStringLiteral("%1").arg(cents_ % 100, 2, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------- parseMoney

MoneyParse parseMoney(const QString& text, const QLocale& locale) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return {std::nullopt, MoneyProblem::Empty};
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(locale.negativeSign())) {
        negative = true;
        t = t.mid(t.startsWith(QLatin1Char('-')) ? 1 : locale.negativeSign().size());
    }
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();

    QString whole;
    QString fraction;
    bool seenPoint = false;
    QList<qsizetype> groups;
    qsizetype groupLength = 0;
    for (qsizetype i = 0; i < t.size();) {
        const QStringView rest = QStringView(t).mid(i);
        if (isDigit(t[i])) {
            (seenPoint ? fraction : whole) += t[i];
            if (!seenPoint)
                ++groupLength;
            ++i;
        } else if (!seenPoint && rest.startsWith(point)) {
            seenPoint = true;
            i += point.size();
        } else if (const qsizetype width = groupSeparatorWidth(rest, group);
                   !seenPoint && width > 0 && groupLength > 0 && i + width < t.size() &&
                   isDigit(t[i + width])) {
            groups << groupLength;
            groupLength = 0;
            i += width;
        } else {
            return {std::nullopt, MoneyProblem::NotANumber};
        }
    }
    if (!groups.isEmpty())
        groups << groupLength;
    if ((whole.isEmpty() && fraction.isEmpty()) || !groupsAreWellFormed(groups))
        return {std::nullopt, MoneyProblem::NotANumber};
    if (negative)
        return {std::nullopt, MoneyProblem::Negative};
    if (fraction.size() > 2)
        return {std::nullopt, MoneyProblem::TooManyDecimals};
    const std::optional<Money> money = centsOf(whole, fraction);
    if (!money)
        return {std::nullopt, MoneyProblem::TooLarge};
    return {money, MoneyProblem::None};
}

// ---------------------------------------------------------------- StoredAmount

StoredAmount StoredAmount::of(Money money) {
    StoredAmount stored;
    stored.null_ = false;
    stored.money_ = money;
    stored.text_ = money.toString();
    return stored;
}

namespace {

// A whole number or a double that is an exact count of cents in range is the common case, read
// without the text round trip below: for such a double the shortest decimal that reads back as
// it is that count of cents (amounts in range have at most 14 significant digits, and any two
// decimals of up to 15 are distinct doubles).
std::optional<Money> centsIn(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong: {
        const qint64 units = value.toLongLong();
        if (units < 0 || units > Money::kMaxCents / 100)
            return std::nullopt;
        return Money::fromCents(units * 100);
    }
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (!(number >= 0.0 && number <= double(Money::kMaxCents) / 100))
            return std::nullopt;
        const qint64 cents = std::llround(number * 100);
        if (double(cents) / 100 != number)
            return std::nullopt;
        return Money::fromCents(cents);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

StoredAmount StoredAmount::fromValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return {};
    if (const std::optional<Money> money = centsIn(value))
        return of(*money);
    StoredAmount stored;
    stored.null_ = false;
    QString notation;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (!std::isfinite(number)) {
            stored.text_ = QString::number(number);
            return stored;
        }
        notation = QString::number(number, 'e', QLocale::FloatingPointShortest);
        break;
    }
    default:
        notation = value.toString().trimmed();
        break;
    }

    // C notation, as servers write numbers: sign, digits, point, exponent.
    static const QRegularExpression cNumber(
        QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?(?:[eE]([+-]?[0-9]{1,4}))?$"));
    const QRegularExpressionMatch match = cNumber.match(notation);
    if (!match.hasMatch() || match.captured(2).size() + match.captured(3).size() == 0) {
        stored.text_ = value.toString(); // not a number at all: shown as it is
        return stored;
    }
    // digits * 10^scale, then written out in plain decimal.
    QString digits = match.captured(2) + match.captured(3);
    const int scale = match.captured(4).toInt() - int(match.captured(3).size());
    QString whole;
    QString fraction;
    if (scale >= 0) {
        whole = digits + QString(scale, QLatin1Char('0'));
    } else {
        const qsizetype decimals = -scale;
        if (digits.size() <= decimals)
            digits = QString(decimals - digits.size() + 1, QLatin1Char('0')) + digits;
        whole = digits.left(digits.size() - decimals);
        fraction = digits.right(decimals);
    }
    whole = withoutLeadingZeros(whole);
    while (fraction.size() > 2 && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    const bool zero = whole.isEmpty() && withoutLeadingZeros(fraction).isEmpty();
    const bool negative = match.captured(1) == QLatin1String("-") && !zero;
    stored.text_ = (negative ? QStringLiteral("-") : QString()) +
                   (whole.isEmpty() ? QStringLiteral("0") : whole) + QLatin1Char('.') +
                   fraction.leftJustified(2, QLatin1Char('0'));
    if (!negative)
        stored.money_ = centsOf(whole, fraction);
    return stored;
}

QVariant StoredAmount::toBind() const {
    if (null_)
        return {};
    return money_ ? money_->toBind() : QVariant(text_);
}

StoredAmount amountField(const Recordset& rs, const QString& column) {
    return StoredAmount::fromValue(rs.field(column));
}

StoredAmount amountField(const Recordset& rs, int column) {
    return StoredAmount::fromValue(rs.field(column));
}

} // namespace data
