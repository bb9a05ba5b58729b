#include "report/datasources.h"

#include "data/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

bool holdsPassword(const QString& settingsText) {
    // PostgreSQL's "password=", ODBC's "PWD=" or "Password=", in a value or as a key.
    static const QRegularExpression password(QStringLiteral("\\b(pwd|password)\\s*="),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : settingsText.split(QLatin1Char('\n'))) {
        const QString setting = line.trimmed();
        if (!setting.startsWith(QLatin1Char(';')) && !setting.startsWith(QLatin1Char('#')) &&
            password.match(setting).hasMatch())
            return true;
    }
    return false;
}

std::optional<DataSource> findDataSource(const QString& name) {
    const QString path = dataSourcesFile();
    const QFileInfo info(path);
    if (name.isEmpty() || !info.isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw data::DbError(data::kErrGeneric, QStringLiteral("ReportControl"),
                            QStringLiteral("The data source file %1 cannot be read: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    if ((info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) &&
        holdsPassword(QString::fromUtf8(file.readAll())))
        throw data::DbError(
            data::kErrGeneric, QStringLiteral("ReportControl"),
            QStringLiteral("The data source file %1 holds a password and other users can read "
                           "it. Make it readable by its owner only (chmod 600 %1) and try again.")
                .arg(QDir::toNativeSeparators(path)));
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
