#include "support/testdb.h"

#include "data/money.h"
#include "data/schema.h"

#include <QFile>
#include <QSqlQuery>
#include <QUuid>

namespace {

QString pgServer() {
    return qEnvironmentVariable("QUORVEL_TEST_PG");
}

// As installations reach their database through ODBC: a data source of an odbc.ini, here the
// test program's own (which the programs it starts read too), one data source per database.
QString odbcDataSource(const QString& sqliteFile) {
    static QTemporaryDir dir;
    static int sources = 0;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    qputenv("ODBCINI", QFile::encodeName(ini));
    const QString name = QStringLiteral("payroll%1").arg(++sources);
    QFile file(ini);
    if (!file.open(QIODevice::Append))
        throw data::DbError(data::kErrGeneric, "test", "cannot write " + ini);
    file.write(QStringLiteral("[%1]\nDriver=SQLite3\nDatabase=%2\nTimeout=10000\n\n")
                   .arg(name, sqliteFile)
                   .toUtf8());
    return QStringLiteral("DSN=") + name;
}

} // namespace

TestDatabase::TestDatabase() : connection_(std::make_shared<data::Connection>()) {
    if (!pgServer().isEmpty()) {
        pgDatabase_ =
            QStringLiteral("quorvel_test_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        data::Connection admin;
        admin.openPostgres(pgServer() + QStringLiteral(" dbname=postgres"));
        admin.execute(QStringLiteral("create database ") + pgDatabase_);
        admin.close();
        connection_->openPostgres(pgServer() + QStringLiteral(" dbname=") + pgDatabase_);
    } else {
        path_ = dir_.filePath(QStringLiteral("payroll.sqlite"));
        if (qEnvironmentVariableIsSet("QUORVEL_TEST_ODBC")) {
            // The path SQL Server users take: the ODBC driver manager, here with SQLite's driver.
            odbc_ = odbcDataSource(path_);
            connection_->openOdbc(odbc_);
        } else
            connection_->openSqlite(path_);
    }
    data::createSchema(*connection_);
}

namespace {

std::function<void()>& closeHook() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

void TestDatabase::setCloseHook(std::function<void()> hook) {
    closeHook() = std::move(hook);
}

TestDatabase::~TestDatabase() {
    if (closeHook())
        closeHook()();
    connection_->close();
    if (!pgDatabase_.isEmpty()) {
        try {
            data::Connection admin;
            admin.openPostgres(pgServer() + QStringLiteral(" dbname=postgres"));
            admin.execute(QStringLiteral("drop database if exists ") + pgDatabase_);
        } catch (const data::DbError&) {
        }
    }
}

bool TestDatabase::isPostgres() const {
    return !pgDatabase_.isEmpty();
}

QStringList TestDatabase::hostArguments() const {
    if (isPostgres())
        return {QStringLiteral("--pg"), pgServer() + QStringLiteral(" dbname=") + pgDatabase_};
    if (!odbc_.isEmpty())
        return {QStringLiteral("--odbc"), odbc_};
    return {QStringLiteral("--db"), path_};
}

void TestDatabase::exec(const QString& sql) const {
    connection_->execute(sql);
}

void TestDatabase::execAll(const QString& script) const {
    for (const QString& sql : script.split(QLatin1String(";\n"), Qt::SkipEmptyParts))
        if (!sql.trimmed().isEmpty())
            exec(sql);
}

void TestDatabase::insert(const QString& logical, const QString& columns,
                          const QStringList& rows) const {
    for (const QString& row : rows)
        exec(QStringLiteral("insert into %1 %2 values (%3)")
                 .arg(physical(logical), columns.isEmpty() ? QString() : "(" + columns + ")", row));
}

QStringList TestDatabase::rows(const QString& sql, const QSet<int>& amountColumns) const {
    return queryRows(*connection_, sql, amountColumns);
}

QStringList queryRows(data::Connection& db, const QString& sql, const QSet<int>& amountColumns) {
    QStringList all;
    for (data::Recordset rs = db.open(sql); !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int i = 0; i < rs.fieldCount(); ++i)
            fields << (amountColumns.contains(i) ? data::amountField(rs, i).text() : rs.text(i));
        all << fields.join(QLatin1Char('|'));
    }
    return all;
}

data::ConnectionPtr TestDatabase::another() const {
    auto connection = std::make_shared<data::Connection>();
    const QStringList where = hostArguments();
    if (where[0] == QLatin1String("--pg"))
        connection->openPostgres(where[1]);
    else if (where[0] == QLatin1String("--odbc"))
        connection->openOdbc(where[1]);
    else
        connection->openSqlite(where[1]);
    return connection;
}

void TestDatabase::loadDemo() const {
    data::loadDemoData(*connection_);
}

QVariant TestDatabase::scalar(const QString& sql) const {
    data::Recordset rs = connection_->open(sql);
    return rs.eof() ? QVariant() : rs.field(0);
}

QMap<QString, QStringList> TestDatabase::snapshotOf(data::Connection& connection) {
    static const QStringList tables{QStringLiteral("linktable"),
                                    physical(QStringLiteral("pEmployeegradeChange")),
                                    physical(QStringLiteral("pempgcAllowance")),
                                    physical(QStringLiteral("pempgcdeductions")),
                                    physical(QStringLiteral("pemployee")),
                                    physical(QStringLiteral("pempallowances")),
                                    physical(QStringLiteral("pempdeductions")),
                                    physical(QStringLiteral("pusers")),
                                    physical(QStringLiteral("paudittrail")),
                                    physical(QStringLiteral("pJobChangeSettings")),
                                    physical(QStringLiteral("pBulkBatch")),
                                    physical(QStringLiteral("pBulkBatchRows")),
                                    physical(QStringLiteral("pBulkBatchLines"))};
    QMap<QString, QStringList> all;
    for (const QString& table : tables) {
        QStringList rows;
        data::Recordset rs = connection.open(QStringLiteral("select * from ") + table);
        while (!rs.eof()) {
            QStringList cells;
            for (int i = 0; i < rs.fieldCount(); ++i)
                cells << rs.fieldName(i).toLower() + QLatin1Char('=') + rs.text(i);
            rows << cells.join(QLatin1Char('|'));
            rs.moveNext();
        }
        rows.sort();
        all.insert(table, rows);
    }
    return all;
}

void TestDatabase::dropConnection(data::Connection& victim) const {
    QSqlDatabase held = victim.database();
    if (isPostgres()) {
        // Asked past the connection's statement hook: this runs inside one.
        QSqlQuery pid(held);
        pid.exec(QStringLiteral("select pg_backend_pid()"));
        pid.next();
        const data::ConnectionPtr admin = another();
        admin->open(
            QStringLiteral("select pg_terminate_backend(%1, 5000)").arg(pid.value(0).toLongLong()));
        admin->close();
        return;
    }
    held.rollback();
    held.close();
}

QString physical(const QString& logical) {
    if (logical == QLatin1String("linktable"))
        return logical;
    QString name = logical.toLower();
    if (name.startsWith(QLatin1Char('p')))
        name = name.mid(1);
    return QStringLiteral("pay_") + name;
}
