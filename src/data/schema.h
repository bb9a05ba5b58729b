#pragma once

#include <QString>
#include <QStringList>

namespace data {

class Connection;

// Runs a script of statements, each ending with ";" at the end of a line; "--" lines are
// comments.
void runScript(Connection& connection, const QString& script);
// Creates the payroll tables, linktable and the column catalogue in the connection's dialect,
// with every upgrade script run on them.
void createSchema(Connection& connection);
// The upgrade scripts of the connection's server, by name in the order they run: every script
// of its folder but tables.sql.
QStringList upgradeScripts(const Connection& connection);
// Runs every upgrade script in name order, each in a transaction of its own; a script run again
// changes nothing. Returns the scripts' names.
QStringList upgradeSchema(Connection& connection);
// Adds the demo payroll data.
void loadDemoData(Connection& connection);

} // namespace data
