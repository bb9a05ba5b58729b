#include "bench/auditbench.h"

#include "jobchange/auditreads.h"
#include "jobchange/audittrail.h"
#include "jobchange/auditverify.h"

#include <QElapsedTimer>
#include <QJsonObject>

namespace bench {

namespace {

jobchange::WorkspacePtr workspaceOn(const data::ConnectionPtr& connection,
                                    const QDate& processDate) {
    return jobchange::Workspace::open(connection, 1, 1, jobchange::kJobChangeInterfaceId,
                                      processDate, QStringLiteral("Payroll"));
}

} // namespace

qint64 fillAuditTrail(const data::ConnectionPtr& connection, const QDate& processDate,
                      qint64 rows) {
    const jobchange::WorkspacePtr workspace = workspaceOn(connection, processDate);
    const QString table = workspace->tables.paudittrail;
    if (table.isEmpty())
        throw data::DbError(data::kErrGeneric, QStringLiteral("fillAuditTrail"),
                            QStringLiteral("the database has no audit trail"));
    std::vector<std::pair<qint32, QString>> employees;
    for (const auto& [id, state] : jobchange::AuditReads(workspace).employeeStates())
        employees.emplace_back(id, jobchange::canonicalJson(jobchange::employeeJson(state)));
    const jobchange::AuditOrigin origin = jobchange::AuditOrigin::ofThisProcess();

    data::Connection& db = *connection;
    data::TransactionGuard transaction(db);
    jobchange::AuditRow row;
    row.companyId = 1;
    row.userId = 1;
    row.userName = QStringLiteral("Administrator");
    row.computer = origin.computer;
    row.osUser = origin.osUser;
    row.action = QStringLiteral("Edit");
    row.time = processDate.toString(Qt::ISODate) + QStringLiteral(" 09:00:00.000");
    {
        data::Recordset tail = db.open(QStringLiteral("select auSeq, auHash from ") + table +
                                       QStringLiteral(" where auCompanyID = 1 and auSeq = (select "
                                                      "max(auSeq) from ") +
                                       table + QStringLiteral(" where auCompanyID = 1)"));
        row.seq = tail.eof() ? 0 : tail.field(0).toLongLong();
        row.hash = tail.eof() ? jobchange::kFirstPrevHash : tail.text(1);
    }
    const QString insert =
        QStringLiteral("insert into ") + table +
        QStringLiteral(" (auCompanyID, auSeq, auTime, auUserID, auUserName, auComputer, "
                       "auOsUser, auAction, auJobChangeID, auJobChangeNo, auEmpID, auBefore, "
                       "auAfter, auRemark, auPrevHash, auHash) values (?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?)");
    for (qint64 i = 0; i < rows && !employees.empty(); ++i) {
        const auto& [id, employee] = employees[static_cast<size_t>(i) % employees.size()];
        ++row.seq;
        row.prevHash = row.hash;
        row.employeeId = id;
        row.jobChangeId = static_cast<qint32>(i + 1);
        row.number = QStringLiteral("A%1").arg(i + 1);
        row.before = QStringLiteral("{\"employee\":") + employee + QLatin1Char('}');
        row.after = QStringLiteral("{\"employee\":") + employee +
                    QStringLiteral(",\"jobChange\":{\"date\":\"") +
                    processDate.toString(Qt::ISODate) + QStringLiteral("\",\"number\":\"") +
                    row.number + QStringLiteral("\",\"remarks\":\"Corrected\"}}");
        row.remark = QStringLiteral("Corrected");
        row.hash = row.computedHash();
        db.execute(insert, {1, row.seq, row.time, row.userId, row.userName, row.computer,
                            row.osUser, row.action, row.jobChangeId, row.number, row.employeeId,
                            row.before, row.after, row.remark, row.prevHash, row.hash});
    }
    transaction.commit();
    return row.seq;
}

double timeVerifyAudit(const data::ConnectionPtr& connection, const QDate& processDate,
                       QString& problem) {
    const jobchange::WorkspacePtr workspace = workspaceOn(connection, processDate);
    QElapsedTimer timer;
    timer.start();
    const jobchange::AuditVerification result = jobchange::verifyAudit(workspace);
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!result.sound())
        problem = (result.problems + result.employees).mid(0, 3).join(QStringLiteral("; "));
    return elapsed;
}

} // namespace bench
