#pragma once

#include <QString>
#include <QStringList>

namespace data {

class Connection;
class Dialect;

// Runs a script of statements, each ending with ";" at the end of a line; "--" lines are
// comments.
void runScript(Connection& connection, const QString& script);
// The server's upgrade scripts (every script of its folder but tables.sql), in name order: each
// adds tables of the module's own to an existing payroll database, and changes nothing when run
// again.
QStringList upgradeScripts(const Dialect& dialect);
// Runs them in the connection's transaction, if any.
void runUpgradeScripts(Connection& connection);
// Creates the payroll tables, linktable and the column catalogue in the connection's dialect, and
// the upgrade scripts' tables.
void createSchema(Connection& connection);
// Adds the demo payroll data.
void loadDemoData(Connection& connection);

} // namespace data
