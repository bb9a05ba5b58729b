#pragma once

#include "data/dberror.h"
#include "data/dialect.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct sqlite3;
struct sqlite3_stmt;

namespace data {

class ReadingThread;

// How long a SQLite connection waits for another's lock before a statement fails.
inline constexpr int kSqliteBusyTimeoutMs = 10000;

class Connection;

// A forward-only result: positioned on the first row when opened; eof() once past the last.
class Recordset {
public:
    Recordset(Connection& connection, const QString& sql, const QVariantList& binds = {});

    bool eof() const { return eof_; }
    void moveNext();
    int fieldCount() const { return record_.count(); }
    QString fieldName(int index) const { return record_.fieldName(index); }
    QVariant field(int index) const;
    QVariant field(const QString& name) const; // name without regard to case
    bool isNull(int index) const { return field(index).isNull(); }
    // The field as text: empty for null, numbers in plain decimal, dates as yyyy-MM-dd.
    QString text(int index) const;
    QString text(const QString& name) const;

private:
    Connection& connection_;
    QString sql_;
    QSqlQuery query_;
    QSqlRecord record_;
    bool eof_ = true;
};

// "Start a row, set fields by name, store": one INSERT, or an UPDATE of the row it was opened
// on, with every value bound.
class RowBuilder {
public:
    RowBuilder(Connection& connection, QString table, QString whereClause = {});

    RowBuilder& set(const QString& column, const QVariant& value);
    void store();
    bool isNew() const { return where_.isEmpty(); }

private:
    Connection& connection_;
    QString table_;
    QString where_;
    std::vector<std::pair<QString, QVariant>> values_;
};

// The database connection the host hands over. Created unopened; every statement on an
// unopened connection raises 3709.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Each open remembers how it was opened (the password in memory only), so that a connection
    // the server dropped is opened again the same way (see setReopener).
    void openSqlite(const QString& file);
    // A password given here is used only when the connection string holds none; it never
    // needs to be written where others can read it (see serverlogin.h).
    void openOdbc(const QString& dsnOrConnectionString, const QString& password = {});
    // "host=... port=... dbname=... user=... password=...": libpq's keywords; no value may hold
    // a blank or a semicolon. Unless the string says otherwise, a dead server is given up on
    // within about 30 seconds (connect_timeout, keepalives).
    void openPostgres(const QString& connectionString, const QString& password = {});
    void close();
    bool isOpen() const;
    // What opens another connection to this database as this one was last opened (the same
    // file, data source or server, the password held in memory), tracing to the same file: for
    // reading on another thread, where it is called. Empty for a database held in memory, and
    // when the holder set no reopener.
    std::function<void(Connection&)> openerOfAnother() const;
    // A thread with another connection to this database, for a long read: the one kept from an
    // earlier read when there is one, its connection still open. Null where openerOfAnother is
    // empty.
    std::unique_ptr<ReadingThread> takeReadingThread();
    // Keeps the thread for the next read; one is kept, and none taken before this connection
    // was last opened. Opening this connection again, closing it or tracing it to another file
    // ends the one kept.
    void keepReadingThread(std::unique_ptr<ReadingThread> thread);

    // How a lost connection is opened again: by default as it was last opened. A holder that
    // does not want it reopened behind its back sets none; a lost connection then stays lost.
    void setReopener(std::function<void(Connection&)> reopener) { reopener_ = std::move(reopener); }
    bool canReopen() const { return static_cast<bool>(reopener_); }
    // The connection broke and is not open again yet.
    bool isLost() const { return state_ == State::Lost; }

    const Dialect& dialect() const { return dialect_; }
    QSqlDatabase database() const;
    QString connectionName() const { return name_; }

    // Executes a statement that returns no rows; returns the rows affected.
    int execute(const QString& sql, const QVariantList& binds = {});
    Recordset open(const QString& sql, const QVariantList& binds = {}) {
        return Recordset(*this, sql, binds);
    }
    RowBuilder addNew(const QString& table) { return RowBuilder(*this, table); }
    // The row (exactly one) that whereClause selects, to be updated.
    RowBuilder edit(const QString& table, const QString& whereClause) {
        return RowBuilder(*this, table, whereClause);
    }

    void beginTrans();
    // A transaction that only reads, every read of which sees the database as it stood at the
    // first: a deferred transaction on SQLite (no write lock), repeatable read on PostgreSQL.
    // Ended by rollbackTrans or commitTrans. On SQL Server it reads at the server's default
    // isolation.
    void beginReadTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return inTransaction_; }

    // Appends every statement sent to this file, one a line.
    void setTraceFile(const QString& path);
    // Why statements cannot be appended to the file (created, for its owner only, when it is
    // missing), or an empty text when they can.
    static QString traceFileProblem(const QString& path);
    // Called with the text of every statement before it is sent, "begin transaction" and
    // "commit" included: tests throw from it to inject a failure there, or change the database
    // from another connection at a chosen statement.
    void setStatementHook(std::function<void(const QString& sql)> hook) {
        statementHook_ = std::move(hook);
    }

    // Internal to the layer: prepares and runs a statement for operation ("open", "execute"),
    // raising DbError on failure.
    QSqlQuery run(const QString& operation, const QString& sql, const QVariantList& binds);
    // The error a failed statement raises, traced with the statement and the operation. Its
    // description never quotes the values bound to the statement. A broken connection raises
    // kErrConnectionLost and is reopened by the next statement outside a transaction.
    // odbcStatement: the failed statement's handle, for its SQLSTATE.
    DbError failure(const QSqlError& error, const QString& operation, const QString& sql,
                    const QVariantList& binds = {}, const QVariant& odbcStatement = {});
    // SQLite's own handle while Qt's SQLite driver holds the connection; null otherwise.
    sqlite3* sqliteHandle() const { return sqliteHandle_; }
    // libpq's own handle while Qt's PostgreSQL driver holds the connection; null otherwise.
    pg_conn* postgresHandle() const;
    // Asks whatever statement runs on this connection to stop at its next step, with an error;
    // callable from any thread for as long as the connection stays open. Nothing happens
    // through ODBC.
    std::function<void()> interrupter() const;
    // The error SQLite reports for the statement last run on sqliteHandle().
    DbError sqliteFailure(const QString& operation, const QString& sql,
                          const QVariantList& binds = {});
    // Readies a statement about to run outside run(): the hook, the open connection, the trace.
    void traceStatement(const QString& sql);

private:
    enum class State { Unopened, Open, Closed, Lost };

    void openWith(const QString& driver, const std::function<void(QSqlDatabase&)>& configure);
    // Before a statement: the hook, then a connection that is open (reopened when it was lost
    // and no transaction is open), then the trace.
    void beforeStatement(const QString& operation, const QString& sql);
    void requireOpen(const QString& operation, const QString& sql);
    void markLost();
    void reopen(const QString& sql);
    DbError lostError(const QString& operation, const QString& sql,
                      const QString& description) const;
    void transactionStatement(const QString& operation, const QString& sql);
    void trace(const QString& sql);
    QVariant bindable(const QVariant& value) const;
    int executePrepared(const QString& sql, const QVariantList& binds);
    void finalizePrepared();
    // On PostgreSQL: through libpq under Qt's handle, each text prepared once on the server, one
    // round trip a statement (Qt's driver prepares, runs and frees it: three). Nothing when a
    // value is of a type only Qt's driver converts.
    std::optional<int> executeOnServer(const QString& sql, const QVariantList& binds);

    QString name_;
    Dialect dialect_;
    bool inTransaction_ = false;
    QString traceFile_;
    std::function<void(const QString&)> statementHook_;
    State state_ = State::Unopened;
    std::function<void(Connection&)> reopener_;
    // A SQLite database in memory: a second connection would open another, empty one.
    bool inMemory_ = false;
    // SQLite's statements with bound values, prepared once per text: a batch of job changes
    // repeats the same few inserts thousands of times.
    // Held only while Qt's own SQLite driver is open (not through ODBC, not on a server), and
    // emptied when the connection closes; a statement that fails is dropped from it.
    QHash<QString, sqlite3_stmt*> prepared_;
    // The server's names of the statements executeOnServer prepared in this session; emptied
    // when the session ends, and a statement that fails is dropped from it.
    QHash<QString, QByteArray> serverPrepared_;
    sqlite3* sqliteHandle_ = nullptr;
    std::unique_ptr<ReadingThread> readingThread_;
    // Counts the times this connection was opened: a reading thread taken before the last
    // opening reads what may be another database.
    quint64 openings_ = 0;
};

using ConnectionPtr = std::shared_ptr<Connection>;

// The statement with libpq's $1, $2... for its ? placeholders (those outside quoted text).
QByteArray withNumberedPlaceholders(const QString& sql);
// A bound value as PostgreSQL reads it from text; nothing for a type left to Qt's driver.
std::optional<QByteArray> serverBindText(const QVariant& value);

// INSERT, UPDATE or DELETE.
bool isWriteStatement(const QString& sql);

// Whether a failed statement's error means the connection itself is gone: SQLSTATE class 08
// (ODBC, PostgreSQL), or on PostgreSQL the server ending the session.
bool isConnectionLost(Dialect::Kind kind, const QString& sqlState, const QString& serverText);

// What Qt's ODBC driver is given for a DSN name or connection string: PWD added, braced so
// that any character may stand in it, when a password is given and the string holds none;
// a DSN= key turned into the form the driver expects.
QString odbcDatabaseName(const QString& connectionString, const QString& password);

// Commits only when told to; rolls back when it is left any other way.
class TransactionGuard {
public:
    explicit TransactionGuard(Connection& connection);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void commit();

private:
    Connection& connection_;
    bool open_ = true;
};

// Reads that must see one moment: a read transaction begun here unless one is already open,
// and ended with this guard.
class ReadSnapshot {
public:
    explicit ReadSnapshot(Connection& connection);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    Connection& connection_;
    bool own_;
};

// Text of a value as the program shows it: empty for null, numbers in plain decimal
// ("1500.5"), dates as yyyy-MM-dd.
QString textOf(const QVariant& value);
// Leading number of a text: digits with an optional sign and decimal point; 0 when none.
double leadingNumber(QStringView text);
// A date from a value held as a date or as ISO text; invalid when it is neither.
QDate dateOf(const QVariant& value);

// The first field of the statement's first row; null without a row.
QVariant firstField(Connection& connection, const QString& sql);

} // namespace data
