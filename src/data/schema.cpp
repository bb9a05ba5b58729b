#include "data/schema.h"

#include "data/connection.h"

#include <QDir>
#include <QFile>

namespace data {

namespace {

QString resourceText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw DbError(kErrGeneric, QStringLiteral("Schema"),
                      QStringLiteral("Cannot read %1").arg(path));
    return QString::fromUtf8(file.readAll());
}

} // namespace

void runScript(Connection& connection, const QString& script) {
    QString statement;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))
            continue;
        statement += line + QLatin1Char('\n');
        if (trimmed.endsWith(QLatin1Char(';'))) {
            statement = statement.trimmed();
            statement.chop(1);
            connection.execute(statement);
            statement.clear();
        }
    }
    if (!statement.trimmed().isEmpty())
        connection.execute(statement.trimmed());
}

QStringList upgradeScripts(const Dialect& dialect) {
    const QString folder = QStringLiteral(":/schema/") + dialect.name();
    QStringList names = QDir(folder).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    names.removeAll(QStringLiteral("tables.sql"));
    for (QString& name : names)
        name = folder + QLatin1Char('/') + name;
    return names;
}

void runUpgradeScripts(Connection& connection) {
    for (const QString& path : upgradeScripts(connection.dialect()))
        runScript(connection, resourceText(path));
}

void createSchema(Connection& connection) {
    TransactionGuard transaction(connection);
    runScript(
        connection,
        resourceText(QStringLiteral(":/schema/%1/tables.sql").arg(connection.dialect().name())));
    runUpgradeScripts(connection);
    transaction.commit();
}

void loadDemoData(Connection& connection) {
    TransactionGuard transaction(connection);
    runScript(connection, resourceText(QStringLiteral(":/schema/demo.sql")));
    transaction.commit();
}

} // namespace data
