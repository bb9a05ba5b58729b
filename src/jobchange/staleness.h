#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <optional>
#include <vector>

// What a clerk's window was built from, as plain values: read when the window loaded (through
// the service), read again by the write under the writers' lock and compared field for field.
// Amounts are kept as the exact decimal text of what is stored, so that comparing never passes
// through binary floating point.

namespace jobchange {

// An employee's standing line: its type and amount.
struct ShownStandingLine {
    qint64 typeId = 0;
    QString amount;
    bool operator==(const ShownStandingLine&) const = default;
};

// An employee's master and standing lines.
struct EmployeeState {
    bool found = false;
    qint32 designationId = 0;
    qint32 gradeId = 0;
    QString basic;
    std::array<std::vector<ShownStandingLine>, 2> lines; // by LineKind, by type and amount
    bool operator==(const EmployeeState&) const = default;
};

// A line of a job change as stored.
struct ShownJobChangeLine {
    qint32 detailId = 0;
    QString letter;
    qint64 typeId = 0;
    QString oldAmount;
    QString revisedAmount;
    bool operator==(const ShownJobChangeLine&) const = default;
};

// A job change's header and lines as stored.
struct JobChangeState {
    bool found = false;
    QString number;
    QDate date;
    qint32 employeeId = 0;
    qint32 oldDesignationId = 0;
    qint32 oldGradeId = 0;
    qint32 newDesignationId = 0;
    qint32 newGradeId = 0;
    QString oldBasic;
    QString newBasic;
    QString remarks;
    bool cancelled = false;
    QString cancelledRemarks;
    std::array<std::vector<ShownJobChangeLine>, 2> lines; // by LineKind, in detail order
    bool operator==(const JobChangeState&) const = default;
};

// What a window showed: for a new job change the employee as picked; for an edit the job change
// and its employee as they were when the window opened. A write given nothing checks only what
// needs no window: eligibility, cancellation and later job changes.
struct ShownState {
    std::optional<EmployeeState> employee;
    std::optional<JobChangeState> jobChange;
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
