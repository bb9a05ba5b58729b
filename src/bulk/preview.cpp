#include "bulk/preview.h"

namespace bulk {

namespace {

constexpr LineKind kKinds[] = {LineKind::Allowance, LineKind::Deduction};

bool inRange(qint64 cents) {
    return cents >= 0 && cents <= data::Money::kMaxCents;
}

class RowComputer {
public:
    RowComputer(const EmployeeSnapshot& employee, const Rules& rules) : rules_(rules) {
        row_.employee = employee;
        row_.remarks = rules.remarks;
        row_.newDesignationId = rules.newJob ? rules.newJob->designationId : employee.designationId;
        row_.newJob = rules.newJob ? rules.newJob->text : employee.job();
        row_.basic.oldCents = cents(employee.basic);
        row_.basic.newCents = adjusted(row_.basic.oldCents, rules.basic);
        row_.basicDidNothing =
            rules.basic.mode != Mode::Unchanged && row_.basic.newCents == row_.basic.oldCents;
        for (LineKind kind : kKinds)
            for (const StandingLine& line : employee.linesOf(kind)) {
                const qint64 old = cents(line.amount);
                linesOf(kind).push_back(
                    {line.typeId, line.description, RevisedLine::State::Kept, {old, old}});
            }
        for (const LineRule& rule : rules.lines)
            row_.effects.push_back(apply(rule));
        settle();
    }

    PreviewRow take() { return std::move(row_); }

private:
    std::vector<RevisedLine>& linesOf(LineKind kind) {
        return row_.lines[static_cast<size_t>(kind)];
    }

    // A stored amount outside the range cannot be carried into a job change exactly.
    qint64 cents(const data::StoredAmount& amount) {
        if (const std::optional<data::Money> money = amount.money())
            return money->cents();
        row_.outOfRange = true;
        return 0;
    }

    qint64 adjusted(qint64 old, const Adjustment& adjustment) const {
        switch (adjustment.mode) {
        case Mode::PlusPercent:
            return addPercent(old, adjustment.percent, rules_.rounding);
        case Mode::PlusAmount:
            return old + adjustment.amount.cents();
        case Mode::SetTo:
            return adjustment.amount.cents();
        case Mode::Unchanged:
        case Mode::Drop:
            break;
        }
        return old;
    }

    RuleEffect apply(const LineRule& rule) {
        using What = RuleEffect::What;
        RuleEffect effect;
        effect.asked = rule.adjustment.mode != Mode::Unchanged;
        std::vector<RevisedLine>& lines = linesOf(rule.kind);
        const bool drop = rule.adjustment.mode == Mode::Drop;
        bool found = false;
        bool changed = false;
        for (RevisedLine& line : lines) {
            if (line.typeId != rule.typeId || line.state != RevisedLine::State::Kept)
                continue;
            found = true;
            effect.amount.oldCents += line.amount.oldCents;
            if (drop) {
                line.state = RevisedLine::State::Dropped;
                continue;
            }
            line.amount.newCents = adjusted(line.amount.oldCents, rule.adjustment);
            effect.amount.newCents += line.amount.newCents;
            changed = changed || line.amount.newCents != line.amount.oldCents;
        }
        if (found) {
            effect.what = drop ? What::Dropped : changed ? What::Changed : What::Unchanged;
        } else if (rule.addWhereMissing && rule.adjustment.mode == Mode::SetTo) {
            const qint64 amount = rule.adjustment.amount.cents();
            lines.push_back({rule.typeId, rule.typeName, RevisedLine::State::Added, {0, amount}});
            effect = {What::Added, {0, amount}, true};
        }
        return effect;
    }

    void addChange(const QString& currency, qint64 cents) {
        for (CurrencyAmount& change : row_.monthlyChange)
            if (change.currency == currency) {
                change.cents += cents;
                return;
            }
        row_.monthlyChange.push_back({currency, cents});
    }

    // Range checks and the change of the monthly pay, once every rule has acted. Only the
    // lines a rule found or added can change, each in its rule's currency; each type has one
    // rule at most.
    void settle() {
        bool inside = inRange(row_.basic.newCents);
        for (LineKind kind : kKinds)
            for (const RevisedLine& line : linesOf(kind))
                inside = inside && inRange(line.amount.newCents);
        row_.outOfRange = row_.outOfRange || !inside;
        row_.noBasic = row_.basic.newCents == 0;

        addChange(row_.employee.currency, row_.basic.newCents - row_.basic.oldCents);
        for (size_t i = 0; i < rules_.lines.size(); ++i) {
            const RuleEffect& effect = row_.effects[i];
            if (effect.what == RuleEffect::What::NoLine)
                continue;
            const qint64 sign = rules_.lines[i].kind == LineKind::Allowance ? 1 : -1;
            addChange(rules_.lines[i].currency,
                      sign * (effect.amount.newCents - effect.amount.oldCents));
        }
    }

    const Rules& rules_;
    PreviewRow row_;
};

} // namespace

PreviewRow computeRow(const EmployeeSnapshot& employee, const Rules& rules) {
    return RowComputer(employee, rules).take();
}

std::vector<PreviewRow> computePreview(const std::vector<EmployeeSnapshot>& employees,
                                       const Rules& rules) {
    std::vector<PreviewRow> rows;
    rows.reserve(employees.size());
    for (const EmployeeSnapshot& employee : employees)
        rows.push_back(RowComputer(employee, rules).take());
    return rows;
}

std::optional<qint64> PreviewRow::monthlyChangeIn(const QString& currency) const {
    for (const CurrencyAmount& change : monthlyChange)
        if (change.currency == currency)
            return change.cents;
    return std::nullopt;
}

QStringList previewCurrencies(const std::vector<PreviewRow>& rows, const Rules& rules) {
    QStringList currencies;
    const auto add = [&currencies](const QString& currency) {
        if (!currencies.contains(currency))
            currencies << currency;
    };
    for (const PreviewRow& row : rows)
        if (row.employee.employeeId != 0) // an imported row that matched no employee has none
            add(row.employee.currency);
    for (const LineRule& rule : rules.lines)
        add(rule.currency);
    currencies.sort();
    return currencies;
}

PreviewTotals previewTotals(const std::vector<PreviewRow>& rows, const Rules& rules) {
    PreviewTotals totals;
    for (const QString& currency : previewCurrencies(rows, rules)) {
        CurrencyTotals sums;
        sums.currency = currency;
        for (const LineRule& rule : rules.lines)
            sums.lines.push_back(rule.currency == currency ? std::optional(AmountChange())
                                                           : std::nullopt);
        for (const PreviewRow& row : rows) {
            if (!row.willApply())
                continue;
            if (row.employee.currency == currency) {
                ++sums.employees;
                sums.basic.oldCents += row.basic.oldCents;
                sums.basic.newCents += row.basic.newCents;
            }
            for (size_t i = 0; i < row.effects.size() && i < sums.lines.size(); ++i)
                if (sums.lines[i]) {
                    sums.lines[i]->oldCents += row.effects[i].amount.oldCents;
                    sums.lines[i]->newCents += row.effects[i].amount.newCents;
                }
            sums.monthlyChangeCents += row.monthlyChangeIn(currency).value_or(0);
        }
        totals.employees += sums.employees;
        totals.currencies.push_back(std::move(sums));
    }
    return totals;
}

bool changesNothing(const PreviewRow& row) {
    if (row.basic.newCents != row.basic.oldCents ||
        row.newDesignationId != row.employee.designationId)
        return false;
    for (LineKind kind : kKinds)
        for (const RevisedLine& line : row.linesOf(kind))
            if (line.state != RevisedLine::State::Kept ||
                line.amount.newCents != line.amount.oldCents)
                return false;
    return true;
}

std::optional<PlannedJobChange> plannedJobChange(const PreviewRow& row, const Rules& rules) {
    if (row.blocked() || !row.errors.isEmpty())
        return std::nullopt;
    const auto money = [](qint64 cents) { return data::Money::fromCents(cents).value(); };
    PlannedJobChange change;
    change.employeeId = row.employee.employeeId;
    change.oldDesignationId = row.employee.designationId;
    change.newDesignationId = row.newDesignationId;
    change.oldBasic = money(row.basic.oldCents);
    change.newBasic = money(row.basic.newCents);
    change.date = rules.date;
    change.remarks = row.remarks;
    for (LineKind kind : kKinds)
        for (const RevisedLine& line : row.linesOf(kind)) {
            const QChar letter = line.state == RevisedLine::State::Kept      ? QLatin1Char('O')
                                 : line.state == RevisedLine::State::Dropped ? QLatin1Char('R')
                                                                             : QLatin1Char('N');
            change.lines[static_cast<size_t>(kind)].push_back(
                {letter, line.typeId, money(line.amount.oldCents), money(line.amount.newCents)});
        }
    return change;
}

} // namespace bulk
