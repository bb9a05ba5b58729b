#include "report/datasources.h"

#include "data/connection.h"
#include "export/ownerfile.h"

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

namespace {

// A data-source file is a few lines; a larger one, or a device, is not read.
constexpr qint64 kMaxDataSourcesBytes = 1 << 20;

// PostgreSQL's "password=", ODBC's "PWD=" or "Password=".
bool namesPassword(const QString& text) {
    static const QRegularExpression password(QStringLiteral("\\b(pwd|password)\\s*="),
                                             QRegularExpression::CaseInsensitiveOption);
    return password.match(text).hasMatch();
}

data::DbError sourcesError(const QString& description) {
    return data::DbError(data::kErrGeneric, QStringLiteral("ReportControl"), description);
}

} // namespace

bool holdsPassword(const QString& settingsText) {
    for (const QString& line : settingsText.split(QLatin1Char('\n'))) {
        const QString setting = line.trimmed();
        if (!setting.startsWith(QLatin1Char(';')) && !setting.startsWith(QLatin1Char('#')) &&
            namesPassword(setting))
            return true;
    }
    return false;
}

bool holdsPassword(const QSettings& settings) {
    static const QRegularExpression passwordKey(QStringLiteral("^\\s*(pwd|password)\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
    for (const QString& key : settings.allKeys()) {
        const QVariant value = settings.value(key);
        const QString text = value.typeId() == QMetaType::QStringList
                                 ? value.toStringList().join(QLatin1Char(','))
                                 : value.toString();
        if (passwordKey.match(key.section(QLatin1Char('/'), -1)).hasMatch() || namesPassword(text))
            return true;
    }
    return false;
}

std::optional<DataSource> findDataSource(const QString& name) {
    const QString path = dataSourcesFile();
    const QFileInfo info(path);
    if (name.isEmpty() || !info.exists())
        return std::nullopt;
    QByteArray text;
    try {
        text = tableexport::readSmallFile(path, kMaxDataSourcesBytes);
    } catch (const tableexport::FileError& error) {
        throw sourcesError(QStringLiteral("The data source file cannot be used. ") +
                           error.message());
    }
    QSettings settings(path, QSettings::IniFormat);
    // Both as written, a password the reader drops included, and as the reader decodes it: an
    // escape such as "p\\x61ssword" reads as "password".
    if ((info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) &&
        (holdsPassword(QString::fromUtf8(text)) || holdsPassword(settings)))
        throw sourcesError(
            QStringLiteral("The data source file %1 holds a password and other users can read "
                           "it. Make it readable by its owner only (chmod 600 %1) and try again.")
                .arg(QDir::toNativeSeparators(path)));
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
