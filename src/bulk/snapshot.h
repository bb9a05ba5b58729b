#pragma once

#include "data/linekind.h"
#include "data/money.h"
#include "data/standingline.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

// Bulk revision: one set of rules applied to many employees at once, previewed before any of
// it is saved as ordinary job changes.
namespace bulk {

using ::StandingLine;

// An employee as the bulk revision found them: what the rules are computed from, and what
// must still hold when the job changes are saved.
struct EmployeeSnapshot {
    qint32 employeeId = 0;
    QString number;
    QString name;
    qint32 designationId = 0;
    QString designation;
    qint32 gradeId = 0;
    QString grade;
    QString currency;
    data::StoredAmount basic;
    std::array<std::vector<StandingLine>, 2> lines; // by LineKind

    std::vector<StandingLine>& linesOf(LineKind kind) { return lines[static_cast<size_t>(kind)]; }
    const std::vector<StandingLine>& linesOf(LineKind kind) const {
        return lines[static_cast<size_t>(kind)];
    }
    // The job as the entry window shows it: grade " - " designation.
    QString job() const { return grade + QStringLiteral(" - ") + designation; }
};

// Who a bulk revision is for. An empty filter lets everyone through.
struct Filters {
    std::optional<qint32> designationId;
    std::optional<qint32> gradeId;
    QString currency; // the employee's currency, in any case
    QString search;   // part of the name or the number, in any case

    bool matches(const EmployeeSnapshot& employee) const;
};

std::vector<EmployeeSnapshot> filtered(const std::vector<EmployeeSnapshot>& employees,
                                       const Filters& filters);

} // namespace bulk
