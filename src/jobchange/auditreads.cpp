#include "jobchange/auditreads.h"

#include "data/rowstream.h"
#include "jobchange/linetable.h"

namespace jobchange {

namespace {

const QString kRowColumns = QStringLiteral(
    "select auSeq, auTime, auUserID, auUserName, auComputer, auOsUser, auAction, auJobChangeID, "
    "auJobChangeNo, auEmpID, auBefore, auAfter, auRemark, auPrevHash, auHash from ");

AuditRow rowOf(data::RowStream& rs, qint16 companyId) {
    AuditRow row;
    row.companyId = companyId;
    row.seq = rs.wholeNumber(0);
    row.time = rs.text(1).toString();
    row.userId = static_cast<qint32>(rs.wholeNumber(2));
    row.userName = rs.text(3).toString();
    row.computer = rs.text(4).toString();
    row.osUser = rs.text(5).toString();
    row.action = rs.text(6).toString();
    row.jobChangeId = static_cast<qint32>(rs.wholeNumber(7));
    row.number = rs.text(8).toString();
    row.employeeId = static_cast<qint32>(rs.wholeNumber(9));
    row.before = rs.text(10).toString();
    row.after = rs.text(11).toString();
    row.remark = rs.text(12).toString();
    row.prevHash = rs.text(13).toString();
    row.hash = rs.text(14).toString();
    return row;
}

} // namespace

std::map<qint32, EmployeeState> AuditReads::employeeStates() const {
    return readStates({}, {});
}

std::map<qint32, EmployeeState> AuditReads::employeeStates(const std::vector<qint32>& ids) const {
    QString list = QStringLiteral(" in (");
    QVariantList binds;
    for (const qint32 id : ids) {
        list += binds.isEmpty() ? QStringLiteral("?") : QStringLiteral(", ?");
        binds << id;
    }
    return ids.empty() ? std::map<qint32, EmployeeState>() : readStates(list + u')', binds);
}

// ids: nothing for every employee, else " in (?, ...)" with binds its ids.
std::map<qint32, EmployeeState> AuditReads::readStates(const QString& ids,
                                                       const QVariantList& binds) const {
    const Workspace& ws = *workspace_;
    std::map<qint32, EmployeeState> states;
    {
        data::RowStream rs(ws.db(),
                           QStringLiteral("select eEmpID, eDesigID, eBasic, eGradeID from ") +
                               ws.tables.pemployee + QStringLiteral(" where eCompanyID = ") +
                               ws.company() +
                               (ids.isEmpty() ? QString() : QStringLiteral(" and eEmpID") + ids),
                           binds);
        while (rs.next()) {
            EmployeeState& state = states[static_cast<qint32>(rs.wholeNumber(0))];
            state.found = true;
            state.designationId = static_cast<qint32>(rs.wholeNumber(1));
            state.basic = rs.amount(2);
            state.gradeId = static_cast<qint32>(rs.wholeNumber(3));
        }
    }
    // The lines of types the company knows, as the entry window reads them.
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        data::RowStream rs(
            ws.db(),
            QStringLiteral("select e.") + l.empColumn("empid") + QStringLiteral(", t.") +
                l.typeIdColumn + QStringLiteral(", e.") + l.empColumn("amount") +
                QStringLiteral(" from ") + ws.table(l.typeTable) + QStringLiteral(" t, ") +
                ws.table(l.empTable) + QStringLiteral(" e where t.") + l.typeCompanyColumn +
                QStringLiteral(" = e.") + l.empColumn("companyid") + QStringLiteral(" and t.") +
                l.typeIdColumn + QStringLiteral(" = e.") + l.empTypeIdColumn +
                QStringLiteral(" and e.") + l.empColumn("companyid") + QStringLiteral(" = ") +
                ws.company() +
                (ids.isEmpty() ? QString()
                               : QStringLiteral(" and e.") + l.empColumn("empid") + ids),
            binds);
        while (rs.next()) {
            const auto found = states.find(static_cast<qint32>(rs.wholeNumber(0)));
            if (found != states.end())
                found->second.lines[static_cast<size_t>(kind)].push_back(
                    {rs.wholeNumber(1), QString(), rs.amount(2)});
        }
    }
    return states;
}

std::set<qint32> AuditReads::auditedEmployees() const {
    const Workspace& ws = *workspace_;
    std::set<qint32> audited;
    data::Recordset rs =
        ws.db().open(QStringLiteral("select distinct auEmpID from ") + ws.tables.paudittrail +
                     QStringLiteral(" where auCompanyID = ") + ws.company() +
                     QStringLiteral(" and auEmpID is not null"));
    for (; !rs.eof(); rs.moveNext())
        audited.insert(rs.field(0).toInt());
    return audited;
}

std::vector<AuditRow> AuditReads::rows(const QString& where) const {
    const Workspace& ws = *workspace_;
    std::vector<AuditRow> rows;
    data::RowStream rs(ws.db(), kRowColumns + ws.tables.paudittrail +
                                    QStringLiteral(" where auCompanyID = ") + ws.company() + where);
    while (rs.next())
        rows.push_back(rowOf(rs, ws.companyId));
    return rows;
}

std::vector<AuditRow> AuditReads::rowsOfEmployee(qint32 employeeId) const {
    return rows(QStringLiteral(" and auEmpID = ") + QString::number(employeeId) +
                QStringLiteral(" order by auSeq desc"));
}

std::vector<AuditRow> AuditReads::rowsBetween(const QDate& from, const QDate& to) const {
    // The times are ISO text: a day's rows sort from "yyyy-MM-dd" to before the next day.
    QString where;
    if (from.isValid())
        where +=
            QStringLiteral(" and auTime >= '") + from.toString(Qt::ISODate) + QLatin1Char('\'');
    if (to.isValid())
        where += QStringLiteral(" and auTime < '") + to.addDays(1).toString(Qt::ISODate) +
                 QLatin1Char('\'');
    return rows(where + QStringLiteral(" order by auSeq"));
}

void AuditReads::forEachRow(const std::function<void(const AuditRowView&)>& each) const {
    const Workspace& ws = *workspace_;
    data::RowStream rs(ws.db(), kRowColumns + ws.tables.paudittrail +
                                    QStringLiteral(" where auCompanyID = ") + ws.company() +
                                    QStringLiteral(" order by auSeq"));
    AuditRowView row;
    row.companyId = ws.companyId;
    while (rs.next()) {
        row.seq = rs.wholeNumber(0);
        row.time = rs.utf8(1);
        row.userId = static_cast<qint32>(rs.wholeNumber(2));
        row.userName = rs.utf8(3);
        row.computer = rs.utf8(4);
        row.osUser = rs.utf8(5);
        row.action = rs.utf8(6);
        row.jobChangeId = static_cast<qint32>(rs.wholeNumber(7));
        row.number = rs.utf8(8);
        row.employeeId = static_cast<qint32>(rs.wholeNumber(9));
        row.before = rs.utf8(10);
        row.after = rs.utf8(11);
        row.remark = rs.utf8(12);
        row.prevHash = rs.utf8(13);
        row.hash = rs.utf8(14);
        each(row);
    }
}

AuditNames AuditReads::names(EmployeeNames employees) const {
    const Workspace& ws = *workspace_;
    AuditNames names;
    const auto read = [&](QHash<qint64, QString>& into, const QString& sql) {
        data::Recordset rs = ws.db().open(sql + ws.company());
        for (; !rs.eof(); rs.moveNext())
            into.insert(rs.field(0).toLongLong(), rs.text(1));
    };
    read(names.designations, QStringLiteral("select dDesigID, dDescription from ") +
                                 ws.tables.pDesignation + QStringLiteral(" where dCompanyID = "));
    read(names.grades, QStringLiteral("select gID, gDescription from ") + ws.tables.pGrades +
                           QStringLiteral(" where gCompanyid = "));
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        read(names.lineTypes[static_cast<size_t>(kind)],
             QStringLiteral("select ") + l.typeIdColumn + QStringLiteral(", ") + l.typeTextColumn +
                 QStringLiteral(" from ") + ws.table(l.typeTable) + QStringLiteral(" where ") +
                 l.typeCompanyColumn + QStringLiteral(" = "));
    }
    if (employees == EmployeeNames::Skip)
        return names;
    data::Recordset rs =
        ws.db().open(QStringLiteral("select eEmpID, eempno, eName from ") + ws.tables.pemployee +
                     QStringLiteral(" where eCompanyID = ") + ws.company());
    for (; !rs.eof(); rs.moveNext())
        names.employees.insert(rs.field(0).toInt(), {rs.text(1), rs.text(2)});
    return names;
}

} // namespace jobchange
