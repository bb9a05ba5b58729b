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

void createSchema(Connection& connection) {
    TransactionGuard transaction(connection);
    runScript(
        connection,
        resourceText(QStringLiteral(":/schema/%1/tables.sql").arg(connection.dialect().name())));
    transaction.commit();
    upgradeSchema(connection);
}

QStringList upgradeScripts(const Connection& connection) {
    QStringList names =
        QDir(QStringLiteral(":/schema/") + connection.dialect().name())
            .entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    names.removeAll(QStringLiteral("tables.sql"));
    return names;
}

QStringList upgradeSchema(Connection& connection) {
    const QStringList names = upgradeScripts(connection);
    for (const QString& name : names) {
        TransactionGuard transaction(connection);
        runScript(
            connection,
            resourceText(QStringLiteral(":/schema/%1/%2").arg(connection.dialect().name(), name)));
        transaction.commit();
    }
    return names;
}

void loadDemoData(Connection& connection) {
    TransactionGuard transaction(connection);
    runScript(connection, resourceText(QStringLiteral(":/schema/demo.sql")));
    transaction.commit();
}

} // namespace data
