#pragma once

#include "data/linekind.h"
#include "data/money.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace bulk {

// A percent as the clerk wrote it, held exactly in ten-thousandths: "5", "2.5", "-1.25", "5%".
// From -100 to 1000, at most four decimals.
class Percent {
public:
    static constexpr qint64 kScale = 10'000; // ten-thousandths per percent

    Percent() = default;
    static std::optional<Percent> parse(const QString& text);
    qint64 tenThousandths() const { return value_; }

private:
    explicit Percent(qint64 value) : value_(value) {}
    qint64 value_ = 0;
};

// The step a computed amount is rounded to, in cents: 0.01, 1, 10 or 100.
enum class Rounding : qint64 { Cent = 1, Unit = 100, Ten = 1'000, Hundred = 10'000 };

std::optional<Rounding> parseRounding(const QString& text); // "0.01", "1", "10", "100"

// The amount plus that percent of it, rounded to the step, half away from zero. Exact: no
// binary fraction lies between the cents and the result.
qint64 addPercent(qint64 cents, Percent percent, Rounding rounding);

// What a rule does to an amount. Only percents produce amounts that need rounding; a fixed
// amount is added or set exactly as given.
enum class Mode { Unchanged, PlusPercent, PlusAmount, SetTo, Drop };

struct Adjustment {
    Mode mode = Mode::Unchanged;
    Percent percent;    // PlusPercent
    data::Money amount; // PlusAmount, SetTo
};

// A rule for the lines of one allowance or deduction type.
struct LineRule {
    LineKind kind = LineKind::Allowance;
    qint64 typeId = 0;
    QString typeName; // the type's description, given to lines the rule adds
    Adjustment adjustment;
    bool addWhereMissing = false; // SetTo only: employees without the line get it
    QString currency;             // the type's currency, by name: the rule's amounts are in it
};

// The one designation every employee moves to.
struct NewJob {
    qint32 designationId = 0;
    QString text; // as the entry window shows it: grade " - " designation
};

struct Rules {
    QDate date;
    QString remarks;
    Adjustment basic; // Unchanged, PlusPercent, PlusAmount or SetTo
    Rounding rounding = Rounding::Cent;
    std::optional<NewJob> newJob; // nothing: everyone keeps their job
    std::vector<LineRule> lines;
};

// Why the rules cannot be used, or an empty text when they can. The job date against the
// process date is the caller's to check.
QString rulesProblem(const Rules& rules);

} // namespace bulk
