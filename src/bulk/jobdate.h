#pragma once

#include <QDate>
#include <QString>

namespace bulk {

// A job change is applied to the employee master the moment it is saved, whatever its date: a
// date this far after the process date is taken for a typing slip (9999-12-31 for 2026-12-31).
inline constexpr int kMaxDaysAfterProcessDate = 366;

// More than kMaxDaysAfterProcessDate days after the process date.
bool farAfterProcessDate(const QDate& date, const QDate& processDate);

// Why a batch of job changes (the bulk window, a settings file, an import, an approval) may not
// use the date, naming it: before the process date, or far after it. Empty when it may, or when
// there is no process date to compare with.
QString batchJobDateProblem(const QDate& date, const QDate& processDate);

} // namespace bulk
