#include "jobchange/audittrail.h"

#include "jobchange/auditreads.h"
#include "jobchange/writestatements.h"

#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

namespace jobchange {

AuditOrigin AuditOrigin::ofThisProcess() {
    AuditOrigin origin;
    origin.computer = QSysInfo::machineHostName();
    // The account the program runs under, not what the environment claims.
    if (const passwd* account = getpwuid(geteuid()))
        origin.osUser = QString::fromLocal8Bit(account->pw_name);
    return origin;
}

namespace {

// The server's clock, in UTC to the millisecond, as text that sorts as time.
QString serverTimeSql(data::Dialect::Kind kind) {
    switch (kind) {
    case data::Dialect::Kind::TSql:
        return QStringLiteral("convert(varchar(23), sysutcdatetime(), 121)");
    case data::Dialect::Kind::Postgres:
        return QStringLiteral(
            "to_char(clock_timestamp() at time zone 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS')");
    case data::Dialect::Kind::SQLite:
        break;
    }
    return QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', 'now')");
}

QVariant idOrNull(qint32 id) {
    return id == 0 ? QVariant() : QVariant(id);
}

} // namespace

void AuditTrail::append(AuditRow row) const {
    append(std::vector<AuditRow>{std::move(row)});
}

void AuditTrail::append(std::vector<AuditRow> rows) const {
    if (rows.empty())
        return;
    const QString table = ws_.tables.paudittrail;
    const QString company = ws_.company();
    // The tail is the company's last row by the primary key, read as one row from its end: not
    // a max() the server might compute by reading the company's rows. SQL Server holds the range
    // past the tail too, so that no other writer takes the next number between this read and
    // the insert.
    const QString hint = ws_.dialect().kind() == data::Dialect::Kind::TSql
                             ? QStringLiteral(" with (updlock, holdlock)")
                             : QString();
    const QString last =
        ws_.dialect().firstRows(QStringLiteral("select auSeq, auHash from ") + table + hint +
                                    QStringLiteral(" where auCompanyID = ") + company +
                                    QStringLiteral(" order by auSeq desc"),
                                1);
    QString time;
    qint64 seq = 0;
    QString prevHash;
    {
        data::Recordset tail =
            ws_.db().open(QStringLiteral("select ") + serverTimeSql(ws_.dialect().kind()) +
                          QStringLiteral(" as autime, a.auSeq, a.auHash from (select "
                                         "1 as one) x left join (") +
                          last + QStringLiteral(") a on 1 = 1"));
        time = tail.text(0);
        seq = tail.field(1).isNull() ? 0 : tail.field(1).toLongLong();
        prevHash = tail.field(2).isNull() ? kFirstPrevHash : tail.text(2);
    }
    RowInserts inserts(table, {QStringLiteral("auCompanyID"), QStringLiteral("auSeq"),
                               QStringLiteral("auTime"), QStringLiteral("auUserID"),
                               QStringLiteral("auUserName"), QStringLiteral("auComputer"),
                               QStringLiteral("auOsUser"), QStringLiteral("auAction"),
                               QStringLiteral("auJobChangeID"), QStringLiteral("auJobChangeNo"),
                               QStringLiteral("auEmpID"), QStringLiteral("auBefore"),
                               QStringLiteral("auAfter"), QStringLiteral("auRemark"),
                               QStringLiteral("auPrevHash"), QStringLiteral("auHash")});
    for (AuditRow& row : rows) {
        row.companyId = ws_.companyId;
        row.time = time;
        row.seq = ++seq;
        row.prevHash = prevHash;
        row.hash = row.computedHash();
        prevHash = row.hash;
        inserts.add({ws_.companyId, row.seq, row.time, row.userId, row.userName, row.computer,
                     row.osUser, row.action, idOrNull(row.jobChangeId), row.number,
                     idOrNull(row.employeeId), row.before, row.after, row.remark, row.prevHash,
                     row.hash});
    }
    inserts.flush(ws_.db());
}

QString AuditTrail::userName() const {
    return data::textOf(data::firstField(
        ws_.db(), QStringLiteral("select username from ") + ws_.tables.pusers +
                      QStringLiteral(" where companyid = ") + ws_.company() +
                      QStringLiteral(" and userid = ") + QString::number(ws_.userId)));
}

QString auditActionName(Action action) {
    switch (action) {
    case Action::Create:
        return QStringLiteral("New");
    case Action::Edit:
        return QStringLiteral("Edit");
    case Action::Cancel:
        break;
    }
    return QStringLiteral("Cancel");
}

AuditRow AuditRecorder::rowFor(const Workspace& workspace) {
    if (!userName_)
        userName_ = AuditTrail(workspace).userName();
    AuditRow row;
    row.userId = workspace.userId;
    row.userName = *userName_;
    row.computer = origin_.computer;
    row.osUser = origin_.osUser;
    return row;
}

AuditRow AuditRecorder::rowFor(const Workspace& workspace, const ChangeRecord& change) {
    AuditRow row = rowFor(workspace);
    row.action = auditActionName(change.action);
    row.jobChangeId = change.jobChangeId;
    row.number = change.number;
    row.employeeId = change.employeeId;
    const auto state = [](const JobChangeState& s) {
        return stateText(s.employee, s.jobChange ? &*s.jobChange : nullptr);
    };
    row.before = state(change.before);
    row.after = state(change.after);
    if (change.after.jobChange)
        row.remark = change.action == Action::Cancel ? change.after.jobChange->cancelledRemarks
                                                     : change.after.jobChange->remarks;
    return row;
}

void AuditRecorder::record(const Workspace& workspace, const ChangeRecord& change) {
    AuditTrail(workspace).append(rowFor(workspace, change));
}

void AuditRecorder::record(const Workspace& workspace, const std::vector<ChangeRecord>& changes) {
    std::vector<AuditRow> rows;
    rows.reserve(changes.size());
    for (const ChangeRecord& change : changes)
        rows.push_back(rowFor(workspace, change));
    AuditTrail(workspace).append(std::move(rows));
}

void AuditRecorder::record(const Workspace& workspace, const ActionRecord& action) {
    AuditRow row = rowFor(workspace);
    row.action = action.action;
    row.jobChangeId = action.jobChangeId;
    row.number = action.number;
    row.employeeId = action.employeeId;
    row.before = action.before.isEmpty() ? QString() : canonicalJson(action.before);
    row.after = action.after.isEmpty() ? QString() : canonicalJson(action.after);
    row.remark = action.remark;
    AuditTrail(workspace).append(row);
}

int writeAuditBaseline(const WorkspacePtr& workspace) {
    if (workspace->tables.paudittrail.isEmpty())
        return 0;
    int written = 0;
    UnitOfWork unit(workspace, {QStringLiteral("Ok"), QStringLiteral("the audit baseline")}, false);
    const UnitOutcome outcome = unit.run([&] {
        written = 0;
        unit.lockNumbering();
        const AuditReads reads(workspace);
        const AuditTrail trail(*workspace);
        const std::set<qint32> audited = reads.auditedEmployees();
        AuditRow row;
        row.userId = workspace->userId;
        row.userName = trail.userName();
        const AuditOrigin origin = AuditOrigin::ofThisProcess();
        row.computer = origin.computer;
        row.osUser = origin.osUser;
        row.action = kBaselineAction;
        std::vector<AuditRow> rows;
        for (const auto& [id, employee] : reads.employeeStates()) {
            if (audited.count(id))
                continue;
            row.employeeId = id;
            row.after = stateText(employee, nullptr);
            rows.push_back(row);
        }
        written = static_cast<int>(rows.size());
        trail.append(std::move(rows));
    });
    if (!outcome.committed())
        throw data::DbError(outcome.errorNumber ? outcome.errorNumber : data::kErrGeneric,
                            QStringLiteral("writeAuditBaseline"), outcome.message);
    return written;
}

} // namespace jobchange

namespace jobchange {

int writeAuditBaselines(const data::ConnectionPtr& connection, qint16 userId) {
    data::ResolvedTableNames tables;
    data::ResolveTableNames(*connection, tables);
    if (tables.paudittrail.isEmpty())
        return 0;
    std::vector<qint16> companies;
    {
        data::Recordset rs =
            connection->open(QStringLiteral("select distinct eCompanyID from ") + tables.pemployee +
                             QStringLiteral(" order by eCompanyID"));
        for (; !rs.eof(); rs.moveNext())
            companies.push_back(static_cast<qint16>(rs.field(0).toInt()));
    }
    int written = 0;
    for (const qint16 company : companies)
        written += writeAuditBaseline(Workspace::open(
            connection, company, userId, kJobChangeInterfaceId, QDate(), QString(), tables));
    return written;
}

} // namespace jobchange
