#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <vector>

struct sqlite3;

namespace data {
struct ResolvedTableNames;
}

namespace bench {

// A SQLite file opened straight through the C library: what the program's own paths are
// measured against.
class RawDatabase {
public:
    explicit RawDatabase(const QString& file);
    ~RawDatabase();
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    sqlite3* handle() const { return db_; }
    void exec(const char* sql);
    // Steps every row of the query and reads every column as text; returns the row count.
    qint64 queryAll(const QString& sql);
    // The first column of the first row as a whole number; 0 when there is no row.
    qint64 scalar(const QString& sql);

private:
    sqlite3* db_ = nullptr;
};

// One row of an allowance or deduction list as the entry window saves it.
struct RawLine {
    int type = 0;
    double oldAmount = 0.0;
    double revisedAmount = 0.0;
    // 'O' a standing line carried over, 'N' an added one.
    char letter = 'O';
    bool checked = true;
};

// A new job change as the save receives it from the entry window.
struct RawJobChange {
    qint16 company = 1;
    qint32 interfaceId = 91004;
    qint32 employee = 0;
    QDate date;
    qint32 oldDesignation = 0;
    double oldBasic = 0.0;
    qint32 newDesignation = 0;
    double newBasic = 0.0;
    QString remarks;
    std::array<std::vector<RawLine>, 2> lines; // allowances, deductions
};

// The numbering statement of a new job change on SQLite, for a prefix of that many characters.
QString rawNumberingSql(const data::ResolvedTableNames& tables, qint16 company,
                        const QString& prefix);

// The save of a new job change done as raw prepared statements in one transaction: the next
// id, the prefix and the numbering query, the two grades, the header, the employee master,
// the job change's lines, and the employee's standing lines deleted and written again.
// Returns the new id.
qint64 rawSave(RawDatabase& db, const data::ResolvedTableNames& tables, const RawJobChange& change);

// The job changes of a bulk revision written as raw prepared statements, each prepared once, in
// one transaction: the numbering read once, then per job change the header, the employee
// master, its lines, and the standing lines deleted and written again. Grades are looked up as
// the save does. Returns the first new id (0 when there are none).
qint64 rawBulkSave(RawDatabase& db, const data::ResolvedTableNames& tables,
                   const std::vector<RawJobChange>& changes);

} // namespace bench
