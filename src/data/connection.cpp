#include "data/connection.h"

#include "data/readingthread.h"
#include "data/serverlogin.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlResult>
#include <QTextStream>
#include <libpq-fe.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

namespace data {

namespace {

QAtomicInt connectionCounter;

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Integrity violations keep one number whatever server raised them.
bool isConstraintViolation(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    const QString text = error.databaseText().toLower();
    if (code.startsWith(QLatin1String("23")))
        return true; // SQLSTATE class 23: PostgreSQL and ODBC
    bool ok = false;
    const int sqliteCode = code.toInt(&ok);
    if (ok && (sqliteCode & 0xff) == 19)
        return true; // SQLITE_CONSTRAINT and its extended codes
    return text.contains(QLatin1String("constraint")) || text.contains(QLatin1String("unique"));
}

// The lock was not to be had, or the server chose this transaction to lose a conflict.
bool isLockConflict(const QSqlError& error, Dialect::Kind kind) {
    const QString code = error.nativeErrorCode();
    bool ok = false;
    const int number = code.toInt(&ok);
    switch (kind) {
    case Dialect::Kind::SQLite:
        return ok && ((number & 0xff) == 5 || (number & 0xff) == 6); // SQLITE_BUSY, SQLITE_LOCKED
    case Dialect::Kind::Postgres:
        return code == QLatin1String("40001") || code == QLatin1String("40P01") ||
               code == QLatin1String("55P03");
    case Dialect::Kind::TSql:
        return ok && (number == 1205 || number == 1222); // deadlock victim, lock timeout
    }
    return false;
}

// The handle Qt's ODBC driver keeps for a connection or a statement; null for another driver's.
SQLHANDLE odbcHandle(const QVariant& handle) {
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "SQLHANDLE") != 0 && qstrcmp(handle.typeName(), "void*") != 0))
        return nullptr;
    return *static_cast<const SQLHANDLE*>(handle.constData());
}

// The SQLSTATE of the first diagnostic record an ODBC handle holds; empty when it has none.
QString odbcSqlState(const QVariant& handle, SQLSMALLINT handleType) {
    SQLHANDLE h = odbcHandle(handle);
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!h || !SQL_SUCCEEDED(SQLGetDiagRecA(handleType, h, 1, state, &native, nullptr, 0, &length)))
        return {};
    return QString::fromLatin1(reinterpret_cast<const char*>(state));
}

// libpq's own view of the session: bad once the server ended it or the link broke.
// The libpq handle inside Qt's driver handle; its type is named after the struct behind the
// typedef ("pg_conn*") or the typedef itself, as the Qt build registered it.
PGconn* libpqHandle(const QVariant& handle) {
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

bool postgresSessionBroken(const QSqlDatabase& db) {
    if (!db.isValid() || !db.driver())
        return false;
    const PGconn* session = libpqHandle(db.driver()->handle());
    return session && PQstatus(session) == CONNECTION_BAD;
}

} // namespace

bool isConnectionLost(Dialect::Kind kind, const QString& sqlState, const QString& serverText) {
    // SQLSTATE class 08 is a connection exception, for ODBC and PostgreSQL alike.
    if (sqlState.startsWith(QLatin1String("08")))
        return true;
    if (kind != Dialect::Kind::Postgres)
        return false;
    // The server ended the session: an administrator, a shutdown, a crash.
    if (sqlState == QLatin1String("57P01") || sqlState == QLatin1String("57P02") ||
        sqlState == QLatin1String("57P03"))
        return true;
    static const QRegularExpression gone(
        QStringLiteral("terminating connection|server closed the connection|no connection to "
                       "the server|connection to server was lost|could not (receive|send) data "
                       "(from|to) server"),
        QRegularExpression::CaseInsensitiveOption);
    return gone.match(serverText).hasMatch();
}

namespace {

// What the clerk is shown: the server's own text, or the driver's where the server has none.
// SQLite answers "not an error" when the driver refused the statement before SQLite saw it
// (several statements at once, say).
QString describe(const QSqlError& error) {
    const QString server = error.databaseText().trimmed();
    if (!server.isEmpty() &&
        server.compare(QLatin1String("not an error"), Qt::CaseInsensitive) != 0)
        return server;
    const QString driver = error.driverText().trimmed();
    return driver.isEmpty() ? error.text().trimmed() : driver;
}

// The texts of the values bound to a statement, as a server may quote them back: whole, and up
// to a NUL, where a statement text sent as a C string ends.
QStringList boundTexts(const QVariantList& binds) {
    QStringList texts;
    for (const QVariant& value : binds) {
        if (value.isNull())
            continue;
        const QString text = value.toString();
        for (const QString& form : {text, text.section(QChar(0), 0, 0)})
            if (!form.trimmed().isEmpty() && !texts.contains(form))
                texts << form;
    }
    return texts;
}

// A refused statement's text as a clerk may see it: the values bound to it carry pay and names,
// and servers quote them back (PostgreSQL in its DETAIL, CONTEXT and LINE lines, and in the
// token its first line quotes). Only the first line is kept, and any quoted or bracketed part of
// it that holds a bound value, or a piece of one, is replaced by "...".
QString withoutBoundValues(const QString& text, const QVariantList& binds) {
    const QStringList values = boundTexts(binds);
    if (values.isEmpty())
        return text;
    const QString first = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    const auto holdsValue = [&values](QString part) {
        part = part.trimmed();
        while (!part.isEmpty() &&
               (part.front() == QLatin1Char('\'') || part.front() == QLatin1Char('"')))
            part.remove(0, 1);
        while (!part.isEmpty() &&
               (part.back() == QLatin1Char('\'') || part.back() == QLatin1Char('"')))
            part.chop(1);
        if (part.isEmpty())
            return false;
        return std::any_of(values.begin(), values.end(), [&part](const QString& value) {
            return value.contains(part) || part.contains(value);
        });
    };
    QString shown;
    for (qsizetype i = 0; i < first.size();) {
        const QChar open = first[i];
        const QChar close = open == QLatin1Char('(') ? QLatin1Char(')') : open;
        const qsizetype end =
            open == QLatin1Char('"') || open == QLatin1Char('\'') || open == QLatin1Char('(')
                ? first.indexOf(close, i + 1)
                : -1;
        if (end < 0) {
            shown += open;
            ++i;
            continue;
        }
        const QString part = first.mid(i + 1, end - i - 1);
        shown += open + (holdsValue(part) ? QStringLiteral("...") : part) + close;
        i = end + 1;
    }
    return shown;
}

// A value as libpq's connection string takes it, so quotes and backslashes arrive as typed.
QString conninfoQuoted(QString value) {
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace

// ---------------------------------------------------------------- Recordset

Recordset::Recordset(Connection& connection, const QString& sql, const QVariantList& binds)
    : connection_(connection), sql_(sql),
      query_(connection.run(QStringLiteral("open"), sql, binds)) {
    record_ = query_.record();
    eof_ = !query_.next();
}

void Recordset::moveNext() {
    if (eof_)
        return;
    eof_ = !query_.next();
    if (eof_ && query_.lastError().isValid())
        throw connection_.failure(query_.lastError(), QStringLiteral("moveNext"), sql_);
}

QVariant Recordset::field(int index) const {
    if (eof_ || index < 0 || index >= record_.count())
        throw DbError(3021, QStringLiteral("Recordset"),
                      QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                     "deleted. Requested operation requires a current record."));
    return query_.value(index);
}

QVariant Recordset::field(const QString& name) const {
    const int index = record_.indexOf(name);
    if (index < 0)
        throw DbError(3265, QStringLiteral("Recordset"),
                      QStringLiteral("Item cannot be found in the collection corresponding to "
                                     "the requested name or ordinal: ") +
                          name);
    return field(index);
}

QString Recordset::text(int index) const {
    return textOf(field(index));
}
QString Recordset::text(const QString& name) const {
    return textOf(field(name));
}

// ---------------------------------------------------------------- RowBuilder

RowBuilder::RowBuilder(Connection& connection, QString table, QString whereClause)
    : connection_(connection), table_(std::move(table)), where_(std::move(whereClause)) {
    values_.reserve(16);
}

RowBuilder& RowBuilder::set(const QString& column, const QVariant& value) {
    for (auto& [name, held] : values_) {
        if (name.compare(column, Qt::CaseInsensitive) == 0) {
            held = value;
            return *this;
        }
    }
    values_.emplace_back(column, value);
    return *this;
}

void RowBuilder::store() {
    if (values_.empty())
        return;
    QVariantList binds;
    binds.reserve(static_cast<qsizetype>(values_.size()));
    // Built by appending: a batch stores a hundred thousand rows.
    QString sql;
    sql.reserve(256);
    if (isNew()) {
        sql += QStringLiteral("insert into ") + table_ + QStringLiteral(" (");
        for (size_t i = 0; i < values_.size(); ++i)
            sql += (i ? QStringLiteral(", ") : QString()) + values_[i].first;
        sql += QStringLiteral(") values (");
        for (size_t i = 0; i < values_.size(); ++i)
            sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
        sql += QLatin1Char(')');
    } else {
        sql += QStringLiteral("update ") + table_ + QStringLiteral(" set ");
        for (size_t i = 0; i < values_.size(); ++i)
            sql +=
                (i ? QStringLiteral(", ") : QString()) + values_[i].first + QStringLiteral(" = ?");
        sql += QStringLiteral(" where ") + where_;
    }
    for (const auto& [name, value] : values_)
        binds << value;
    const int affected = connection_.execute(sql, binds);
    if (!isNew() && affected != 1)
        throw DbError(kErrGeneric, QStringLiteral("RowBuilder"),
                      QStringLiteral("Row cannot be located for updating. Some values may have "
                                     "been changed since it was last read."));
}

// ---------------------------------------------------------------- Connection

Connection::Connection()
    : name_(QStringLiteral("quorvel-%1").arg(connectionCounter.fetchAndAddRelaxed(1) + 1)) {}

Connection::~Connection() {
    close();
    if (QSqlDatabase::contains(name_))
        QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(name_, false);
}

void Connection::openWith(const QString& driver,
                          const std::function<void(QSqlDatabase&)>& configure) {
    close();
    if (QSqlDatabase::contains(name_))
        QSqlDatabase::removeDatabase(name_);
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, name_);
    if (!db.isValid())
        throw DbError(kErrGeneric, QStringLiteral("Connection"),
                      QStringLiteral("The database driver %1 is not available.").arg(driver));
    configure(db);
    ++openings_;
    if (!db.open())
        throw DbError(kErrGeneric, QStringLiteral("Connection"), db.lastError().text());
    state_ = State::Open;
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        dialect_ = Dialect(Dialect::Kind::SQLite);
        sqliteHandle_ = *static_cast<sqlite3* const*>(db.driver()->handle().constData());
        break;
    case QSqlDriver::PostgreSQL:
        dialect_ = Dialect(Dialect::Kind::Postgres);
        break;
    default:
        dialect_ = Dialect(Dialect::Kind::TSql);
        break;
    }
}

void Connection::openSqlite(const QString& file) {
    // SQLite would create a missing file readable by everyone; it will hold pay.
    if (!file.isEmpty() && file != QLatin1String(":memory:") && !QFileInfo::exists(file)) {
        QFile created(file);
        if (!created.open(QIODevice::WriteOnly, kOwnerOnly))
            throw DbError(kErrGeneric, QStringLiteral("Connection"),
                          QStringLiteral("Cannot create the database file %1: %2")
                              .arg(file, created.errorString()));
    }
    openWith(QStringLiteral("QSQLITE"), [&](QSqlDatabase& db) {
        db.setDatabaseName(file);
        // A second clerk on the same file waits for the lock instead of failing at once.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=") +
                             QString::number(kSqliteBusyTimeoutMs));
    });
    execute(QStringLiteral("PRAGMA foreign_keys = ON"));
    inMemory_ = file.isEmpty() || file == QLatin1String(":memory:");
    reopener_ = [file](Connection& connection) {
        // Opened again only where it was: never a new, empty database in its place.
        if (!QFileInfo::exists(file))
            throw DbError(kErrGeneric, QStringLiteral("Connection"),
                          QStringLiteral("The database file %1 is gone.").arg(file));
        connection.openSqlite(file);
    };
}

QString odbcDatabaseName(const QString& connectionString, const QString& password) {
    QString name = connectionString.trimmed();
    if (!password.isEmpty() && !connectionStringHasPassword(ServerKind::Odbc, name)) {
        QString braced = password;
        braced.replace(QLatin1Char('}'), QStringLiteral("}}"));
        if (!name.endsWith(QLatin1Char(';')))
            name += QLatin1Char(';');
        name += QStringLiteral("PWD={") + braced + QLatin1Char('}');
    }
    // Qt's driver hands a string naming DRIVER= or SERVER= over as it is and puts "DSN=" before
    // anything else, which would double a DSN key of the string's own: put its value first.
    static const QRegularExpression driverOrServer(QStringLiteral("(driver|server)\\s*="),
                                                   QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression dsn(QStringLiteral("(^|;)\\s*dsn\\s*=([^;]*);?"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (driverOrServer.match(name).hasMatch())
        return name;
    const QRegularExpressionMatch match = dsn.match(name);
    if (!match.hasMatch())
        return name;
    QString rest = name;
    rest.remove(match.capturedStart(), match.capturedLength());
    rest = rest.trimmed();
    if (rest.startsWith(QLatin1Char(';')))
        rest.remove(0, 1);
    return match.captured(2).trimmed() + (rest.isEmpty() ? QString() : QLatin1Char(';') + rest);
}

void Connection::openOdbc(const QString& dsnOrConnectionString, const QString& password) {
    openWith(QStringLiteral("QODBC"), [&](QSqlDatabase& db) {
        db.setDatabaseName(odbcDatabaseName(dsnOrConnectionString, password));
        // A server that does not answer is given up on rather than waited for.
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=30"));
    });
    // The SQLite ODBC driver reports no DBMS type Qt knows; it names itself, through a DSN too.
    SQLCHAR dbms[64] = {};
    SQLSMALLINT length = 0;
    if (SQLHANDLE connection = odbcHandle(database().driver()->handle());
        connection &&
        SQL_SUCCEEDED(SQLGetInfoA(connection, SQL_DBMS_NAME, dbms, sizeof dbms, &length)) &&
        QString::fromLatin1(reinterpret_cast<const char*>(dbms))
            .contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
        dialect_ = Dialect(Dialect::Kind::SQLite);
    reopener_ = [dsnOrConnectionString, password](Connection& connection) {
        connection.openOdbc(dsnOrConnectionString, password);
    };
}

void Connection::openPostgres(const QString& connectionString, const QString& password) {
    openWith(QStringLiteral("QPSQL"), [&](QSqlDatabase& db) {
        db.setPassword(password);
        QStringList options;
        for (const QString& part : connectionString.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const qsizetype eq = part.indexOf(QLatin1Char('='));
            const QString key = part.left(eq).trimmed().toLower();
            const QString value = eq < 0 ? QString() : part.mid(eq + 1).trimmed();
            if (key == QLatin1String("host"))
                db.setHostName(value);
            else if (key == QLatin1String("port"))
                db.setPort(value.toInt());
            else if (key == QLatin1String("dbname"))
                db.setDatabaseName(value);
            else if (key == QLatin1String("user"))
                db.setUserName(value);
            else if (eq < 0)
                options << part;
            else // credentials and the rest: libpq reads them, this program never does
                options << part.left(eq).trimmed() + QStringLiteral("=") + conninfoQuoted(value);
        }
        // A dead server or network is reported within about 30 s instead of hanging: the
        // connection attempt gives up after 10 s, and an idle link is probed after 10 s, every
        // 5 s, 3 times. The connection string may set its own.
        static const std::pair<const char*, const char*> kPatience[] = {
            {"connect_timeout", "10"},
            {"keepalives", "1"},
            {"keepalives_idle", "10"},
            {"keepalives_interval", "5"},
            {"keepalives_count", "3"}};
        for (const auto& [key, value] : kPatience) {
            const QString name = QString::fromLatin1(key);
            if (!QRegularExpression(QStringLiteral("(^|\\s)") + name + QStringLiteral("\\s*="),
                                    QRegularExpression::CaseInsensitiveOption)
                     .match(connectionString)
                     .hasMatch())
                options << name + QLatin1Char('=') + QString::fromLatin1(value);
        }
        db.setConnectOptions(options.join(QLatin1Char(';')));
    });
    reopener_ = [connectionString, password](Connection& connection) {
        connection.openPostgres(connectionString, password);
    };
}

void Connection::close() {
    readingThread_.reset();
    if (state_ != State::Unopened)
        state_ = State::Closed;
    if (!QSqlDatabase::contains(name_))
        return;
    finalizePrepared();
    serverPrepared_.clear();
    sqliteHandle_ = nullptr;
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
    inTransaction_ = false;
}

bool Connection::isOpen() const {
    return QSqlDatabase::contains(name_) && database().isOpen();
}

std::function<void(Connection&)> Connection::openerOfAnother() const {
    if (!reopener_ || inMemory_)
        return {};
    return [reopener = reopener_, traceFile = traceFile_](Connection& connection) {
        reopener(connection);
        connection.setTraceFile(traceFile);
    };
}

std::unique_ptr<ReadingThread> Connection::takeReadingThread() {
    if (readingThread_)
        return std::move(readingThread_);
    const std::function<void(Connection&)> open = openerOfAnother();
    return open ? std::make_unique<ReadingThread>(open, openings_) : nullptr;
}

void Connection::keepReadingThread(std::unique_ptr<ReadingThread> thread) {
    if (!readingThread_ && thread && thread->opening() == openings_)
        readingThread_ = std::move(thread);
}

pg_conn* Connection::postgresHandle() const {
    if (dialect_.kind() != Dialect::Kind::Postgres || !isOpen())
        return nullptr;
    return libpqHandle(database().driver()->handle());
}

std::function<void()> Connection::interrupter() const {
    if (sqlite3* handle = sqliteHandle_)
        return [handle] { sqlite3_interrupt(handle); };
    if (PGconn* session = postgresHandle()) {
        const std::shared_ptr<PGcancel> cancel(PQgetCancel(session), PQfreeCancel);
        if (cancel)
            return [cancel] {
                char error[256];
                PQcancel(cancel.get(), error, sizeof error);
            };
    }
    return [] {};
}

void Connection::beforeStatement(const QString& operation, const QString& sql) {
    if (statementHook_)
        statementHook_(sql);
    requireOpen(operation, sql);
    trace(sql);
}

void Connection::requireOpen(const QString& operation, const QString& sql) {
    // Closed by someone else while this program held it open: lost, as if the server had ended
    // it. This statement fails as it would there; the next one opens the connection again.
    if (state_ == State::Open && !isOpen()) {
        markLost();
        throw lostError(operation, sql,
                        QStringLiteral("The connection to the database was lost; the next try "
                                       "opens it again."));
    }
    if (state_ == State::Lost) {
        // A transaction that lost its connection is over: nothing more of it may be sent, not
        // even on a connection opened again.
        if (inTransaction_)
            throw lostError(
                operation, sql,
                QStringLiteral(
                    "The connection to the database was lost; the next try opens it again."));
        reopen(sql);
    }
    if (!isOpen())
        throw DbError::connectionClosed(QStringLiteral("Connection"));
}

void Connection::markLost() {
    state_ = State::Lost;
    serverPrepared_.clear();
    if (isOpen())
        return; // a server session: reopening closes it
    // Qt's SQLite driver cannot close a handle that still has prepared statements of this
    // connection: it leaves it open, with its transaction and lock. Close what it could not.
    if (sqliteHandle_ && !prepared_.isEmpty()) {
        finalizePrepared();
        sqlite3_close(sqliteHandle_);
    }
    prepared_.clear();
    sqliteHandle_ = nullptr;
}

void Connection::reopen(const QString& sql) {
    if (!reopener_)
        throw lostError(QStringLiteral("reopen"), sql,
                        QStringLiteral("The connection to the database was lost, and this program "
                                       "cannot open it again by itself: close the register and "
                                       "open it again."));
    const std::function<void(Connection&)> reopener = reopener_;
    try {
        reopener(*this);
    } catch (const DbError& error) {
        state_ = State::Lost;
        reopener_ = reopener;
        trace(QStringLiteral("-- reopening failed: ") + error.description());
        throw lostError(QStringLiteral("reopen"), sql,
                        QStringLiteral("The connection to the database was lost and could not be "
                                       "opened again: ") +
                            error.description());
    }
    reopener_ = reopener;
    trace(QStringLiteral("-- connection reopened"));
}

DbError Connection::lostError(const QString& operation, const QString& sql,
                              const QString& description) const {
    DbError error(kErrConnectionLost, QStringLiteral("Connection"), description);
    error.setOrigin(operation, sql);
    return error;
}

void Connection::setTraceFile(const QString& path) {
    if (path != traceFile_)
        readingThread_.reset();
    traceFile_ = path;
}

QString Connection::traceFileProblem(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("no file name was given");
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::Append | QIODevice::Text, kOwnerOnly))
        return QFileInfo(path).isDir() ? QStringLiteral("it is a folder") : file.errorString();
    return {};
}

void Connection::traceStatement(const QString& sql) {
    beforeStatement(QStringLiteral("open"), sql);
}

void Connection::trace(const QString& sql) {
    if (traceFile_.isEmpty())
        return;
    QFile file(traceFile_);
    // Statements carry pay and names: a new trace file is the owner's alone.
    if (file.open(QIODevice::Append | QIODevice::Text, kOwnerOnly)) {
        QString line = sql;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '));
        QTextStream(&file) << line << '\n';
    }
}

DbError Connection::failure(const QSqlError& error, const QString& operation, const QString& sql,
                            const QVariantList& binds, const QVariant& odbcStatement) {
    QString sqlState;
    if (dialect_.kind() == Dialect::Kind::Postgres)
        sqlState = error.nativeErrorCode();
    else if (database().driverName() == QLatin1String("QODBC"))
        sqlState = odbcStatement.isValid()
                       ? odbcSqlState(odbcStatement, SQL_HANDLE_STMT)
                       : odbcSqlState(database().driver()->handle(), SQL_HANDLE_DBC);
    const QString described = describe(error);
    const bool lost =
        isConnectionLost(dialect_.kind(), sqlState, described) || postgresSessionBroken(database());
    const int number = lost                                     ? kErrConnectionLost
                       : isConstraintViolation(error)           ? kErrIntegrityViolation
                       : isLockConflict(error, dialect_.kind()) ? kErrLockConflict
                                                                : kErrGeneric;
    // The driver's words for a broken link ("FATAL: terminating connection ...") go to the
    // trace; the clerk is told what happened, never the values bound to the statement.
    DbError raised(
        number, QStringLiteral("Connection"),
        lost ? QStringLiteral(
                   "The connection to the database was lost; the next try opens it again.")
             : withoutBoundValues(described, binds));
    raised.setOrigin(operation, sql);
    // The trace is its owner's alone and keeps the server's whole text.
    trace(QStringLiteral("-- failed in %1: %2 -- %3").arg(operation, described, sql));
    if (lost)
        markLost();
    return raised;
}

QSqlQuery Connection::run(const QString& operation, const QString& sql, const QVariantList& binds) {
    beforeStatement(operation, sql);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    bool ok;
    if (binds.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant& value : binds)
                query.addBindValue(bindable(value));
            ok = query.exec();
        }
    }
    if (!ok)
        throw failure(query.lastError(), operation, sql, binds,
                      query.result() ? query.result()->handle() : QVariant());
    return query;
}

// Dates travel as ISO text: SQLite keeps them so, the servers convert them.
QVariant Connection::bindable(const QVariant& value) const {
    if (value.typeId() == QMetaType::QDate && dialect_.kind() != Dialect::Kind::Postgres)
        return value.toDate().toString(Qt::ISODate);
    return value;
}

int Connection::execute(const QString& sql, const QVariantList& binds) {
    // A lost connection is reopened before the handle is looked at.
    if (!binds.isEmpty() && sqliteHandle_ && state_ == State::Open && isOpen())
        return executePrepared(sql, binds);
    if (!binds.isEmpty() && dialect_.kind() == Dialect::Kind::Postgres && state_ == State::Open &&
        isOpen())
        if (const std::optional<int> changed = executeOnServer(sql, binds))
            return *changed;
    QSqlQuery query = run(QStringLiteral("execute"), sql, binds);
    return query.numRowsAffected();
}

// Straight to SQLite, under the handle Qt's driver opened: the same statement for a hundred
// thousand rows costs several times its own work through QSqlQuery.
int Connection::executePrepared(const QString& sql, const QVariantList& binds) {
    const QString operation = QStringLiteral("execute");
    beforeStatement(operation, sql);
    sqlite3* handle = sqliteHandle_;
    const auto raise = [&] { return sqliteFailure(operation, sql, binds); };
    auto prepared = prepared_.find(sql);
    if (prepared == prepared_.end()) {
        if (prepared_.size() >= 256)
            finalizePrepared();
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* statement = nullptr;
        const int code =
            sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement, nullptr);
        if (code != SQLITE_OK) {
            sqlite3_finalize(statement);
            throw raise();
        }
        prepared = prepared_.insert(sql, statement);
    }
    sqlite3_stmt* statement = *prepared;
    for (int i = 0; i < binds.size(); ++i) {
        // Only a date is converted; every other value is bound as it is, without a copy.
        const QVariant converted =
            binds[i].typeId() == QMetaType::QDate ? bindable(binds[i]) : QVariant();
        const QVariant& value = converted.isValid() ? converted : binds[i];
        const int at = i + 1;
        if (value.isNull()) {
            sqlite3_bind_null(statement, at);
            continue;
        }
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
            sqlite3_bind_int64(statement, at, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(statement, at, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob(statement, at, bytes.constData(), int(bytes.size()),
                              SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, at, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    const int code = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (code != SQLITE_DONE && code != SQLITE_ROW) {
        const DbError error = raise();
        sqlite3_finalize(statement);
        prepared_.erase(prepared);
        throw error;
    }
    return sqlite3_changes(handle);
}

namespace {

QAtomicInt serverStatementCounter;

} // namespace

std::optional<QByteArray> serverBindText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QByteArray(value.toBool() ? "true" : "false");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QString:
        return value.toString().toUtf8();
    default:
        return std::nullopt;
    }
}

QByteArray withNumberedPlaceholders(const QString& sql) {
    QByteArray numbered;
    int count = 0;
    bool quoted = false;
    for (const char c : sql.toUtf8()) {
        if (c == '\'')
            quoted = !quoted;
        if (c == '?' && !quoted)
            numbered += '$' + QByteArray::number(++count);
        else
            numbered += c;
    }
    return numbered;
}

std::optional<int> Connection::executeOnServer(const QString& sql, const QVariantList& binds) {
    std::vector<QByteArray> texts;
    texts.reserve(static_cast<size_t>(binds.size()));
    std::vector<const char*> values;
    for (const QVariant& value : binds) {
        if (value.isNull()) {
            texts.emplace_back();
            values.push_back(nullptr);
            continue;
        }
        std::optional<QByteArray> text = serverBindText(value);
        if (!text)
            return std::nullopt;
        texts.push_back(std::move(*text));
        values.push_back(texts.back().constData());
    }
    if (!postgresHandle())
        return std::nullopt;
    const QString operation = QStringLiteral("execute");
    beforeStatement(operation, sql);
    // The hook or a reopened connection may have changed the session.
    pg_conn* session = postgresHandle();
    if (!session)
        return std::nullopt;
    const auto raise = [&](pg_result* result) {
        const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const QString text =
            QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(session));
        PQclear(result);
        serverPrepared_.remove(sql);
        return failure(QSqlError(QStringLiteral("Unable to execute statement"), text,
                                 QSqlError::StatementError,
                                 state ? QString::fromLatin1(state) : QString()),
                       operation, sql, binds);
    };
    auto prepared = serverPrepared_.constFind(sql);
    if (prepared == serverPrepared_.constEnd()) {
        // A name of its own each time: one left behind by a failure never collides.
        const QByteArray name =
            "quorvel_write_" + QByteArray::number(serverStatementCounter.fetchAndAddRelaxed(1) + 1);
        pg_result* made = PQprepare(session, name.constData(),
                                    withNumberedPlaceholders(sql).constData(), 0, nullptr);
        if (PQresultStatus(made) != PGRES_COMMAND_OK)
            throw raise(made);
        PQclear(made);
        prepared = serverPrepared_.insert(sql, name);
    }
    pg_result* result = PQexecPrepared(session, prepared->constData(), int(values.size()),
                                       values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw raise(result);
    const int changed = QByteArray(PQcmdTuples(result)).toInt();
    PQclear(result);
    return changed;
}

DbError Connection::sqliteFailure(const QString& operation, const QString& sql,
                                  const QVariantList& binds) {
    sqlite3* handle = sqliteHandle();
    const int code = handle ? sqlite3_extended_errcode(handle) : SQLITE_MISUSE;
    const QString text = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString();
    return failure(QSqlError(QStringLiteral("Unable to execute statement"), text,
                             QSqlError::StatementError, QString::number(code)),
                   operation, sql, binds);
}

void Connection::finalizePrepared() {
    for (sqlite3_stmt* statement : std::as_const(prepared_))
        sqlite3_finalize(statement);
    prepared_.clear();
}

void Connection::beginTrans() {
    beforeStatement(QStringLiteral("beginTrans"), QStringLiteral("begin transaction"));
    if (dialect_.kind() == Dialect::Kind::SQLite) {
        // A writer takes the write lock at the start: a transaction that reads first and then
        // asks for the lock can be refused outright while another waits to commit.
        transactionStatement(QStringLiteral("beginTrans"), QStringLiteral("BEGIN IMMEDIATE"));
    } else if (!database().transaction()) {
        throw failure(database().lastError(), QStringLiteral("beginTrans"),
                      QStringLiteral("begin transaction"));
    }
    inTransaction_ = true;
}

void Connection::beginReadTrans() {
    beforeStatement(QStringLiteral("beginTrans"), QStringLiteral("begin transaction"));
    if (dialect_.kind() == Dialect::Kind::SQLite) {
        // Deferred: the first read takes the snapshot. In WAL mode no writer waits for it; with
        // the rollback journal a writer's commit waits (up to the busy timeout) until it ends.
        transactionStatement(QStringLiteral("beginTrans"), QStringLiteral("BEGIN"));
    } else {
        if (!database().transaction())
            throw failure(database().lastError(), QStringLiteral("beginTrans"),
                          QStringLiteral("begin transaction"));
        inTransaction_ = true;
        if (dialect_.kind() == Dialect::Kind::Postgres)
            transactionStatement(
                QStringLiteral("beginTrans"),
                QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
    }
    inTransaction_ = true;
}

void Connection::commitTrans() {
    beforeStatement(QStringLiteral("commitTrans"), QStringLiteral("commit"));
    if (dialect_.kind() == Dialect::Kind::SQLite)
        transactionStatement(QStringLiteral("commitTrans"), QStringLiteral("COMMIT"));
    else if (!database().commit())
        throw failure(database().lastError(), QStringLiteral("commitTrans"),
                      QStringLiteral("commit"));
    inTransaction_ = false;
}

void Connection::rollbackTrans() {
    inTransaction_ = false;
    if (!isOpen())
        return;
    trace(QStringLiteral("rollback"));
    if (dialect_.kind() == Dialect::Kind::SQLite) {
        // SQLite may have rolled back by itself already; there is nothing left to undo then.
        QSqlQuery(database()).exec(QStringLiteral("ROLLBACK"));
        return;
    }
    database().rollback();
}

void Connection::transactionStatement(const QString& operation, const QString& sql) {
    QSqlQuery query(database());
    if (!query.exec(sql))
        throw failure(query.lastError(), operation, sql, {},
                      query.result() ? query.result()->handle() : QVariant());
}

// ---------------------------------------------------------------- TransactionGuard

TransactionGuard::TransactionGuard(Connection& connection) : connection_(connection) {
    connection_.beginTrans();
}

TransactionGuard::~TransactionGuard() {
    if (open_)
        connection_.rollbackTrans();
}

void TransactionGuard::commit() {
    connection_.commitTrans();
    open_ = false;
}

ReadSnapshot::ReadSnapshot(Connection& connection)
    : connection_(connection), own_(!connection.inTransaction()) {
    if (own_)
        connection_.beginReadTrans();
}

ReadSnapshot::~ReadSnapshot() {
    if (own_)
        connection_.rollbackTrans();
}

// ---------------------------------------------------------------- helpers

bool isWriteStatement(const QString& sql) {
    const QString head = sql.trimmed().left(6).toLower();
    return head == QLatin1String("insert") || head == QLatin1String("update") ||
           head == QLatin1String("delete");
}

QString textOf(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        // Every digit the value holds, never in exponent form: 15 significant digits turned a
        // stored 1e15 into "1e+15", which reads back as 1.
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate)
                                        : dt.toString(Qt::ISODate);
    }
    default:
        return value.toString();
    }
}

double leadingNumber(QStringView text) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    const qsizetype digitsStart = i;
    bool point = false;
    bool digits = false;
    for (; i < t.size(); ++i) {
        // Only 0 to 9: another script's digits end the number as letters do.
        if (t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
            digits = true;
        else if (t[i] == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    if (!digits || i == digitsStart)
        return 0.0;
    bool ok = false;
    const double value = t.left(i).toDouble(&ok);
    return ok ? value : 0.0;
}

QDate dateOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString text = value.toString();
    QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    return date;
}

QVariant firstField(Connection& connection, const QString& sql) {
    Recordset rs = connection.open(sql);
    return rs.eof() ? QVariant() : rs.field(0);
}

} // namespace data
