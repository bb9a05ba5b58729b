#pragma once

#include "data/money.h"
#include "jobchange/linetable.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <array>
#include <vector>

namespace jobchange {

// An amount of money as the service takes and stores it: exact to the cent, within the range a
// clerk may enter.
using Amount = data::Money;

// One allowance or deduction line of a job change, in list order: "O" kept from the employee's
// standing lines, "N" added, "R" removed.
struct DraftLine {
    qint64 typeId = 0;
    QChar letter;
    Amount oldAmount;
    Amount revisedAmount;
};

// A job change as the clerk entered it, in plain values. A new job change takes every field; an
// edit keeps the stored number, date and old job and rewrites the rest.
struct JobChangeDraft {
    qint32 employeeId = 0;
    qint32 oldDesignationId = 0;
    qint32 newDesignationId = 0;
    Amount oldBasic;
    Amount newBasic;
    QDate date;
    QString remarks;
    std::array<std::vector<DraftLine>, 2> lines; // by LineKind

    std::vector<DraftLine>& linesOf(LineKind kind) { return lines[static_cast<size_t>(kind)]; }
    const std::vector<DraftLine>& linesOf(LineKind kind) const {
        return lines[static_cast<size_t>(kind)];
    }
};

} // namespace jobchange
