#include "jobchange/entryreads.h"

#include "data/rowstream.h"
#include "jobchange/linetable.h"

namespace jobchange {

std::optional<StoredJobChange> EntryReads::jobChange(qint32 id) const {
    const Workspace& ws = *workspace_;
    StoredJobChange stored;
    {
        data::Recordset rs =
            ws.db().open(QStringLiteral("select * from ") + ws.tables.pEmployeegradeChange +
                         QStringLiteral(" where egcCompanyId=") + ws.company() +
                         QStringLiteral(" and egcID=") + QString::number(id));
        if (rs.eof())
            return std::nullopt;
        stored.id = id;
        readHeader(rs, stored);
    }
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        data::Recordset rs = ws.db().open(
            l.storedSelect + workspace_->table(l.typeTable) + l.storedTypeAlias +
            workspace_->table(l.gcTable) + l.storedGcAlias + ws.tables.pcurrencymaster +
            l.storedJoin + QString::number(id) + l.storedCompany + ws.company());
        for (; !rs.eof(); rs.moveNext()) {
            StoredLine& line = stored.lines[static_cast<size_t>(kind)].emplace_back();
            line.letter = rs.text(l.gcColumn("type"));
            line.typeId = rs.field(l.typeIdColumn).toLongLong();
            line.description = rs.text(l.typeTextColumn);
            line.oldAmount = data::amountField(rs, l.gcColumn("oldamount"));
            line.revisedAmount = data::amountField(rs, l.gcColumn("revamount"));
            line.currency = rs.text(QStringLiteral("CurrencyName"));
        }
    }
    return stored;
}

void EntryReads::readHeader(const data::Recordset& rs, StoredJobChange& stored) {
    stored.number = rs.text(QStringLiteral("egcNo"));
    stored.date = data::dateOf(rs.field(QStringLiteral("egcDate")));
    stored.employeeId = rs.field(QStringLiteral("egcEmpID")).toInt();
    stored.oldDesignationId = rs.field(QStringLiteral("egcOldDesigID")).toInt();
    stored.oldGradeId = rs.field(QStringLiteral("egcOldGradeID")).toInt();
    stored.newDesignationId = rs.field(QStringLiteral("egcNewDesigID")).toInt();
    stored.newGradeId = rs.field(QStringLiteral("egcNewGradeID")).toInt();
    stored.oldBasic = data::amountField(rs, QStringLiteral("egcOldBasic"));
    stored.newBasic = data::amountField(rs, QStringLiteral("egcNewBasic"));
    stored.remarks = rs.text(QStringLiteral("egcremarks"));
    stored.cancelled = rs.field(QStringLiteral("egcCancelled")).toInt() != 0;
    stored.cancelledRemarks = rs.text(QStringLiteral("egcCancelledRemarks"));
}

std::map<qint32, StoredJobChange> EntryReads::jobChanges(qint32 first, qint32 last) const {
    const Workspace& ws = *workspace_;
    const QString range = QStringLiteral(" between ") + QString::number(first) +
                          QStringLiteral(" and ") + QString::number(last);
    std::map<qint32, StoredJobChange> stored;
    {
        data::Recordset rs =
            ws.db().open(QStringLiteral("select * from ") + ws.tables.pEmployeegradeChange +
                         QStringLiteral(" where egcCompanyId=") + ws.company() +
                         QStringLiteral(" and egcID") + range);
        for (; !rs.eof(); rs.moveNext()) {
            const qint32 id = rs.field(QStringLiteral("egcID")).toInt();
            StoredJobChange& jobChange = stored[id];
            jobChange.id = id;
            readHeader(rs, jobChange);
        }
    }
    // The lines of types with a currency the company knows, as jobChange joins them.
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        data::RowStream rs(
            ws.db(), QStringLiteral("select e.") + l.gcColumn("gcid") + QStringLiteral(", e.") +
                         l.gcColumn("type") + QStringLiteral(", t.") + l.typeIdColumn +
                         QStringLiteral(", e.") + l.gcColumn("oldamount") + QStringLiteral(", e.") +
                         l.gcColumn("revamount") + QStringLiteral(" from ") +
                         workspace_->table(l.typeTable) + QStringLiteral(" t, ") +
                         workspace_->table(l.gcTable) + QStringLiteral(" e, ") +
                         ws.tables.pcurrencymaster + QStringLiteral(" c where t.") +
                         l.typeCompanyColumn + QStringLiteral(" = e.") + l.gcColumn("companyid") +
                         QStringLiteral(" and t.") + l.typeIdColumn + QStringLiteral(" = e.") +
                         l.gcTypeIdColumn + QStringLiteral(" and t.") + l.typeCompanyColumn +
                         QStringLiteral(" = c.CompanyID and t.") + l.typeCurrencyColumn +
                         QStringLiteral(" = c.CurrencyID and e.") + l.gcColumn("companyid") +
                         QStringLiteral(" = ") + ws.company() + QStringLiteral(" and e.") +
                         l.gcColumn("gcid") + range);
        while (rs.next()) {
            const auto jobChange = stored.find(static_cast<qint32>(rs.wholeNumber(0)));
            if (jobChange == stored.end())
                continue;
            StoredLine& line = jobChange->second.lines[static_cast<size_t>(kind)].emplace_back();
            line.letter = rs.text(1).toString();
            line.typeId = rs.wholeNumber(2);
            line.oldAmount = rs.amount(3);
            line.revisedAmount = rs.amount(4);
        }
    }
    return stored;
}

QString EntryReads::currencySymbol(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    return data::textOf(data::firstField(
        workspace_->db(),
        QStringLiteral("select Symbol from  ") + ws.tables.pemployee + QStringLiteral(" ,") +
            ws.tables.pcurrencymaster +
            QStringLiteral(
                " where CompanyID=ecompanyid  and ecurrencyid=CurrencyID and companyid= ") +
            ws.company() + QStringLiteral(" and  eEmpID= ") + QString::number(employeeId)));
}

std::vector<StandingLine> EntryReads::standingLines(LineKind kind, qint32 employeeId) const {
    const LineTable& l = lineTable(kind);
    std::vector<StandingLine> lines;
    // The company too: the employee id alone would read a namesake's lines of another company,
    // and leaves the server no index to find the employee's rows by (a scan per read).
    data::Recordset rs = workspace_->db().open(
        l.standingSelect + workspace_->table(l.typeTable) + l.standingAlias +
        workspace_->table(l.empTable) + l.standingJoin + l.standingEmp +
        QString::number(employeeId) + QStringLiteral(" and e.") + l.empColumn("companyid") +
        QStringLiteral(" = ") + workspace_->company());
    for (; !rs.eof(); rs.moveNext())
        lines.push_back({rs.field(0).toLongLong(), rs.text(1), data::amountField(rs, 2)});
    return lines;
}

// The master, then each kind's standing lines, each result closed before the next statement: a
// clerk committing meanwhile on SQLite waits for no reader of this one.
EmployeeState EntryReads::employeeState(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    EmployeeState state;
    {
        data::Recordset rs = ws.db().open(
            QStringLiteral("select eDesigID,eBasic,eGradeID from ") + ws.tables.pemployee +
            QStringLiteral(" where eCompanyID = ") + ws.company() +
            QStringLiteral(" and eEmpID = ") + QString::number(employeeId));
        if (rs.eof())
            return state;
        state.found = true;
        state.designationId = rs.field(0).toInt();
        state.basic = data::amountField(rs, 1);
        state.gradeId = rs.field(2).toInt();
    }
    for (LineKind kind : kLineKinds)
        state.lines[static_cast<size_t>(kind)] = standingLines(kind, employeeId);
    return state;
}

ShownState EntryReads::readForNew(qint32 employeeId) const {
    return {employeeState(employeeId), std::nullopt};
}

std::optional<ShownState> EntryReads::readForEdit(qint32 id) const {
    std::optional<StoredJobChange> stored = jobChange(id);
    if (!stored)
        return std::nullopt;
    EmployeeState employee = employeeState(stored->employeeId);
    return ShownState{std::move(employee), std::move(stored)};
}

bool EntryReads::offersEmployee(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    return data::firstField(
               workspace_->db(),
               QStringLiteral("select count(*) from ") + ws.tables.pemployee +
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

bool EntryReads::offersOldJob(qint32 designationId) const {
    const Workspace& ws = *workspace_;
    return data::firstField(workspace_->db(),
                            QStringLiteral("select count(*) from ") + ws.tables.pDesignation +
                                QStringLiteral(" where dCompanyID = ") + ws.company() +
                                QStringLiteral(" and dDesigID = ") +
                                QString::number(designationId) + QStringLiteral(" and dActive = 1"))
               .toLongLong() > 0;
}

} // namespace jobchange
