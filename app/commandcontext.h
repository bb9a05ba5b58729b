#pragma once

#include "jobchange/workspace.h"

#include <QDate>

// Who runs a command of the host program without a window: the company, the user, the
// interface (its rights and numbering prefix) and the process date.
struct CommandContext {
    qint16 company = 1;
    qint16 user = 1;
    qint32 interfaceId = jobchange::kJobChangeInterfaceId;
    QDate processDate;
};
