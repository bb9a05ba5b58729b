#pragma once

#include "jobchange/employeehistory.h"
#include "jobchange/workspace.h"

namespace jobchange {

// The employee history read in the register session's workspace, as its user.
inline HistorySource historySourceOf(const Workspace& workspace) {
    return HistorySource{*workspace.connection, workspace.tables,      workspace.companyId,
                         workspace.userId,      workspace.processDate, workspace.msgboxTitle};
}

// A workspace over the history's connection, for the readers that take one; it does not own
// the connection, which outlives the history window.
inline WorkspacePtr workspaceOf(const HistorySource& source) {
    auto workspace = std::make_shared<Workspace>();
    workspace->connection = data::ConnectionPtr(data::ConnectionPtr(), &source.connection);
    workspace->tables = source.tables;
    workspace->companyId = source.company;
    workspace->userId = source.user;
    workspace->processDate = source.processDate;
    workspace->msgboxTitle = source.messageTitle;
    return workspace;
}

} // namespace jobchange
