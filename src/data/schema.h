#pragma once

#include <QString>
#include <QStringList>

namespace data {

class Connection;
class Dialect;

// Runs a script of statements, each ending with ";" at the end of a line; "--" lines are
// comments.
void runScript(Connection& connection, const QString& script);
// The server's upgrade scripts (every script of its folder but tables.sql and indexes.sql), in
// name order: each adds tables of the module's own to an existing payroll database, and changes
// nothing when run again.
QStringList upgradeScripts(const Dialect& dialect);
// The server's indexes.sql: the module's indexes on the installation's job change table.
QString jobChangeIndexScriptPath(const Dialect& dialect);
// Its statements on the job change table of that physical name, which must be a plain table
// name (isPlainTableName; DbError otherwise). Each changes nothing when run again.
QString jobChangeIndexScript(const Dialect& dialect, const QString& jobChangeTable);
// Runs the upgrade scripts, then the job change table's indexes on the table linktable names, in
// the connection's transaction, if any; returns the paths of the scripts run, in order. A
// linktable name that is not plain raises DbError.
QStringList runUpgradeScripts(Connection& connection);
// Creates the payroll tables, linktable and the column catalogue in the connection's dialect, the
// upgrade scripts' tables and the job change table's indexes.
void createSchema(Connection& connection);
// Adds the demo payroll data.
void loadDemoData(Connection& connection);

} // namespace data
