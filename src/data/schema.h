#pragma once

#include <QString>

namespace data {

class Connection;

// Runs a script of statements, each ending with ";" at the end of a line; "--" lines are
// comments.
void runScript(Connection& connection, const QString& script);
// Creates the payroll tables, linktable and the column catalogue in the connection's dialect.
void createSchema(Connection& connection);
// Adds the demo payroll data.
void loadDemoData(Connection& connection);

} // namespace data
