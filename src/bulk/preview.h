#pragma once

#include "bulk/rules.h"
#include "bulk/snapshot.h"

#include <QChar>
#include <QStringList>

namespace bulk {

// An amount before and after, in cents. A line that is not there counts as 0.
struct AmountChange {
    qint64 oldCents = 0;
    qint64 newCents = 0;
};

// One line of an employee after the rules: every standing line in its order, then the added.
struct RevisedLine {
    enum class State { Kept, Dropped, Added };
    qint64 typeId = 0;
    QString description;
    State state = State::Kept;
    // A dropped line keeps its old amount as the revised one, as an unticked line of the entry
    // window does; an added line's old amount is 0.
    AmountChange amount;
};

// What one line rule did for one employee.
struct RuleEffect {
    enum class What { NoLine, Unchanged, Changed, Added, Dropped };
    What what = What::NoLine;
    AmountChange amount; // summed over the employee's lines of the type; dropped counts new 0
    bool asked = true;   // false: the rule left the lines as they were (an import's empty cell)

    bool didNothing() const { return asked && (what == What::NoLine || what == What::Unchanged); }
};

// An amount in one currency, named as the currency master names it (empty for an employee or a
// type without one). Amounts of different currencies are never added.
struct CurrencyAmount {
    QString currency;
    qint64 cents = 0;
    bool operator==(const CurrencyAmount&) const = default;
};

struct PreviewRow {
    EmployeeSnapshot employee; // what the row was computed from; no id when no employee matched
    int sourceRow = 0;         // the row of the imported file, 0 for a row of the rules
    QString remarks;
    qint32 newDesignationId = 0;
    QString newJob;
    AmountChange basic;
    std::array<std::vector<RevisedLine>, 2> lines; // by LineKind
    std::vector<RuleEffect> effects;               // one per line rule, in the rules' order
    bool basicDidNothing = false; // a basic rule left this employee's basic as it was
    bool outOfRange = false; // an amount, stored or computed, outside 0.00 to 999,999,999,999.99
    bool noBasic = false;    // the new basic is 0, which no job change may save
    bool noChange = false;   // an imported row that asks for what the employee already has
    // The change of the monthly pay (basic + allowances - deductions, after less before), one
    // amount per currency the row's revised amounts are in: the pay currency's first, then each
    // line rule's that found or added a line, in the rules' order.
    std::vector<CurrencyAmount> monthlyChange;
    QStringList errors;  // an imported row's problems, each naming row and column
    bool checked = true; // the clerk unticks a row to leave the employee out

    const std::vector<RevisedLine>& linesOf(LineKind kind) const {
        return lines[static_cast<size_t>(kind)];
    }
    bool blocked() const { return outOfRange || noBasic || noChange; }
    // A row with errors stays ticked until the clerk unticks it: nothing is left out unseen.
    bool canTick() const { return !errors.isEmpty() || !blocked(); }
    bool willApply() const { return checked && !blocked() && errors.isEmpty(); }
    // The change in that currency, or nothing when the row has none in it.
    std::optional<qint64> monthlyChangeIn(const QString& currency) const;
};

// The sums of one currency over the rows that would be applied.
struct CurrencyTotals {
    QString currency;
    int employees = 0;  // paid in it
    AmountChange basic; // of the employees paid in it
    // One per line rule: the rule's sums when its type is paid in this currency, else nothing.
    std::vector<std::optional<AmountChange>> lines;
    qint64 monthlyChangeCents = 0;
};

struct PreviewTotals {
    int employees = 0; // every row that would be applied
    // One per currency of the preview (the employees' and the line rules', whether or not a
    // row of it is applied, so that unticking a row never takes a total away), by name.
    std::vector<CurrencyTotals> currencies;
};

// The currencies of the preview, by name: its employees' and its line rules'.
QStringList previewCurrencies(const std::vector<PreviewRow>& rows, const Rules& rules);

// Whether the row leaves the employee as they are: job, basic and every line.
bool changesNothing(const PreviewRow& row);

// The rules worked out for one employee, and for each employee in the order given.
PreviewRow computeRow(const EmployeeSnapshot& employee, const Rules& rules);
std::vector<PreviewRow> computePreview(const std::vector<EmployeeSnapshot>& employees,
                                       const Rules& rules);

// The sums over the rows that would be applied: ticked and not blocked.
PreviewTotals previewTotals(const std::vector<PreviewRow>& rows, const Rules& rules);

// A job change line as the entry window stores it: "O" kept, "R" removed, "N" added.
struct PlannedLine {
    QChar letter;
    qint64 typeId = 0;
    data::Money oldAmount;
    data::Money revisedAmount;
};

// The job change a preview row stands for, exactly as the entry window would save it.
struct PlannedJobChange {
    qint32 employeeId = 0;
    qint32 oldDesignationId = 0;
    qint32 newDesignationId = 0;
    data::Money oldBasic;
    data::Money newBasic;
    QDate date;
    QString remarks;
    std::array<std::vector<PlannedLine>, 2> lines; // by LineKind, in list order

    const std::vector<PlannedLine>& linesOf(LineKind kind) const {
        return lines[static_cast<size_t>(kind)];
    }
};

// Nothing for a row that cannot be applied. The date is the batch's, the remarks the row's.
std::optional<PlannedJobChange> plannedJobChange(const PreviewRow& row, const Rules& rules);

} // namespace bulk
