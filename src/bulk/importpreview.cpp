#include "bulk/importpreview.h"

#include <QSet>
#include <map>

namespace bulk {

namespace {

constexpr LineKind kKinds[] = {LineKind::Allowance, LineKind::Deduction};

QString kindName(LineKind kind) {
    return kind == LineKind::Allowance ? QStringLiteral("allowance") : QStringLiteral("deduction");
}

QString kindTitle(LineKind kind) {
    return kind == LineKind::Allowance ? QStringLiteral("Allowance") : QStringLiteral("Deduction");
}

// A line column's type: one the company has active, else one an employee still holds.
struct ColumnType {
    ImportCatalog::LineType type;
    QString problem; // no such type, or two of them
    int rule = -1;   // its line rule in the batch's rules
};

ColumnType resolveType(const ImportLineColumn& column, const ImportCatalog& catalog) {
    const QString key = nameKey(column.typeName);
    ColumnType found;
    for (const bool active : {true, false}) {
        int matches = 0;
        for (const ImportCatalog::LineType& type : catalog.lineTypes[size_t(column.kind)])
            if (type.active == active && nameKey(type.description) == key) {
                found.type = type;
                ++matches;
            }
        if (matches > 1)
            found.problem = QStringLiteral("\"%1\" names more than one %2 type")
                                .arg(shownText(column.typeName), kindName(column.kind));
        if (matches > 0)
            return found;
    }
    found.problem = QStringLiteral("there is no %1 type \"%2\"")
                        .arg(kindName(column.kind), shownText(column.typeName));
    return found;
}

class RowBuilder {
public:
    RowBuilder(const ImportTable& table, const std::vector<EmployeeSnapshot>& eligible,
               const ImportCatalog& catalog, ImportBatch& batch)
        : table_(table), catalog_(catalog), batch_(batch) {
        for (const EmployeeSnapshot& employee : eligible) {
            const QString number = employee.number.trimmed();
            if (employees_.contains(number))
                sharedNumbers_.insert(number);
            employees_.insert(number, &employee);
        }
        for (const ImportRow& row : table.rows)
            if (!row.employeeNo.isEmpty())
                rowsOf_[row.employeeNo] << row.sourceRow;
        for (size_t j = 0; j < catalog.jobs.size(); ++j)
            jobs_[nameKey(catalog.jobs[j].text)] << j;
        for (LineKind kind : kKinds) {
            for (const ImportLineColumn& column : table.lineColumns)
                if (column.kind == kind) {
                    ColumnType type = resolveType(column, catalog);
                    if (type.problem.isEmpty()) {
                        type.rule = static_cast<int>(batch.rules.lines.size());
                        // Each row says what it asks; the batch's rule only names the column.
                        LineRule rule;
                        rule.kind = kind;
                        rule.typeId = type.type.id;
                        rule.typeName = type.type.description;
                        rule.currency = type.type.currency;
                        rule.addWhereMissing = true;
                        batch.rules.lines.push_back(rule);
                    }
                    types_.emplace(static_cast<size_t>(&column - table.lineColumns.data()), type);
                }
        }
    }

    PreviewRow build(const ImportRow& source) {
        errors_ = source.problems;
        row_ = source.sourceRow;
        const EmployeeSnapshot* employee = findEmployee(source.employeeNo);
        if (!employee) {
            PreviewRow row;
            row.employee.number = source.employeeNo;
            row.sourceRow = source.sourceRow;
            row.errors = errors_;
            return row;
        }
        Rules rules;
        rules.date = batch_.rules.date;
        rules.remarks = source.remarks.value_or(batch_.rules.remarks);
        const std::optional<data::Money> basic = employee->basic.money();
        if (source.newBasic && source.newBasic != basic)
            rules.basic = {Mode::SetTo, {}, *source.newBasic};
        rules.newJob = newJob(source.newJob, *employee);
        rules.lines = batch_.rules.lines;
        for (size_t c = 0; c < table_.lineColumns.size(); ++c)
            lineRule(table_.lineColumns[c], types_.at(c), source.lines[c], *employee, rules);

        PreviewRow row = computeRow(*employee, rules);
        row.sourceRow = source.sourceRow;
        row.errors = errors_;
        row.noChange = row.errors.isEmpty() && changesNothing(row);
        return row;
    }

private:
    void error(const QString& column, const QString& what) {
        errors_ << rowProblem(row_, column, what);
    }

    const EmployeeSnapshot* findEmployee(const QString& number) {
        if (number.isEmpty())
            return nullptr;
        const QString& header = table_.employeeNoHeader;
        QStringList others;
        for (const int row : rowsOf_.value(number))
            if (row != row_)
                others << QString::number(row);
        if (!others.isEmpty()) {
            error(header, QStringLiteral("%1 is also on row %2")
                              .arg(shownText(number), others.join(QStringLiteral(", "))));
            return nullptr;
        }
        if (sharedNumbers_.contains(number)) {
            error(header, QStringLiteral("%1 is the number of more than one employee").arg(number));
            return nullptr;
        }
        if (const EmployeeSnapshot* employee = employees_.value(number))
            return employee;
        const auto why = catalog_.ineligible.constFind(number);
        error(header, why != catalog_.ineligible.constEnd()
                          ? *why
                          : QStringLiteral("there is no employee \"%1\" in this company")
                                .arg(shownText(number)));
        return nullptr;
    }

    // The row's job when it is another than the employee's, as the company names it.
    std::optional<NewJob> newJob(const QString& text, const EmployeeSnapshot& employee) {
        const QString key = nameKey(text);
        if (key.isEmpty() || key == nameKey(employee.job()))
            return std::nullopt;
        const QList<size_t> found = jobs_.value(key);
        if (found.size() != 1) {
            error(table_.newJobHeader,
                  found.isEmpty()
                      ? QStringLiteral("\"%1\" is not an active job of this company (grade - "
                                       "designation, as the entry window shows it)")
                            .arg(shownText(text))
                      : QStringLiteral("\"%1\" names more than one designation")
                            .arg(shownText(text)));
            return std::nullopt;
        }
        const ImportCatalog::Job& job = catalog_.jobs[found.front()];
        if (job.designationId == employee.designationId)
            return std::nullopt;
        return NewJob{job.designationId, job.text};
    }

    // What the cell asks of the employee's lines of the column's type, into the row's rule.
    void lineRule(const ImportLineColumn& column, const ColumnType& type, const LineCell& cell,
                  const EmployeeSnapshot& employee, Rules& rules) {
        if (cell.action == LineCell::Action::Keep)
            return;
        if (type.rule < 0) {
            error(column.header, type.problem);
            return;
        }
        Adjustment& adjustment = rules.lines[size_t(type.rule)].adjustment;
        adjustment = {};
        if (cell.action == LineCell::Action::Drop) {
            adjustment.mode = Mode::Drop;
            return;
        }
        bool held = false;
        bool same = true;
        for (const StandingLine& line : employee.linesOf(column.kind))
            if (line.typeId == type.type.id) {
                held = true;
                same = same && line.amount.money() == cell.amount;
            }
        if (held && same)
            return;
        if (!type.type.active) {
            error(column.header, QStringLiteral("%1 is no longer an active %2 type")
                                     .arg(type.type.description, kindName(column.kind)));
            return;
        }
        adjustment = {Mode::SetTo, {}, cell.amount};
    }

    const ImportTable& table_;
    const ImportCatalog& catalog_;
    ImportBatch& batch_;
    QHash<QString, const EmployeeSnapshot*> employees_;
    QSet<QString> sharedNumbers_;
    QHash<QString, QList<int>> rowsOf_;
    QHash<QString, QList<size_t>> jobs_;
    std::map<size_t, ColumnType> types_; // by line column
    QStringList errors_;
    int row_ = 0;
};

} // namespace

int ImportBatch::rowsWithErrors() const {
    return static_cast<int>(std::count_if(
        rows.begin(), rows.end(), [](const PreviewRow& row) { return !row.errors.isEmpty(); }));
}

ImportBatch previewImport(const ImportTable& table, const std::vector<EmployeeSnapshot>& eligible,
                          const ImportCatalog& catalog, const QDate& date, const QString& remarks) {
    ImportBatch batch;
    batch.rules.date = date;
    batch.rules.remarks = remarks;
    batch.warnings = table.warnings;
    RowBuilder builder(table, eligible, catalog, batch);
    batch.rows.reserve(table.rows.size());
    for (const ImportRow& row : table.rows)
        batch.rows.push_back(builder.build(row));
    return batch;
}

tableexport::ExportTable importTemplate(const std::vector<EmployeeSnapshot>& employees,
                                        const ImportCatalog& catalog) {
    using tableexport::Cents;
    using tableexport::ExportColumnKind;
    tableexport::ExportTable table;
    const auto column = [&](const QString& title, ExportColumnKind kind) {
        table.titles << title;
        table.kinds.push_back(kind);
    };
    column(QStringLiteral("Employee No"), ExportColumnKind::Text);
    column(QStringLiteral("Name"), ExportColumnKind::Text);
    column(QStringLiteral("New Job"), ExportColumnKind::Text);
    column(QStringLiteral("New Basic"), ExportColumnKind::Amount);
    std::vector<std::pair<LineKind, qint64>> types;
    for (LineKind kind : kKinds)
        for (const ImportCatalog::LineType& type : catalog.lineTypes[size_t(kind)]) {
            column(kindTitle(kind) + QStringLiteral(": ") + type.description,
                   ExportColumnKind::Amount);
            types.emplace_back(kind, type.id);
        }
    column(QStringLiteral("Remarks"), ExportColumnKind::Text);

    const auto amount = [](const data::StoredAmount& stored) {
        const std::optional<data::Money> money = stored.money();
        return money ? tableexport::ExportCell(Cents{money->cents()}) : tableexport::ExportCell();
    };
    for (const EmployeeSnapshot& employee : employees) {
        tableexport::ExportRow row = {employee.number, employee.name, employee.job(),
                                      amount(employee.basic)};
        for (const auto& [kind, id] : types) {
            tableexport::ExportCell cell;
            for (const StandingLine& line : employee.linesOf(kind))
                if (line.typeId == id) {
                    cell = amount(line.amount);
                    break;
                }
            row.push_back(cell);
        }
        row.push_back(QString());
        table.rows.push_back(std::move(row));
    }
    return table;
}

} // namespace bulk
