#pragma once

#include "data/connection.h"

#include <QString>

// Job change numbers: the company's prefix for the interface followed by a running number.

// The statement that finds the highest running number in use behind the prefix (0 when none).
QString gradeNoMaxSql(const data::Dialect& dialect, const QString& gradeChangeTable,
                      qint16 companyId, const QString& prefix);

// The next job change number of the caller context's company and interface. The running
// number is 32-bit; past its range the error is raised as an overflow (6).
QString fnNextGradeNo(data::Connection& connection);
