#pragma once

#include "data/money.h"

#include <QString>

// One of an employee's standing allowances or deductions, as stored. Both the service and the
// bulk revision's pure rules work on it.
struct StandingLine {
    qint64 typeId = 0;
    QString description;
    data::StoredAmount amount; // as stored, maybe outside what a clerk may enter
    bool operator==(const StandingLine&) const = default;
};
