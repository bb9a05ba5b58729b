#pragma once

#include "data/linekind.h"
#include "data/money.h"
#include "data/standingline.h"

#include <QDate>
#include <QString>
#include <array>
#include <vector>

// A job change and an employee's standing pay as the database holds them. The entry window is
// filled from one reading of these and hands it back to its write, which reads them again under
// the writers' lock and compares the two; amounts compare as the exact stored decimal.

namespace jobchange {

using ::StandingLine;

// An employee's master and standing lines.
struct EmployeeState {
    bool found = false;
    qint32 designationId = 0;
    qint32 gradeId = 0;
    data::StoredAmount basic;
    std::array<std::vector<StandingLine>, 2> lines; // by LineKind, in the order read

    const std::vector<StandingLine>& linesOf(LineKind kind) const {
        return lines[static_cast<size_t>(kind)];
    }
};

// A stored line of a job change: "O" kept from the standing lines, "N" added, "R" removed.
struct StoredLine {
    QString letter;
    qint64 typeId = 0;
    QString description;
    data::StoredAmount oldAmount; // as stored, maybe outside what a clerk may enter
    data::StoredAmount revisedAmount;
    QString currency;
    bool operator==(const StoredLine&) const = default;
};

// What every reading of a stored job change holds, whatever form it keeps its amounts in.
struct JobChangeHeader {
    qint32 id = 0;
    QString number;
    QDate date;
    qint32 employeeId = 0;
    qint32 oldDesignationId = 0;
    qint32 oldGradeId = 0;
    qint32 newDesignationId = 0;
    qint32 newGradeId = 0;
    QString remarks;
    bool cancelled = false;
    QString cancelledRemarks;
    bool operator==(const JobChangeHeader&) const = default;
};

// A stored job change with its lines, amounts as stored; all defaults (id 0) when there is none.
struct StoredJobChange : JobChangeHeader {
    data::StoredAmount oldBasic; // as stored, maybe outside what a clerk may enter
    data::StoredAmount newBasic;
    std::array<std::vector<StoredLine>, 2> lines; // by LineKind

    const std::vector<StoredLine>& linesOf(LineKind kind) const {
        return lines[static_cast<size_t>(kind)];
    }
    bool operator==(const StoredJobChange&) const = default;
};

} // namespace jobchange
