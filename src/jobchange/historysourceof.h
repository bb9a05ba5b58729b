#pragma once

#include "jobchange/employeehistory.h"
#include "jobchange/workspace.h"

namespace jobchange {

// The employee history read in the register session's workspace, as its user.
inline HistorySource historySourceOf(const Workspace& workspace) {
    return HistorySource{*workspace.connection, workspace.tables,      workspace.companyId,
                         workspace.userId,      workspace.processDate, workspace.msgboxTitle};
}

} // namespace jobchange
