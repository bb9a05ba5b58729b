#pragma once

#include "data/connection.h"
#include "data/dialect.h"

#include <QString>
#include <optional>

// The statement that finds the highest running number in use behind the prefix (0 when none).
QString gradeNoMaxSql(const data::Dialect& dialect, const QString& gradeChangeTable,
                      qint16 companyId, const QString& prefix);

namespace jobchange {

struct Workspace;

// Where a company's job change numbers stand: its prefix and the first running number free.
// A batch numbers on from it (next, next + 1, ...) under the numbering lock.
struct NumberSeries {
    QString prefix;
    qint64 next = 1;

    QString number(qint64 offset = 0) const { return prefix + QString::number(next + offset); }
};

// The highest running number in use behind the prefix, as gradeNoMaxSql's statement reads it
// (0 when none). Where an index can answer (SQLite, PostgreSQL) it reads a few index entries
// instead of every job change of the series, and it falls back to the statement whenever the
// stored numbers leave the answer in doubt.
qint64 highestRunningNumber(data::Connection& db, const QString& gradeChangeTable, qint16 companyId,
                            const QString& prefix);

// The index's answer alone: none where the index cannot be sure or the server has none.
std::optional<qint64> indexedHighestRunningNumber(data::Connection& db,
                                                  const QString& gradeChangeTable, qint16 companyId,
                                                  const QString& prefix);

// The company's prefix for the workspace's interface and the first free running number, read
// once: a batch numbers on from it under the numbering lock. Past the running number's 32-bit
// range the error is raised as an overflow (6).
NumberSeries numberSeries(const Workspace& workspace);

} // namespace jobchange
