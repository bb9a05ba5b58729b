#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <compare>
#include <optional>

namespace data {

class Recordset;

// An amount of pay, exact to the cent: a count of cents from 0.00 to 999,999,999,999.99. No
// binary floating point lies between what a clerk typed and what is bound.
class Money {
public:
    static constexpr qint64 kMaxCents = 99'999'999'999'999; // 999,999,999,999.99

    constexpr Money() = default; // 0.00
    // Nothing when the count lies outside the range.
    static std::optional<Money> fromCents(qint64 cents);
    static constexpr Money max() { return Money(kMaxCents); }

    qint64 cents() const { return cents_; }
    bool isZero() const { return cents_ == 0; }

    // C notation with exactly two decimals, no group separators: "27500.00". What lists, the
    // register and the report show, and what is bound.
    QString toString() const;
    // The clerk's notation with group separators: "27,500.00" (C locale), "27.500,00" (German).
    QString toLocaleString(const QLocale& locale = QLocale()) const;
    // The value to bind: text in C notation, which every server converts exactly to its column.
    QVariant toBind() const { return toString(); }

    friend constexpr auto operator<=>(Money, Money) = default;

private:
    constexpr explicit Money(qint64 cents) : cents_(cents) {}
    qint64 cents_ = 0;
};

// Why a text is not an amount.
enum class MoneyProblem {
    None,
    Empty,           // nothing but blanks
    NotANumber,      // letters, exponent form, misplaced separators ("12abc", "1e5", "1,2")
    Negative,        // "-5"
    TooManyDecimals, // "0.005"
    TooLarge,        // above 999,999,999,999.99
};

struct MoneyParse {
    std::optional<Money> value;
    MoneyProblem problem = MoneyProblem::None;
};

// What a clerk typed or pasted, read as the number it shows in the locale: digits, at most one
// decimal point and at most two decimals, group separators between digits of the whole part
// ("27,500.00", "1,234.5", "12,34,567.00"); blanks around it are ignored. Anything else is
// refused with its reason, never cut or rounded.
MoneyParse parseMoney(const QString& text, const QLocale& locale = QLocale());

// An amount as the database holds it, which another program may have stored outside the range
// or with more decimals (1e15, 33000.129, -5). In range it is a Money; otherwise it is kept as
// the decimal it is, to be shown unchanged and refused if saved as it stands.
class StoredAmount {
public:
    StoredAmount() = default; // null
    // From the value a driver returns: text in C notation (with or without exponent), a whole
    // number, or a binary double, taken as the shortest decimal that reads back as the same
    // double (what the servers themselves print for it).
    static StoredAmount fromValue(const QVariant& value);
    static StoredAmount of(Money money);

    bool isNull() const { return null_; }
    bool inRange() const { return money_.has_value(); }
    std::optional<Money> money() const { return money_; }
    // Plain decimal, never exponent form, at least two decimals: "1000000000000000.00",
    // "33000.129", "-5.00"; empty for null.
    QString text() const { return text_; }
    // What to bind to write it back exactly: the Money in range, else the decimal as stored.
    QVariant toBind() const;

    // The same stored value: both null, or the same exact decimal (never through a double).
    friend bool operator==(const StoredAmount& a, const StoredAmount& b) {
        return a.null_ == b.null_ && a.text_ == b.text_;
    }

private:
    bool null_ = true;
    std::optional<Money> money_;
    QString text_;
};

// The amount in a field of the current row, read exactly.
StoredAmount amountField(const Recordset& rs, const QString& column);
StoredAmount amountField(const Recordset& rs, int column);

} // namespace data
