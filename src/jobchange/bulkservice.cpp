#include "jobchange/bulkservice.h"

#include "bulk/jobdate.h"
#include "data/datetext.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>

namespace jobchange {

namespace {

constexpr int kErrOverflow = 6;

// The batch was cancelled from its progress callback: unwinds to the rollback.
struct Cancelled {};

// The lines' types and exact amounts, in stored order; descriptions may differ.
bool sameLines(const std::vector<StandingLine>& a, const std::vector<StandingLine>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const StandingLine& x, const StandingLine& y) {
                          return x.typeId == y.typeId && x.amount == y.amount;
                      });
}

} // namespace

JobChangeDraft draftOf(const bulk::PlannedJobChange& planned) {
    JobChangeDraft draft;
    draft.employeeId = planned.employeeId;
    draft.oldDesignationId = planned.oldDesignationId;
    draft.newDesignationId = planned.newDesignationId;
    draft.oldBasic = planned.oldBasic;
    draft.newBasic = planned.newBasic;
    draft.date = planned.date;
    draft.remarks = planned.remarks;
    for (LineKind kind : kLineKinds)
        for (const bulk::PlannedLine& line : planned.linesOf(kind))
            draft.linesOf(kind).push_back(
                {line.typeId, line.letter, line.oldAmount, line.revisedAmount});
    return draft;
}

bool sameStanding(const bulk::EmployeeSnapshot& a, const bulk::EmployeeSnapshot& b) {
    return a.employeeId == b.employeeId && a.designationId == b.designationId &&
           a.gradeId == b.gradeId && a.basic == b.basic &&
           sameLines(a.linesOf(LineKind::Allowance), b.linesOf(LineKind::Allowance)) &&
           sameLines(a.linesOf(LineKind::Deduction), b.linesOf(LineKind::Deduction));
}

BulkService::BulkService(WorkspacePtr workspace)
    : workspace_(workspace), service_(std::move(workspace)) {}

// Three statements whatever the number of employees: the masters, then each kind's standing
// lines of the whole company, shared out by employee. The apply's read under the lock takes only
// what it compares, without the texts the preview shows.
std::vector<bulk::EmployeeSnapshot> BulkService::readEmployees(Detail detail) const {
    const Workspace& ws = *workspace_;
    const data::ResolvedTableNames& t = ws.tables;
    const bool texts = detail == Detail::Preview;
    if (!texts)
        lockEmployees();
    std::vector<bulk::EmployeeSnapshot> employees;
    QHash<qint32, size_t> position;
    {
        const QString select =
            texts
                ? QStringLiteral("select e.eEmpID, e.eDesigID, e.eGradeID, e.eBasic, e.eempno, "
                                 "e.eName, d.dDescription, g.gDescription, c.CurrencyName from ") +
                      t.pemployee + QStringLiteral(" e left outer join ") + t.pDesignation +
                      QStringLiteral(" d on d.dCompanyID = e.eCompanyID and d.dDesigID = "
                                     "e.eDesigID left outer join ") +
                      t.pGrades +
                      QStringLiteral(" g on g.gCompanyID = e.eCompanyID and g.gID = e.eGradeID "
                                     "left outer join ") +
                      t.pcurrencymaster +
                      QStringLiteral(" c on c.CompanyID = e.eCompanyID and c.CurrencyID = "
                                     "e.ecurrencyid")
                : QStringLiteral("select e.eEmpID, e.eDesigID, e.eGradeID, e.eBasic from ") +
                      t.pemployee + QStringLiteral(" e");
        data::Recordset rs = ws.db().open(
            select + QStringLiteral(" where e.eCompanyID = ") + ws.company() +
                QStringLiteral(" and e.eActive = 1 and not exists (select 1 from ") +
                t.pEmployeegradeChange +
                QStringLiteral(" egc where egc.egcCompanyID = e.eCompanyID and egc.egcEmpID = "
                               "e.eEmpID and egc.egcCancelled = 0 and egc.egcDate > ?) "
                               "order by e.eEmpID"),
            {ws.processDate});
        for (; !rs.eof(); rs.moveNext()) {
            bulk::EmployeeSnapshot employee;
            employee.employeeId = rs.field(0).toInt();
            employee.designationId = rs.field(1).toInt();
            employee.gradeId = rs.field(2).toInt();
            employee.basic = data::amountField(rs, 3);
            if (texts) {
                employee.number = rs.text(4);
                employee.name = rs.text(5);
                employee.designation = rs.text(6);
                employee.grade = rs.text(7);
                employee.currency = rs.text(8).trimmed();
            }
            position.insert(employee.employeeId, employees.size());
            employees.push_back(std::move(employee));
        }
    }
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        data::Recordset rs = ws.db().open(
            QStringLiteral("select e.") + l.empColumn("empid") + QStringLiteral(", e.") +
            l.empTypeIdColumn + QStringLiteral(", e.") + l.empColumn("amount") +
            (texts ? QStringLiteral(", t.") + l.typeTextColumn : QString()) +
            QStringLiteral(" from ") + ws.tables.*l.empTable + QStringLiteral(" e inner join ") +
            ws.tables.*l.typeTable + QStringLiteral(" t on t.") + l.typeCompanyColumn +
            QStringLiteral(" = e.") + l.empColumn("companyid") + QStringLiteral(" and t.") +
            l.typeIdColumn + QStringLiteral(" = e.") + l.empTypeIdColumn +
            QStringLiteral(" where e.") + l.empColumn("companyid") + QStringLiteral(" = ") +
            ws.company() + QStringLiteral(" order by e.") + l.empColumn("empid") +
            QStringLiteral(", e.") + l.empColumn("detailid"));
        for (; !rs.eof(); rs.moveNext()) {
            const auto found = position.constFind(rs.field(0).toInt());
            if (found == position.constEnd())
                continue;
            employees[*found].linesOf(kind).push_back({rs.field(1).toLongLong(),
                                                       texts ? rs.text(3) : QString(),
                                                       data::amountField(rs, 2)});
        }
    }
    return employees;
}

// SQLite's write lock, taken when the transaction began, already holds every row; the servers
// lock the company's employees, so that another clerk's save of one of them waits for the batch.
void BulkService::lockEmployees() const {
    const Workspace& ws = *workspace_;
    const QString where =
        QStringLiteral(" where eCompanyID = ") + ws.company() + QStringLiteral(" and eActive = 1");
    switch (ws.dialect().kind()) {
    case data::Dialect::Kind::SQLite:
        return;
    case data::Dialect::Kind::Postgres:
        ws.db().open(QStringLiteral("select eEmpID from ") + ws.tables.pemployee + where +
                     QStringLiteral(" for update"));
        return;
    case data::Dialect::Kind::TSql:
        ws.db().open(QStringLiteral("select eEmpID from ") + ws.tables.pemployee +
                     QStringLiteral(" with (updlock, holdlock)") + where);
        return;
    }
}

std::vector<bulk::EmployeeSnapshot> BulkService::eligibleEmployees() const {
    return readEmployees(Detail::Preview);
}

std::vector<bulk::EmployeeSnapshot>
BulkService::eligibleEmployees(const bulk::Filters& filters) const {
    return bulk::filtered(readEmployees(Detail::Preview), filters);
}

std::vector<JobChoice> BulkService::jobs() const {
    const Workspace& ws = *workspace_;
    data::Recordset rs = ws.db().open(
        QStringLiteral("select d.dDesigID, d.dGradeID, g.gDescription, d.dDescription from ") +
        ws.tables.pDesignation + QStringLiteral(" d inner join ") + ws.tables.pGrades +
        QStringLiteral(" g on g.gCompanyID = d.dCompanyID and g.gID = d.dGradeID where "
                       "d.dActive = 1 and d.dCompanyID = ") +
        ws.company() + QStringLiteral(" order by g.gDescription, d.dDescription"));
    std::vector<JobChoice> jobs;
    for (; !rs.eof(); rs.moveNext())
        jobs.push_back({rs.field(0).toInt(), rs.field(1).toInt(),
                        rs.text(2) + QStringLiteral(" - ") + rs.text(3)});
    return jobs;
}

QString BulkService::prepareRules(bulk::Rules& rules) const {
    if (QString problem = bulk::rulesProblem(rules); !problem.isEmpty())
        return problem;
    if (QString problem = dateProblem(rules.date); !problem.isEmpty())
        return problem;
    if (rules.newJob) {
        bool found = false;
        for (const JobChoice& job : jobs())
            if (job.designationId == rules.newJob->designationId) {
                rules.newJob->text = job.text;
                found = true;
            }
        if (!found)
            return QStringLiteral("There is no active designation %1.")
                .arg(rules.newJob->designationId);
    }
    for (bulk::LineRule& rule : rules.lines) {
        bool found = false;
        for (const Choice& type : lineTypes(rule.kind))
            if (type.id == rule.typeId) {
                rule.typeName = type.text;
                found = true;
            }
        if (found) {
            const std::optional<TypeCurrency> currency =
                service_.typeCurrency(rule.kind, rule.typeId);
            rule.currency = currency ? currency->name : QString();
        }
        if (!found)
            return QStringLiteral("There is no active %1 type %2.")
                .arg(rule.kind == LineKind::Allowance ? QStringLiteral("allowance")
                                                      : QStringLiteral("deduction"))
                .arg(rule.typeId);
    }
    return {};
}

QString BulkService::dateProblem(const QDate& date) const {
    if (!date.isValid())
        return QStringLiteral("The job date is missing.");
    return bulk::batchJobDateProblem(date, workspace_->processDate);
}

// Everyone of the company who is not eligible, with the first reason: not active, or a job
// change that stands dated after the process date (the earliest one named).
QHash<QString, QString> BulkService::ineligibleEmployees() const {
    const Workspace& ws = *workspace_;
    data::Recordset rs = ws.db().open(
        QStringLiteral("select e.eempno, e.eName, e.eActive, egc.egcNo, egc.egcDate from ") +
            ws.tables.pemployee + QStringLiteral(" e left outer join ") +
            ws.tables.pEmployeegradeChange +
            QStringLiteral(" egc on egc.egcCompanyID = e.eCompanyID and egc.egcEmpID = e.eEmpID "
                           "and egc.egcCancelled = 0 and egc.egcDate > ? where e.eCompanyID = ") +
            ws.company() + QStringLiteral(" order by e.eEmpID, egc.egcDate"),
        {ws.processDate});
    QHash<QString, QString> why;
    for (; !rs.eof(); rs.moveNext()) {
        const QString number = rs.text(0).trimmed();
        if (why.contains(number))
            continue;
        const QString who = QStringLiteral("%1 (%2)").arg(number, rs.text(1).trimmed());
        if (rs.field(2).toInt() != 1)
            why.insert(number, who + QStringLiteral(" is not active"));
        else if (!rs.field(3).isNull())
            why.insert(number,
                       QStringLiteral("%1 already has job change %2 dated %3, after the "
                                      "process date")
                           .arg(who, rs.text(3).trimmed(), data::dateText(rs.field(4).toDate())));
    }
    return why;
}

bulk::ImportCatalog BulkService::importCatalog(const std::vector<bulk::EmployeeSnapshot>& employees,
                                               bool withIneligible) const {
    bulk::ImportCatalog catalog;
    for (const JobChoice& job : jobs())
        catalog.jobs.push_back({job.designationId, job.text});
    for (LineKind kind : kLineKinds) {
        std::vector<bulk::ImportCatalog::LineType>& types =
            catalog.lineTypes[static_cast<size_t>(kind)];
        QSet<qint64> listed;
        const auto add = [&](qint64 id, const QString& description, bool active) {
            const std::optional<TypeCurrency> currency = service_.typeCurrency(kind, id);
            types.push_back({id, description, currency ? currency->name : QString(), active});
            listed.insert(id);
        };
        for (const Choice& type : lineTypes(kind))
            add(type.id, type.text, true);
        for (const bulk::EmployeeSnapshot& employee : employees)
            for (const StandingLine& line : employee.linesOf(kind))
                if (!listed.contains(line.typeId))
                    add(line.typeId, line.description, false);
    }
    if (withIneligible)
        catalog.ineligible = ineligibleEmployees();
    return catalog;
}

QString BulkService::previewImport(const bulk::ImportTable& table, const QDate& date,
                                   const QString& remarks, bulk::ImportBatch& batch) const {
    if (QString problem = dateProblem(date); !problem.isEmpty())
        return problem;
    const std::vector<bulk::EmployeeSnapshot> eligible = readEmployees(Detail::Preview);
    // The reasons of the others are read only when the file names one of them.
    QSet<QString> numbers;
    for (const bulk::EmployeeSnapshot& employee : eligible)
        numbers.insert(employee.number.trimmed());
    const bool unmatched =
        std::any_of(table.rows.begin(), table.rows.end(), [&](const bulk::ImportRow& row) {
            return !row.employeeNo.isEmpty() && !numbers.contains(row.employeeNo);
        });
    batch = bulk::previewImport(table, eligible, importCatalog(eligible, unmatched), date, remarks);
    return {};
}

BatchResult BulkService::apply(const std::vector<bulk::PreviewRow>& rows, const bulk::Rules& rules,
                               const BatchProgress& progress) const {
    const Workspace& ws = *workspace_;
    // Checked again here, whatever the rules came from.
    if (QString problem = bulk::batchJobDateProblem(rules.date, ws.processDate);
        !problem.isEmpty()) {
        BatchResult refused;
        refused.error = std::move(problem);
        return refused;
    }
    std::vector<const bulk::PreviewRow*> applied;
    for (const bulk::PreviewRow& row : rows)
        if (row.willApply())
            applied.push_back(&row);
    const int total = static_cast<int>(applied.size());

    for (int attempt = 1;; ++attempt) {
        BatchResult result;
        try {
            data::TransactionGuard transaction(ws.db());
            // Everyone as the preview found them, compared under the lock.
            const std::vector<bulk::EmployeeSnapshot> now = readEmployees(Detail::Standing);
            if (const std::optional<QString> missing = service_.missingRight(Right::Create)) {
                result.outcome = BatchResult::Outcome::Forbidden;
                result.error = *missing;
                return result;
            }
            QHash<qint32, size_t> position;
            position.reserve(static_cast<qsizetype>(now.size()));
            for (size_t i = 0; i < now.size(); ++i)
                position.insert(now[i].employeeId, i);
            std::vector<JobChangeDraft> drafts;
            drafts.reserve(applied.size());
            for (const bulk::PreviewRow* row : applied) {
                const std::optional<bulk::PlannedJobChange> planned =
                    bulk::plannedJobChange(*row, rules);
                drafts.push_back(draftOf(*planned));
                const auto found = position.constFind(row->employee.employeeId);
                if (found == position.constEnd() || !sameStanding(row->employee, now[*found]) ||
                    oldValuesOf(drafts.back()) != oldValuesOf(now[*found].designationId,
                                                              now[*found].basic, now[*found].lines))
                    result.changed.push_back(row->employee.employeeId);
            }
            if (!result.changed.empty()) {
                result.outcome = BatchResult::Outcome::Refused;
                return result;
            }

            // One read of the numbering under the company's numbering lock, then counted on.
            service_.lockNumbering();
            qint32 id = service_.nextId();
            const NumberSeries series = service_.numberSeries();
            if (series.next + total - 1 > std::numeric_limits<qint32>::max())
                throw data::DbError(kErrOverflow, QStringLiteral("frmGrade"),
                                    QStringLiteral("Overflow"));
            qint64 offset = 0;
            const JobChangeService::DesignationGrades grades = service_.designationGrades();

            for (size_t i = 0; i < applied.size(); ++i) {
                const bulk::PreviewRow* row = applied[i];
                const QString number = series.number(offset++);
                service_.saveNewSteps(drafts[i], id, number, &grades);
                result.saved.push_back({row->employee.employeeId, id, number});
                ++id;
                if (progress && !progress(static_cast<int>(result.saved.size()), total))
                    throw Cancelled{};
            }
            transaction.commit();
            result.outcome = BatchResult::Outcome::Applied;
            return result;
        } catch (const Cancelled&) {
            result.saved.clear();
            result.outcome = BatchResult::Outcome::Cancelled;
            return result;
        } catch (const data::DbError& error) {
            // Another clerk held the database, or took an id or number meanwhile: the whole
            // batch is done again, compared afresh.
            const bool lostRace = error.number() == data::kErrLockConflict ||
                                  error.number() == data::kErrIntegrityViolation;
            if (attempt < kWriteAttempts && lostRace)
                continue;
            result.saved.clear();
            result.outcome = BatchResult::Outcome::Failed;
            result.errorNumber = error.number();
            result.error = error.description();
            if (error.connectionLost()) {
                result.outcomeUnknown = error.operation() == QLatin1String("commitTrans");
                result.error = lostConnectionMessage(error, QStringLiteral("Apply"),
                                                     QStringLiteral("the job changes"));
            }
            return result;
        }
    }
}

} // namespace jobchange
