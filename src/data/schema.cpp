#include "data/schema.h"

#include "data/connection.h"
#include "data/tablenames.h"

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

const QString kIndexScript = QStringLiteral("indexes.sql");

QString scriptFolder(const Dialect& dialect) {
    return QStringLiteral(":/schema/") + dialect.name();
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
    const QString folder = scriptFolder(dialect);
    QStringList names = QDir(folder).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    names.removeAll(QStringLiteral("tables.sql"));
    names.removeAll(kIndexScript);
    for (QString& name : names)
        name = folder + QLatin1Char('/') + name;
    return names;
}

QString jobChangeIndexScriptPath(const Dialect& dialect) {
    return scriptFolder(dialect) + QLatin1Char('/') + kIndexScript;
}

QString jobChangeIndexScript(const Dialect& dialect, const QString& jobChangeTable) {
    // The name goes into the statements as it stands, so only a plain one is taken.
    if (!isPlainTableName(jobChangeTable))
        throw DbError(kErrGeneric, QStringLiteral("Schema"),
                      QStringLiteral("The job change table's name \"%1\" is not a plain table "
                                     "name: only letters, digits and underscores, with at most "
                                     "one schema prefix such as \"dbo.\".")
                          .arg(jobChangeTable));
    const QString table = jobChangeTable.trimmed();
    const qsizetype dot = table.indexOf(QLatin1Char('.'));
    QString script = resourceText(jobChangeIndexScriptPath(dialect));
    script.replace(QStringLiteral("{pEmployeegradeChange.schema}"), table.left(dot + 1));
    script.replace(QStringLiteral("{pEmployeegradeChange.bare}"), table.mid(dot + 1));
    script.replace(QStringLiteral("{pEmployeegradeChange}"), table);
    return script;
}

QStringList runUpgradeScripts(Connection& connection) {
    QStringList ran = upgradeScripts(connection.dialect());
    for (const QString& path : ran)
        runScript(connection, resourceText(path));

    ResolvedTableNames names;
    ResolveTableNames(connection, names);
    if (names.pEmployeegradeChange.isEmpty())
        throw DbError(kErrGeneric, QStringLiteral("Schema"),
                      QStringLiteral("linktable gives no table for pEmployeegradeChange."));
    runScript(connection, jobChangeIndexScript(connection.dialect(), names.pEmployeegradeChange));
    ran << jobChangeIndexScriptPath(connection.dialect());
    return ran;
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
