#pragma once

#include <QString>

class QSettings;
#include <memory>
#include <optional>

namespace data {
class Connection;
}

namespace report {

// Where a report's data source name leads. The settings file (INI) has one section per data
// source name:
//   [payrolldsn]
//   driver=sqlite|odbc|postgres
//   database=<SQLite file | ODBC DSN or connection string | "host=... dbname=... user=...">
// Credentials for a server live in that file (or the server's own client settings), never in
// the program. A name without a section is the database the host opened.
struct DataSource {
    QString driver;
    QString database;
};

// $QUORVEL_DATASOURCES, else quorvel/datasources.ini under the user's configuration folder
// ($XDG_CONFIG_HOME, or ~/.config).
QString dataSourcesFile();
// The named data source of that file. A file that holds a password (holdsPassword, in its text
// or in its settings as read) and that group or others may read is refused with data::DbError,
// saying how to fix its mode; so is a file that is not a regular one or is over 1 MiB.
std::optional<DataSource> findDataSource(const QString& name);
// A password in the text's lines that are not comments.
bool holdsPassword(const QString& settingsText);
// A password among the keys and values as the settings reader decodes them.
bool holdsPassword(const QSettings& settings);
// Opens the data source's own connection; raises data::DbError when it cannot.
std::unique_ptr<data::Connection> openDataSource(const QString& name, const DataSource& source);

} // namespace report
