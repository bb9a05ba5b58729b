#include "bench/rowsink.h"

#include "data/connection.h"

#include <algorithm>
#include <sqlite3.h>

namespace bench {

namespace {

// PostgreSQL takes at most 65535 parameters in one statement.
constexpr int kMaxBindsPerStatement = 30000;
// Larger statements cost the server more to parse than they save in round trips.
constexpr int kMaxRowsPerBatch = 250;

QVariant variantOf(const Cell& cell) {
    switch (cell.kind()) {
    case Cell::Kind::Null:
        return {};
    case Cell::Kind::Integer:
        return cell.integer();
    case Cell::Kind::Real:
        return cell.real();
    case Cell::Kind::Text:
        return QString::fromUtf8(cell.text().data(), static_cast<qsizetype>(cell.text().size()));
    case Cell::Kind::Date:
        return cell.date();
    }
    return {};
}

} // namespace

void checkSqlite(sqlite3* db, int rc, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW)
        return;
    throw data::DbError(
        data::kErrGeneric, QStringLiteral("SQLite"),
        QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db))));
}

// ---------------------------------------------------------------- SqliteSink

SqliteSink::SqliteSink(const QString& file) {
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    checkSqlite(db_, rc, "open");
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA synchronous=OFF");
    exec("BEGIN");
    open_ = true;
}

SqliteSink::~SqliteSink() {
    for (sqlite3_stmt* statement : statements_)
        sqlite3_finalize(statement);
    if (open_)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
}

void SqliteSink::exec(const char* sql) {
    checkSqlite(db_, sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), sql);
}

int SqliteSink::table(const QString& name, const QStringList& columns) {
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QByteArray sql =
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(name, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
            .toUtf8();
    sqlite3_stmt* statement = nullptr;
    checkSqlite(db_, sqlite3_prepare_v2(db_, sql.constData(), -1, &statement, nullptr),
                sql.constData());
    statements_.push_back(statement);
    return static_cast<int>(statements_.size()) - 1;
}

void SqliteSink::insert(int table, std::span<const Cell> row) {
    sqlite3_stmt* statement = statements_[static_cast<size_t>(table)];
    int index = 1;
    for (const Cell& cell : row) {
        switch (cell.kind()) {
        case Cell::Kind::Null:
            sqlite3_bind_null(statement, index);
            break;
        case Cell::Kind::Integer:
            sqlite3_bind_int64(statement, index, cell.integer());
            break;
        case Cell::Kind::Real:
            sqlite3_bind_double(statement, index, cell.real());
            break;
        case Cell::Kind::Text:
            sqlite3_bind_text(statement, index, cell.text().data(),
                              static_cast<int>(cell.text().size()), SQLITE_TRANSIENT);
            break;
        case Cell::Kind::Date: {
            // Dates are kept as ISO text in SQLite.
            const QByteArray text = cell.date().toString(Qt::ISODate).toLatin1();
            sqlite3_bind_text(statement, index, text.constData(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
            break;
        }
        }
        ++index;
    }
    checkSqlite(db_, sqlite3_step(statement), "insert");
    sqlite3_reset(statement);
}

void SqliteSink::commit() {
    exec("COMMIT");
    open_ = false;
}

// ---------------------------------------------------------------- ConnectionSink

ConnectionSink::ConnectionSink(data::Connection& connection) : connection_(connection) {
    connection_.beginTrans();
    open_ = true;
}

ConnectionSink::~ConnectionSink() {
    if (open_)
        connection_.rollbackTrans();
}

int ConnectionSink::table(const QString& name, const QStringList& columns) {
    Pending pending;
    pending.name = name;
    pending.columns = columns;
    pending.rowsPerBatch =
        std::clamp(kMaxBindsPerStatement / std::max<int>(1, columns.size()), 1, kMaxRowsPerBatch);
    tables_.push_back(std::move(pending));
    return static_cast<int>(tables_.size()) - 1;
}

void ConnectionSink::insert(int table, std::span<const Cell> row) {
    Pending& pending = tables_[static_cast<size_t>(table)];
    for (const Cell& cell : row)
        pending.binds << variantOf(cell);
    if (++pending.rows == pending.rowsPerBatch)
        flush(pending);
}

void ConnectionSink::flush(Pending& pending) {
    if (pending.rows == 0)
        return;
    QStringList marks;
    for (qsizetype i = 0; i < pending.columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString tuple = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    QStringList tuples;
    for (int i = 0; i < pending.rows; ++i)
        tuples << tuple;
    connection_.execute(QStringLiteral("insert into %1 (%2) values %3")
                            .arg(pending.name, pending.columns.join(QLatin1Char(',')),
                                 tuples.join(QLatin1Char(','))),
                        pending.binds);
    pending.binds.clear();
    pending.rows = 0;
}

void ConnectionSink::commit() {
    for (Pending& pending : tables_)
        flush(pending);
    connection_.commitTrans();
    open_ = false;
}

} // namespace bench
