#include "bulk/previewtable.h"

#include <algorithm>

namespace bulk {

namespace {

using tableexport::Cents;
using tableexport::ExportCell;
using tableexport::ExportColumnKind;

QString ruleLabel(const LineRule& rule) {
    const QString kind = rule.kind == LineKind::Allowance ? QStringLiteral("Allowance")
                                                          : QStringLiteral("Deduction");
    return kind + QLatin1Char(' ') +
           (rule.typeName.isEmpty() ? QStringLiteral("type %1").arg(rule.typeId) : rule.typeName);
}

// "Monthly Change (USD)": every amount column says its currency.
QString inCurrency(const QString& title, const QString& currency) {
    return currency.isEmpty() ? title : title + QStringLiteral(" (") + currency + QLatin1Char(')');
}

QString notes(const PreviewRow& row, const Rules& rules) {
    QStringList notes = row.errors;
    if (row.noChange)
        notes << QStringLiteral("no change");
    if (row.outOfRange)
        notes << QStringLiteral("amount out of range");
    if (row.noBasic)
        notes << QStringLiteral("new basic is 0");
    if (row.basicDidNothing)
        notes << QStringLiteral("Basic: rule did nothing");
    for (size_t i = 0; i < row.effects.size() && i < rules.lines.size(); ++i) {
        const RuleEffect::What what = row.effects[i].what;
        if (what == RuleEffect::What::Added)
            notes << ruleLabel(rules.lines[i]) + QStringLiteral(": added");
        else if (what == RuleEffect::What::Dropped)
            notes << ruleLabel(rules.lines[i]) + QStringLiteral(": dropped");
        else if (row.effects[i].didNothing())
            notes << ruleLabel(rules.lines[i]) + QStringLiteral(": rule did nothing");
    }
    return notes.join(QStringLiteral("; "));
}

ExportCell amount(qint64 cents, bool shown = true) {
    return shown ? ExportCell(Cents{cents}) : ExportCell();
}

} // namespace

tableexport::ExportTable previewTable(const std::vector<PreviewRow>& rows, const Rules& rules) {
    tableexport::ExportTable table;
    const auto column = [&](const QString& title, ExportColumnKind kind) {
        table.titles << title;
        table.kinds.push_back(kind);
    };
    const bool imported = std::any_of(rows.begin(), rows.end(),
                                      [](const PreviewRow& row) { return row.sourceRow > 0; });
    if (imported)
        column(QStringLiteral("Row"), ExportColumnKind::WholeNumber);
    column(QStringLiteral("Number"), ExportColumnKind::Text);
    column(QStringLiteral("Name"), ExportColumnKind::Text);
    column(QStringLiteral("Old Job"), ExportColumnKind::Text);
    column(QStringLiteral("New Job"), ExportColumnKind::Text);
    // The basics are in the employee's currency, each rule's amounts in its type's, and the
    // monthly change has a column per currency: no cell adds two currencies.
    column(QStringLiteral("Currency"), ExportColumnKind::Text);
    column(QStringLiteral("Old Basic"), ExportColumnKind::Amount);
    column(QStringLiteral("New Basic"), ExportColumnKind::Amount);
    for (const LineRule& rule : rules.lines) {
        column(inCurrency(ruleLabel(rule) + QStringLiteral(" Old"), rule.currency),
               ExportColumnKind::Amount);
        column(inCurrency(ruleLabel(rule) + QStringLiteral(" New"), rule.currency),
               ExportColumnKind::Amount);
    }
    const QStringList currencies = previewCurrencies(rows, rules);
    for (const QString& currency : currencies)
        column(inCurrency(QStringLiteral("Monthly Change"), currency), ExportColumnKind::Amount);
    column(QStringLiteral("Apply"), ExportColumnKind::YesNo);
    column(QStringLiteral("Notes"), ExportColumnKind::Text);

    using What = RuleEffect::What;
    for (const PreviewRow& row : rows) {
        tableexport::ExportRow cells;
        if (imported)
            cells.push_back(ExportCell(qint64{row.sourceRow}));
        if (row.employee.employeeId == 0) {
            // No employee matched: the number as the file gives it, and why.
            cells.push_back(row.employee.number);
            cells.resize(table.titles.size() - 2);
            cells.push_back(false);
            cells.push_back(notes(row, rules));
            table.rows.push_back(std::move(cells));
            continue;
        }
        cells.insert(cells.end(), {row.employee.number, row.employee.name, row.employee.job(),
                                   row.newJob, row.employee.currency,
                                   amount(row.basic.oldCents, row.employee.basic.inRange()),
                                   amount(row.basic.newCents)});
        for (const RuleEffect& effect : row.effects) {
            cells.push_back(amount(effect.amount.oldCents,
                                   effect.what != What::NoLine && effect.what != What::Added));
            cells.push_back(amount(effect.amount.newCents,
                                   effect.what != What::NoLine && effect.what != What::Dropped));
        }
        for (const QString& currency : currencies) {
            const std::optional<qint64> change = row.monthlyChangeIn(currency);
            cells.push_back(amount(change.value_or(0), change.has_value()));
        }
        cells.push_back(row.willApply());
        cells.push_back(notes(row, rules));
        table.rows.push_back(std::move(cells));
    }

    // One row of totals per currency, labelled with it.
    for (const CurrencyTotals& totals : previewTotals(rows, rules).currencies) {
        tableexport::ExportRow sums;
        if (imported)
            sums.push_back(ExportCell());
        sums.insert(sums.end(), {inCurrency(QStringLiteral("Total"), totals.currency),
                                 QStringLiteral("%1 employees").arg(totals.employees),
                                 {},
                                 {},
                                 totals.currency,
                                 amount(totals.basic.oldCents),
                                 amount(totals.basic.newCents)});
        for (const std::optional<AmountChange>& line : totals.lines) {
            sums.push_back(amount(line ? line->oldCents : 0, line.has_value()));
            sums.push_back(amount(line ? line->newCents : 0, line.has_value()));
        }
        for (const QString& currency : currencies)
            sums.push_back(amount(totals.monthlyChangeCents, currency == totals.currency));
        sums.push_back(ExportCell());
        sums.push_back(ExportCell());
        table.rows.push_back(std::move(sums));
    }
    return table;
}

} // namespace bulk
