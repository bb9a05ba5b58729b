#pragma once

#include <QDate>
#include <QString>

namespace data {
class Connection;
struct ResolvedTableNames;
} // namespace data

namespace bench {

class RowSink;

struct GenerateOptions {
    qint64 jobChanges = 100000;
    int employees = 20000;
    qint16 company = 1;
    // Every job change is dated on or before it, so every active employee can get a new one.
    QDate processDate{2026, 11, 30};
    quint64 seed = 20261130;
};

struct GenerateSummary {
    qint64 jobChanges = 0;
    qint64 cancelled = 0;
    qint64 allowanceLines = 0;
    qint64 deductionLines = 0;
    qint64 standingAllowances = 0;
    qint64 standingDeductions = 0;
    int employees = 0;
};

// The company's document prefix for job changes.
inline constexpr const char* kPrefix = "JC";
// The running number is a 16-bit integer, so a prefix serves at most 32767 job changes. The
// generated history changes prefix every this many; the newest series carries kPrefix and
// leaves room for new job changes.
inline constexpr qint64 kSeriesLength = 30000;
// Allowance and deduction types of the company.
inline constexpr int kAllowanceTypes = 14;
inline constexpr int kDeductionTypes = 12;
inline constexpr int kMinLines = 5;
inline constexpr int kMaxLines = 15;
// One employee has a long history (when there are at least four times as many job changes and
// another employee to take the rest): the history window is timed on it.
inline constexpr int kLongHistoryEmployee = 1;
inline constexpr int kLongHistoryJobChanges = 50;

// The number of the job change with this id among `count` job changes: the newest series
// "JC1", "JC2", ...; older series "H1-1", "H2-1", ...
QString jobChangeNumber(qint64 id, qint64 count);

// Builds a payroll database of one company in a new SQLite file: the schema through the data
// layer, the rows through the SQLite C library. The file must not exist.
GenerateSummary generateSqlite(const QString& file, const GenerateOptions& options = {});

// The same database on an open, empty server database (PostgreSQL), through the data layer.
GenerateSummary generateOn(data::Connection& connection, const GenerateOptions& options = {});

// The rows alone, into a database that already has the schema under these physical names.
GenerateSummary generateRows(RowSink& sink, const data::ResolvedTableNames& tables,
                             const GenerateOptions& options);

} // namespace bench
