#include "jobchange/workspace.h"

#include "jobchange/audittrail.h"

namespace jobchange {

std::shared_ptr<const Workspace> Workspace::open(data::ConnectionPtr connection, qint16 companyId,
                                                 qint16 userId, qint32 interfaceId,
                                                 const QDate& processDate, QString msgboxTitle,
                                                 const data::ResolvedTableNames& earlier) {
    auto workspace = std::make_shared<Workspace>();
    workspace->connection =
        connection ? std::move(connection) : std::make_shared<data::Connection>();
    workspace->companyId = companyId;
    workspace->userId = userId;
    workspace->interfaceId = interfaceId;
    workspace->processDate = processDate;
    workspace->msgboxTitle = std::move(msgboxTitle);
    workspace->tables = earlier;
    data::ResolveTableNames(*workspace->connection, workspace->tables);
    if (!workspace->tables.paudittrail.isEmpty())
        workspace->recorder = std::make_shared<AuditRecorder>();
    return workspace;
}

} // namespace jobchange
