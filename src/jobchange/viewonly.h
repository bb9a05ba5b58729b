#pragma once

#include "jobchange/workspace.h"

#include <QDate>
#include <QString>
#include <optional>

namespace jobchange {

// Why a stored job change opens only to be viewed.
struct ViewOnlyReason {
    bool cancelled = false;
    QString cancelledRemarks; // as the cancellation stored it ("user:reason")
    // The first later job change of the same employee that is not cancelled; no number when
    // none.
    QString laterNumber;
    QDate laterDate;
};

// The job change's cancellation, or the later job change that superseded it; nothing when it
// is neither (or not found).
std::optional<ViewOnlyReason> viewOnlyReason(const Workspace& workspace, qint32 id);

} // namespace jobchange
