#pragma once

#include "data/connection.h"

#include <QDate>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// A fresh payroll database with the tables, linktable and the column catalogue, and nothing
// else: SQLite in a temporary folder (through ODBC when QUORVEL_TEST_ODBC is set), or, when
// QUORVEL_TEST_PG names a server ("host=... port=... user=..."), a new PostgreSQL database
// dropped afterwards.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();

    data::ConnectionPtr connection() const { return connection_; }
    data::Connection& db() const { return *connection_; }
    bool isPostgres() const;
    QString sqlitePath() const { return path_; }
    // The options that point quorvel-host at this database: --db, --odbc or --pg.
    QStringList hostArguments() const;

    void exec(const QString& sql) const;
    // Statements each ended by ";" at the end of a line, run in turn.
    void execAll(const QString& script) const;
    // One insert per row, each row its values as SQL text, into the logical table's physical one:
    // into the columns named, or into all in the table's order.
    void insert(const QString& logical, const QString& columns, const QStringList& rows) const;
    void insert(const QString& logical, const QStringList& rows) const {
        insert(logical, {}, rows);
    }
    void loadDemo() const;
    // A value from the first row of a query.
    QVariant scalar(const QString& sql) const;
    // Every row of a query, fields as text joined by "|"; the amount columns named read exactly,
    // with two decimals.
    QStringList rows(const QString& sql, const QSet<int>& amountColumns = {}) const;
    // A connection of its own to this database, as another clerk's program would open it.
    data::ConnectionPtr another() const;
    // Every row of every table as text, for comparing the whole database before and after.
    QMap<QString, QStringList> snapshot() const { return snapshotOf(*connection_); }
    static QMap<QString, QStringList> snapshotOf(data::Connection& connection);
    // The connection broken as a server breaks it: PostgreSQL ends the session (its transaction
    // rolled back); a SQLite connection is rolled back and closed under its holder.
    void dropConnection(data::Connection& victim) const;

    // Run as every database goes, before its connection closes: the windows' tests clear the
    // caller context, so that no later test reaches a closed database through it.
    static void setCloseHook(std::function<void()> hook);

private:
    QTemporaryDir dir_;
    QString path_;
    QString odbc_; // "DSN=..." when reached through ODBC
    QString pgDatabase_;
    QString pgAdmin_;
    data::ConnectionPtr connection_;
};

// Every row of a query on the connection, as TestDatabase::rows gives them.
QStringList queryRows(data::Connection& db, const QString& sql,
                      const QSet<int>& amountColumns = {});

// The physical name the test schema gives a logical table.
QString physical(const QString& logical);
