#include "report/datasources.h"

#include "data/connection.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace report {

QString dataSourcesFile() {
    const QString configured = qEnvironmentVariable("QUORVEL_DATASOURCES");
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quorvel/datasources.ini");
}

std::optional<DataSource> findDataSource(const QString& name) {
    const QString path = dataSourcesFile();
    if (name.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QSettings settings(path, QSettings::IniFormat);
    for (const QString& group : settings.childGroups()) {
        if (group.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        settings.beginGroup(group);
        DataSource source{settings.value(QStringLiteral("driver")).toString().trimmed().toLower(),
                          settings.value(QStringLiteral("database")).toString().trimmed()};
        settings.endGroup();
        return source;
    }
    return std::nullopt;
}

std::unique_ptr<data::Connection> openDataSource(const QString& name, const DataSource& source) {
    auto connection = std::make_unique<data::Connection>();
    if (source.driver == QLatin1String("sqlite")) {
        if (!QFileInfo(source.database).isFile())
            throw data::DbError(data::kErrGeneric, QStringLiteral("ReportControl"),
                                QStringLiteral("The data source %1 names the database file %2, "
                                               "which cannot be found.")
                                    .arg(name, QDir::toNativeSeparators(source.database)));
        connection->openSqlite(source.database);
    } else if (source.driver == QLatin1String("odbc")) {
        connection->openOdbc(source.database);
    } else if (source.driver == QLatin1String("postgres")) {
        connection->openPostgres(source.database);
    } else {
        throw data::DbError(
            data::kErrGeneric, QStringLiteral("ReportControl"),
            QStringLiteral("The data source %1 in %2 names the driver \"%3\"; "
                           "it must be sqlite, odbc or postgres.")
                .arg(name, QDir::toNativeSeparators(dataSourcesFile()), source.driver));
    }
    return connection;
}

} // namespace report
