// Several clerks on one database: the writers' lock on an employee, the numbering lock, and the
// re-check of what a clerk's window showed before a write goes through.

#include "jobchange/jobchangeservice.h"

namespace jobchange {

EmployeeState JobChangeService::employeeState(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    EmployeeState state;
    {
        data::Recordset rs = ws.db().open(
            QStringLiteral("select eDesigID, eGradeID, eBasic from ") + ws.tables.pemployee +
            QStringLiteral(" where eCompanyID = ") + ws.company() +
            QStringLiteral(" and eEmpID = ") + QString::number(employeeId));
        if (rs.eof())
            return state;
        state.found = true;
        state.designationId = rs.field(0).toInt();
        state.gradeId = rs.field(1).toInt();
        state.basic = data::amountField(rs, 2);
    }
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        const QString amount = l.empColumn("amount");
        data::Recordset rs = ws.db().open(
            QStringLiteral("select ") + l.empTypeIdColumn + QStringLiteral(", ") + amount +
            QStringLiteral(" from ") + table(l.empTable) + QStringLiteral(" where ") +
            l.empColumn("companyid") + QStringLiteral(" = ") + ws.company() +
            QStringLiteral(" and ") + l.empColumn("empid") + QStringLiteral(" = ") +
            QString::number(employeeId) + QStringLiteral(" order by ") + l.empTypeIdColumn +
            QStringLiteral(", ") + amount);
        for (; !rs.eof(); rs.moveNext())
            state.lines[static_cast<size_t>(kind)].push_back(
                {rs.field(0).toLongLong(), QString(), data::amountField(rs, 1)});
    }
    return state;
}

StoredJobChange JobChangeService::jobChangeState(qint32 id) const {
    const Workspace& ws = *workspace_;
    StoredJobChange state;
    {
        data::Recordset rs = ws.db().open(
            QStringLiteral("select egcNo, egcDate, egcEmpID, egcOldDesigID, egcOldGradeID, "
                           "egcNewDesigID, egcNewGradeID, egcOldBasic, egcNewBasic, egcremarks, "
                           "egcCancelled, egcCancelledRemarks from ") +
            ws.tables.pEmployeegradeChange + QStringLiteral(" where egcCompanyId = ") +
            ws.company() + QStringLiteral(" and egcId = ") + QString::number(id));
        if (rs.eof())
            return state;
        state.id = id;
        state.number = rs.text(0);
        state.date = data::dateOf(rs.field(1));
        state.employeeId = rs.field(2).toInt();
        state.oldDesignationId = rs.field(3).toInt();
        state.oldGradeId = rs.field(4).toInt();
        state.newDesignationId = rs.field(5).toInt();
        state.newGradeId = rs.field(6).toInt();
        state.oldBasic = data::amountField(rs, 7);
        state.newBasic = data::amountField(rs, 8);
        state.remarks = rs.text(9);
        state.cancelled = rs.field(10).toInt() != 0;
        state.cancelledRemarks = rs.text(11);
    }
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        data::Recordset rs = ws.db().open(
            QStringLiteral("select ") + l.gcColumn("detailid") + QStringLiteral(", ") +
            l.gcColumn("type") + QStringLiteral(", ") + l.gcTypeIdColumn + QStringLiteral(", ") +
            l.gcColumn("oldamount") + QStringLiteral(", ") + l.gcColumn("revamount") +
            QStringLiteral(" from ") + table(l.gcTable) + QStringLiteral(" where ") +
            l.gcColumn("companyid") + QStringLiteral(" = ") + ws.company() +
            QStringLiteral(" and ") + l.gcColumn("gcid") + QStringLiteral(" = ") +
            QString::number(id) + QStringLiteral(" order by ") + l.gcColumn("detailid"));
        for (; !rs.eof(); rs.moveNext()) {
            StoredLine& line = state.lines[static_cast<size_t>(kind)].emplace_back();
            line.detailId = rs.field(0).toInt();
            line.letter = rs.text(1);
            line.typeId = rs.field(2).toLongLong();
            line.oldAmount = data::amountField(rs, 3);
            line.revisedAmount = data::amountField(rs, 4);
        }
    }
    return state;
}

ShownState JobChangeService::shownForNew(qint32 employeeId) const {
    return {employeeState(employeeId), std::nullopt};
}

ShownState JobChangeService::shownForEdit(qint32 id) const {
    StoredJobChange jobChange = jobChangeState(id);
    EmployeeState employee = employeeState(jobChange.employeeId);
    return {std::move(employee), std::move(jobChange)};
}

void JobChangeService::lockEmployee(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    ws.db().open(ws.dialect().lockingSelect(QStringLiteral("eEmpID"), ws.tables.pemployee,
                                            QStringLiteral("eCompanyID = ") + ws.company() +
                                                QStringLiteral(" and eEmpID = ") +
                                                QString::number(employeeId)));
}

void JobChangeService::lockNumbering() const {
    const Workspace& ws = *workspace_;
    const QString sql = ws.dialect().numberingLock(ws.tables.pPrefix, ws.companyId);
    if (!sql.isEmpty())
        ws.db().open(sql);
}

// Active, and without an uncancelled job change dated after the process date: the employees
// the entry window offers for a new job change.
bool JobChangeService::eligible(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    return firstField(QStringLiteral("select count(*) from ") + ws.tables.pemployee +
                      QStringLiteral(" e where e.eCompanyID = ") + ws.company() +
                      QStringLiteral(" and e.eEmpID = ") + QString::number(employeeId) +
                      QStringLiteral(" and e.eActive = 1 and not exists (select egcId from ") +
                      ws.tables.pEmployeegradeChange +
                      QStringLiteral(" egc where egc.egcCompanyID = e.eCompanyID and "
                                     "egc.egcEmpID = e.eEmpID and egc.egcCancelled = 0 and "
                                     "egc.egcDate > ") +
                      ws.dialect().dateLiteral(ws.processDate, QStringLiteral("yyyy/MM/dd")) +
                      QLatin1Char(')'))
               .toLongLong() > 0;
}

void JobChangeService::recheckUnderLock(Write kind, qint32 id, qint32 employeeId,
                                        const ShownState& shown) const {
    if (kind == Write::New) {
        lockEmployee(employeeId);
        if (!eligible(employeeId) ||
            (shown.employee && *shown.employee != employeeState(employeeId)))
            throw Refusal{kEmployeeChangedMessage};
        return;
    }
    const Workspace& ws = *workspace_;
    const QString header = QStringLiteral(" from ") + ws.tables.pEmployeegradeChange +
                           QStringLiteral(" where egcCompanyId = ") + ws.company() +
                           QStringLiteral(" and egcId = ") + QString::number(id);
    // A job change keeps its employee, so it may be read before the lock.
    lockEmployee(firstField(QStringLiteral("select egcEmpID") + header).toInt());
    if (firstField(QStringLiteral("select egcCancelled") + header).toInt() != 0)
        throw Refusal{kAlreadyCancelledMessage};
    if (laterUncancelledExists(id))
        throw Refusal{kind == Write::Edit ? kCannotSaveLaterMessage : kCannotDeleteLaterMessage};
    if (kind != Write::Edit || !shown.jobChange)
        return;
    const StoredJobChange now = jobChangeState(id);
    if (now != *shown.jobChange ||
        (shown.employee && *shown.employee != employeeState(now.employeeId)))
        throw Refusal{kJobChangeChangedMessage};
}

} // namespace jobchange
