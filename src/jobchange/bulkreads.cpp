#include "jobchange/bulkreads.h"

#include "bulk/jobdate.h"
#include "data/datetext.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace jobchange {

namespace {

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

BulkReads::BulkReads(WorkspacePtr workspace)
    : workspace_(workspace), lookups_(std::move(workspace)) {}

// Three statements whatever the number of employees: the masters, then each kind's standing
// lines of the whole company, shared out by employee. A batch's read under its lock takes only
// what it compares, without the texts the preview shows.
std::vector<bulk::EmployeeSnapshot> BulkReads::readEmployees(Detail detail) const {
    const Workspace& ws = *workspace_;
    const data::ResolvedTableNames& t = ws.tables;
    const bool texts = detail == Detail::Preview;
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

// The servers lock the company's employees in id order, so that another clerk's save of one of
// them waits for the batch and two batches queue rather than deadlock.
void BulkReads::lockEmployees() const {
    const Workspace& ws = *workspace_;
    const QString where =
        QStringLiteral(" where eCompanyID = ") + ws.company() + QStringLiteral(" and eActive = 1");
    switch (ws.dialect().kind()) {
    case data::Dialect::Kind::SQLite:
        return;
    case data::Dialect::Kind::Postgres:
        ws.db().open(QStringLiteral("select eEmpID from ") + ws.tables.pemployee + where +
                     QStringLiteral(" order by eEmpID for update"));
        return;
    case data::Dialect::Kind::TSql:
        ws.db().open(QStringLiteral("select eEmpID from ") + ws.tables.pemployee +
                     QStringLiteral(" with (updlock, holdlock)") + where +
                     QStringLiteral(" order by eEmpID"));
        return;
    }
}

std::vector<bulk::EmployeeSnapshot> BulkReads::eligibleEmployees() const {
    return readEmployees(Detail::Preview);
}

std::vector<bulk::EmployeeSnapshot>
BulkReads::eligibleEmployees(const bulk::Filters& filters) const {
    return bulk::filtered(readEmployees(Detail::Preview), filters);
}

std::vector<JobChoice> BulkReads::jobs() const {
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

QString BulkReads::prepareRules(bulk::Rules& rules) const {
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
                lookups_.typeCurrency(rule.kind, rule.typeId);
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

QString BulkReads::dateProblem(const QDate& date) const {
    if (!date.isValid())
        return QStringLiteral("The job date is missing.");
    return bulk::batchJobDateProblem(date, workspace_->processDate);
}

// Everyone of the company who is not eligible, with the first reason: not active, or a job
// change that stands dated after the process date (the earliest one named).
QHash<QString, QString> BulkReads::ineligibleEmployees() const {
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

bulk::ImportCatalog BulkReads::importCatalog(const std::vector<bulk::EmployeeSnapshot>& employees,
                                             bool withIneligible) const {
    bulk::ImportCatalog catalog;
    for (const JobChoice& job : jobs())
        catalog.jobs.push_back({job.designationId, job.text});
    for (LineKind kind : kLineKinds) {
        std::vector<bulk::ImportCatalog::LineType>& types =
            catalog.lineTypes[static_cast<size_t>(kind)];
        QSet<qint64> listed;
        const auto add = [&](qint64 id, const QString& description, bool active) {
            const std::optional<TypeCurrency> currency = lookups_.typeCurrency(kind, id);
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

QString BulkReads::previewImport(const bulk::ImportTable& table, const QDate& date,
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

std::vector<bulk::EmployeeSnapshot> BulkReads::standing() const {
    return readEmployees(Detail::Standing);
}

} // namespace jobchange
