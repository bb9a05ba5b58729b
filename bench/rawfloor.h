#pragma once

#include "data/dialect.h"

#include <QDate>
#include <QString>
#include <array>
#include <memory>
#include <vector>

struct sqlite3;
struct pg_conn;

namespace data {
struct ResolvedTableNames;
}

namespace bench {

// One prepared statement of a raw connection. Parameters are numbered from 1, columns from 0.
class RawStatement {
public:
    virtual ~RawStatement() = default;
    virtual RawStatement& bind(int index, qint64 value) = 0;
    virtual RawStatement& bind(int index, double value) = 0;
    virtual RawStatement& bind(int index, const QByteArray& text) = 0;
    // Runs the statement on its first call, then moves on; true while there is a row.
    virtual bool step() = 0;
    // Runs the statement and makes it ready for the next parameters.
    void run() {
        step();
        reset();
    }
    virtual void reset() = 0;
    virtual qint64 integer(int column) const = 0;
    virtual QByteArray text(int column) const = 0;
};

// A database opened straight through its C library: what the program's own paths are measured
// against.
class RawConnection {
public:
    virtual ~RawConnection() = default;
    virtual data::Dialect::Kind kind() const = 0;
    virtual void exec(const char* sql) = 0;
    // Reads every row of the query and every column as text; returns the row count.
    virtual qint64 queryAll(const QString& sql) = 0;
    // Statements are written with "?" for each parameter.
    virtual std::unique_ptr<RawStatement> prepare(const QString& sql) = 0;
    // The first column of the first row as a whole number; 0 when there is no row.
    qint64 scalar(const QString& sql);
};

// A SQLite file through the SQLite C library.
class RawDatabase : public RawConnection {
public:
    explicit RawDatabase(const QString& file);
    ~RawDatabase() override;
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    data::Dialect::Kind kind() const override { return data::Dialect::Kind::SQLite; }
    sqlite3* handle() const { return db_; }
    void exec(const char* sql) override;
    qint64 queryAll(const QString& sql) override;
    std::unique_ptr<RawStatement> prepare(const QString& sql) override;

private:
    sqlite3* db_ = nullptr;
};

// A PostgreSQL database through libpq, opened with a libpq connection string.
class RawServer : public RawConnection {
public:
    explicit RawServer(const QString& connectionString);
    ~RawServer() override;
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    data::Dialect::Kind kind() const override { return data::Dialect::Kind::Postgres; }
    void exec(const char* sql) override;
    qint64 queryAll(const QString& sql) override;
    std::unique_ptr<RawStatement> prepare(const QString& sql) override;

private:
    pg_conn* db_ = nullptr;
    int prepared_ = 0;
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

// The numbering statement of a new job change, for a prefix of that many characters.
QString rawNumberingSql(data::Dialect::Kind kind, const data::ResolvedTableNames& tables,
                        qint16 company, const QString& prefix);

// The save of a new job change done as raw prepared statements in one transaction: the next
// id, the prefix and the numbering query, the two grades, the header, the employee master,
// the job change's lines, and the employee's standing lines deleted and written again; no audit
// row (its floor is the save without the trail).
// Returns the new id.
qint64 rawSave(RawConnection& db, const data::ResolvedTableNames& tables,
               const RawJobChange& change);

// The job changes of a bulk revision written through the C library in one transaction, as
// plainly as it does it efficiently: the numbering read once, each designation's grade looked up
// once, and then, 64 job changes at a time, the employees' standing lines deleted in one
// statement a kind, each employee master updated, and the headers, the job changes' lines, the
// standing lines written again and, when the installation has an audit trail, the audit rows,
// each table's rows in multi-row INSERTs of at most 999 values, prepared once per shape. An
// audit row holds the employee before and after and the job change as JSON text built in place,
// chained to the row before by SHA-256 (the trail's tail read once). Returns the first new id
// (0 when there are none).
qint64 rawBulkSave(RawConnection& db, const data::ResolvedTableNames& tables,
                   const std::vector<RawJobChange>& changes, bool withAudit = true);

} // namespace bench
