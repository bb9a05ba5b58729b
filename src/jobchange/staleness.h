#pragma once

#include "jobchange/storedjobchange.h"

#include <QString>
#include <optional>

// What a clerk's window was built from, as plain values: read when the window loaded (through
// the service), read again by the write under the writers' lock and compared field for field.

namespace jobchange {

// What a window showed: for a new job change the employee as picked; for an edit the job change
// and its employee as they were when the window opened. A write given nothing checks only what
// needs no window: eligibility, cancellation and later job changes.
struct ShownState {
    std::optional<EmployeeState> employee;
    std::optional<StoredJobChange> jobChange;
};

// Raised under the lock when what the window showed no longer holds; the write rolls back.
struct Refusal {
    QString message;
};

// Why a write refused to go through: what the window showed no longer holds.
inline const QString kEmployeeChangedMessage =
    QStringLiteral("Employee changed by another user, select the employee again");
inline const QString kAlreadyCancelledMessage =
    QStringLiteral("Job change already cancelled by another user");
inline const QString kCannotDeleteLaterMessage =
    QStringLiteral("Can not delete, Succeeding transaction exists");
inline const QString kCannotSaveLaterMessage =
    QStringLiteral("Can not save, Succeeding transaction exists");
inline const QString kJobChangeChangedMessage =
    QStringLiteral("Job change changed by another user, open it again");

} // namespace jobchange
