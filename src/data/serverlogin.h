#pragma once

#include "data/dberror.h"

#include <QString>
#include <functional>
#include <optional>

namespace data {

class Connection;

// How a server connection gets its password without the password standing on a command line
// that every local user can read (ps, /proc):
//   1. a password the connection string itself carries is used as it is;
//   2. else the password in the environment variable QUORVEL_DB_PASSWORD;
//   3. else none: the server's own client settings (~/.pgpass, PGPASSWORD, an ODBC DSN) apply,
//      and when the server refuses the log-on for want of a password, the password is asked
//      for once, if someone can be asked (a terminal).
inline constexpr const char* kPasswordVariable = "QUORVEL_DB_PASSWORD";

enum class ServerKind { Odbc, Postgres };

// True when the connection string has a password key of its own (PostgreSQL "password=",
// ODBC "PWD=" or "Password=").
bool connectionStringHasPassword(ServerKind kind, const QString& connectionString);
// True when the server refused the log-on itself: a wrong or missing password.
bool isAuthenticationFailure(const DbError& error);

// Opens with open(password) following the order above; password is empty for "none".
// askPassword gives nothing when nobody can be asked.
void openWithPasswordPolicy(ServerKind kind, const QString& connectionString,
                            const std::function<void(const QString& password)>& open,
                            const std::function<std::optional<QString>()>& askPassword);

// Opens the connection to the server, asking on the terminal when one is attached.
void openServer(Connection& connection, ServerKind kind, const QString& connectionString);

// A line read from standard input without echo, after the prompt on standard error; nothing
// when standard input is not a terminal.
std::optional<QString> askPasswordOnTerminal(const QString& prompt);

} // namespace data
