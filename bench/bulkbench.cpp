#include "bench/bulkbench.h"

#include "bench/generate.h"
#include "bench/rawfloor.h"
#include "bulk/importsheet.h"
#include "bulk/preview.h"
#include "export/tablewriter.h"
#include "jobchange/bulkreads.h"
#include "jobchange/workspace.h"
#include "jobchange/writer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <memory>

namespace bench {

namespace {

constexpr int kLinesOfEachKind = 5;

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double amount(data::Money money) {
    return static_cast<double>(money.cents()) / 100;
}

// Every employee active and eligible, with the same count of standing lines of each kind.
void shapeCompany(RawConnection& raw, const data::ResolvedTableNames& tables) {
    const QString numbers = QStringLiteral("(with recursive n(i) as (select 1 union all select i "
                                           "+ 1 from n where i < %1) select i from n) n")
                                .arg(kLinesOfEachKind);
    const auto run = [&](const QString& sql) { raw.exec(sql.toUtf8().constData()); };
    run(QStringLiteral("update ") + tables.pemployee + QStringLiteral(" set eActive = 1"));
    run(QStringLiteral("delete from ") + tables.pempallowances);
    run(QStringLiteral("delete from ") + tables.pempdeductions);
    run(QStringLiteral("insert into ") + tables.pempallowances +
        QStringLiteral(" (eacompanyid, eaempid, eadetailid, eaallowanceid, eaamount) select "
                       "eCompanyID, eEmpID, n.i, n.i, 1000 + (eEmpID % 97) * 10 + n.i from ") +
        tables.pemployee + QStringLiteral(", ") + numbers);
    run(QStringLiteral("insert into ") + tables.pempdeductions +
        QStringLiteral(" (edcompanyid, edempid, eddetailid, eddeductionid, edamount) select "
                       "eCompanyID, eEmpID, n.i, n.i, 100 + (eEmpID % 89) + n.i from ") +
        tables.pemployee + QStringLiteral(", ") + numbers);
}

RawJobChange rawOf(const bulk::PlannedJobChange& planned) {
    RawJobChange change;
    change.interfaceId = jobchange::kJobChangeInterfaceId;
    change.employee = planned.employeeId;
    change.date = planned.date;
    change.oldDesignation = planned.oldDesignationId;
    change.newDesignation = planned.newDesignationId;
    change.oldBasic = amount(planned.oldBasic);
    change.newBasic = amount(planned.newBasic);
    change.remarks = planned.remarks;
    for (size_t kind = 0; kind < 2; ++kind)
        for (const bulk::PlannedLine& line : planned.lines[kind])
            change.lines[kind].push_back(
                {static_cast<int>(line.typeId), amount(line.oldAmount), amount(line.revisedAmount),
                 line.letter == QLatin1Char('N') ? 'N' : 'O', line.letter != QLatin1Char('R')});
    return change;
}

// The revision as HR would send it: each employee's new basic and new amounts of the rules'
// line types.
void writeRevisionWorkbook(const std::vector<bulk::PreviewRow>& rows, const bulk::Rules& rules,
                           const QString& path) {
    using Kind = tableexport::ExportColumnKind;
    tableexport::ExportTable table;
    table.titles = {QStringLiteral("Employee No"), QStringLiteral("Name"),
                    QStringLiteral("New Basic")};
    table.kinds = {Kind::Text, Kind::Text, Kind::Amount};
    for (const bulk::LineRule& rule : rules.lines) {
        table.titles << (rule.kind == LineKind::Allowance ? QStringLiteral("Allowance: ")
                                                          : QStringLiteral("Deduction: ")) +
                            rule.typeName;
        table.kinds.push_back(Kind::Amount);
    }
    for (const bulk::PreviewRow& row : rows) {
        tableexport::ExportRow cells = {row.employee.number, row.employee.name,
                                        tableexport::Cents{row.basic.newCents}};
        for (const bulk::RuleEffect& effect : row.effects)
            cells.push_back(tableexport::Cents{effect.amount.newCents});
        table.rows.push_back(std::move(cells));
    }
    tableexport::writeTable(table, path);
}

} // namespace

QString withDatabase(const QString& connectionString, const QString& database) {
    // libpq and the data layer both take the last of a repeated keyword.
    return connectionString + QStringLiteral(" dbname=") + database;
}

BulkFigures measureBulk(const QString& dir, int employees, const QString& serverConnection) {
    BulkFigures figures;
    GenerateOptions options;
    options.employees = employees;
    options.jobChanges = employees;
    const auto connection = std::make_shared<data::Connection>();
    std::unique_ptr<RawConnection> raw;
    QString file;
    QString floorFile;
    if (serverConnection.isEmpty()) {
        file = QDir(dir).filePath(QStringLiteral("bulk-%1.sqlite").arg(employees));
        floorFile = QDir(dir).filePath(QStringLiteral("bulk-floor.sqlite"));
        QFile::remove(file);
        QFile::remove(floorFile);
        generateSqlite(file, options);
        connection->openSqlite(file);
        raw = std::make_unique<RawDatabase>(file);
    } else {
        // A fresh database each run: the apply changes every employee.
        const QString database = QStringLiteral("quorvel_bench_bulk_%1").arg(employees);
        {
            RawServer maintenance(serverConnection);
            maintenance.exec(("drop database if exists " + database).toUtf8().constData());
            maintenance.exec(("create database " + database).toUtf8().constData());
        }
        connection->openPostgres(withDatabase(serverConnection, database));
        generateOn(*connection, options);
        raw = std::make_unique<RawServer>(withDatabase(serverConnection, database));
    }
    const jobchange::WorkspacePtr workspace =
        jobchange::Workspace::open(connection, options.company, 1, jobchange::kJobChangeInterfaceId,
                                   options.processDate, QStringLiteral("Payroll"));
    shapeCompany(*raw, workspace->tables);
    if (floorFile.isEmpty())
        raw->exec("ANALYZE");
    else
        QFile::copy(file, floorFile);

    const jobchange::BulkReads service(workspace);
    bulk::Rules rules;
    rules.date = options.processDate;
    rules.remarks = QStringLiteral("Annual increment");
    rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse(QStringLiteral("5")), {}};
    rules.rounding = bulk::Rounding::Unit;
    rules.lines = {{LineKind::Allowance,
                    1,
                    {},
                    {bulk::Mode::PlusAmount, {}, *data::Money::fromCents(100000)},
                    false,
                    {}},
                   {LineKind::Deduction,
                    2,
                    {},
                    {bulk::Mode::PlusPercent, *bulk::Percent::parse(QStringLiteral("2.5")), {}},
                    false,
                    {}}};
    if (const QString problem = service.prepareRules(rules); !problem.isEmpty())
        figures.problems << problem;

    QElapsedTimer timer;
    timer.start();
    const std::vector<bulk::PreviewRow> rows =
        bulk::computePreview(service.eligibleEmployees(), rules);
    figures.previewMs = elapsedMs(timer);
    figures.employees = static_cast<int>(rows.size());
    if (figures.employees != employees)
        figures.problems << QStringLiteral("the bulk preview has %1 employees, not %2")
                                .arg(figures.employees)
                                .arg(employees);

    const QString workbook = QDir(dir).filePath(QStringLiteral("bulk-revision.xlsx"));
    writeRevisionWorkbook(rows, rules, workbook);
    timer.restart();
    bulk::ImportBatch imported;
    const QString problem =
        service.previewImport(bulk::readImport(workbook), rules.date, rules.remarks, imported);
    figures.importMs = elapsedMs(timer);
    if (!problem.isEmpty() || imported.rowsWithErrors() > 0 ||
        bulk::previewTotals(imported.rows, imported.rules).employees != figures.employees)
        figures.problems << QStringLiteral("the bulk import did not preview every employee: ") +
                                problem;

    timer.restart();
    const jobchange::BatchResult result = jobchange::JobChangeWriter(workspace).apply(rows, rules);
    figures.applyMs = elapsedMs(timer);
    if (!result.ok())
        figures.problems << QStringLiteral("the bulk apply failed: ") + result.error;

    std::vector<RawJobChange> changes;
    for (const bulk::PreviewRow& row : rows)
        if (const auto planned = bulk::plannedJobChange(row, rules))
            changes.push_back(rawOf(*planned));
    // On SQLite the floor writes into the copy taken before the apply; on the server, where a
    // copy is costly, it writes the same job changes again after it, under new numbers.
    if (!floorFile.isEmpty())
        raw = std::make_unique<RawDatabase>(floorFile);
    const QString countSql =
        QStringLiteral("select count(*) from ") + workspace->tables.pEmployeegradeChange;
    const qint64 before = raw->scalar(countSql);
    timer.restart();
    rawBulkSave(*raw, workspace->tables, changes);
    figures.floorMs = elapsedMs(timer);
    if (raw->scalar(countSql) != before + static_cast<qint64>(changes.size()))
        figures.problems << QStringLiteral("the floor did not write every job change");
    return figures;
}

} // namespace bench
