#pragma once

#include "data/dberror.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/storedjobchange.h"

#include <QString>
#include <optional>
#include <utility>

// What a clerk's window was built from, as plain values: the window shows one reading through
// the service and hands the same reading back to its write, which reads the database again under
// the writers' lock and compares value by value.

namespace jobchange {

// What a window showed: for a new job change the employee as picked; for an edit the job change
// and its employee as they were when the window opened. A write given nothing still compares
// what it stores as old with the database.
struct ShownState {
    std::optional<EmployeeState> employee;
    std::optional<StoredJobChange> jobChange;
};

// What a job change stores as the pay it replaces: the old job, the old basic pay and the
// standing lines it keeps or removes (type and old amount, in any order).
struct OldValues {
    qint32 designationId = 0;
    data::StoredAmount basic;
    std::array<std::vector<std::pair<qint64, QString>>, 2> lines; // by LineKind, sorted

    bool operator==(const OldValues&) const = default;
};
// A draft's: its old job and basic, and its kept ("O") and removed ("R") lines.
OldValues oldValuesOf(const JobChangeDraft& draft);
// A stored job change's, likewise.
OldValues oldValuesOf(const StoredJobChange& jobChange);
// An employee's present pay, which a new job change replaces.
OldValues oldValuesOf(qint32 designationId, const data::StoredAmount& basic,
                      const std::array<std::vector<StandingLine>, 2>& lines);

// Two readings of an employee with the same values: job, grade, basic pay and standing lines
// (type and amount, in any order). Descriptions do not count.
bool sameEmployee(const EmployeeState& a, const EmployeeState& b);
// Two readings of a job change with the same values: every header field, the amounts as stored,
// and the same lines (letter, type, old and revised amount, in any order).
bool sameJobChange(const StoredJobChange& a, const StoredJobChange& b);

// Raised under the lock when what the window showed no longer holds, or the user lacks the
// right; the write rolls back.
struct Refusal {
    QString message;
    bool forbidden = false; // for want of the right
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

// What a clerk is told when a write lost its connection: nothing saved and the button to press
// again; during COMMIT, that the outcome (of subject: "the job change", ...) is not known.
QString lostConnectionMessage(const data::DbError& error, const QString& button,
                              const QString& subject);

} // namespace jobchange
