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

    // Range checks and the change of the monthly total, once every rule has acted.
    void settle() {
        qint64 change = row_.basic.newCents - row_.basic.oldCents;
        bool inside = inRange(row_.basic.newCents);
        for (LineKind kind : kKinds) {
            const qint64 sign = kind == LineKind::Allowance ? 1 : -1;
            for (const RevisedLine& line : linesOf(kind)) {
                inside = inside && inRange(line.amount.newCents);
                const qint64 after =
                    line.state == RevisedLine::State::Dropped ? 0 : line.amount.newCents;
                change += sign * (after - line.amount.oldCents);
            }
        }
        row_.outOfRange = row_.outOfRange || !inside;
        row_.noBasic = row_.basic.newCents == 0;
        row_.monthlyChangeCents = change;
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

PreviewTotals previewTotals(const std::vector<PreviewRow>& rows, const Rules& rules) {
    PreviewTotals totals;
    totals.lines.resize(rules.lines.size());
    for (const PreviewRow& row : rows) {
        if (!row.willApply())
            continue;
        ++totals.employees;
        totals.basic.oldCents += row.basic.oldCents;
        totals.basic.newCents += row.basic.newCents;
        for (size_t i = 0; i < row.effects.size() && i < totals.lines.size(); ++i) {
            totals.lines[i].oldCents += row.effects[i].amount.oldCents;
            totals.lines[i].newCents += row.effects[i].amount.newCents;
        }
        totals.monthlyChangeCents += row.monthlyChangeCents;
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
