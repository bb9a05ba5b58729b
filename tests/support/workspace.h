#pragma once

#include "component/basgrade.h"
#include "jobchange/workspace.h"

// The workspace the register would make from the caller context (see useContext).
inline jobchange::WorkspacePtr contextWorkspace() {
    const CallerContext& context = BasGrade();
    return jobchange::Workspace::open(context.adocon, context.intCompanyID, context.intUserID,
                                      context.Intinterfaceid, context.ProcessDate,
                                      context.MsgboxTitle);
}
