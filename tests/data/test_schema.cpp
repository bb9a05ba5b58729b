// The three table scripts are kept by hand; this holds them in step: the same tables, columns
// (name, kind of type, nullability, default), keys and indexes, and the same seeded rows.

#include "data/dialect.h"
#include "data/schema.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The scripts createSchema runs on that server: the tables, the upgrade scripts, then the job
// change table's indexes under the name the tables give it.
QString script(data::Dialect::Kind kind) {
    QString text;
    const data::Dialect dialect(kind);
    for (const QString& path :
         QStringList{QStringLiteral(":/schema/%1/tables.sql").arg(dialect.name())} +
             data::upgradeScripts(dialect)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly | QIODevice::Text))
            text += QString::fromUtf8(file.readAll());
    }
    return text + data::jobChangeIndexScript(dialect, QStringLiteral("pay_employeegradechange"));
}

// An upgrade script's statement as the table script would write it: what makes it harmless
// to run again is each server's own spelling.
QString withoutGuard(QString line) {
    static const QRegularExpression guard(
        R"(^IF (OBJECT_ID\('\w+'\) IS NULL|NOT EXISTS \(SELECT 1 FROM sys\.indexes WHERE name = '\w+'(?: AND object_id = OBJECT_ID\('\w+'\))?\)) )");
    line.remove(guard);
    line.replace(QStringLiteral("CREATE TABLE IF NOT EXISTS "), QStringLiteral("CREATE TABLE "));
    line.replace(QStringLiteral("CREATE INDEX IF NOT EXISTS "), QStringLiteral("CREATE INDEX "));
    return line;
}

// PostgreSQL's triggers that keep the audit trail append-only: no other server has them.
bool isPostgresTrigger(const QString& line) {
    for (const char* start :
         {"CREATE OR REPLACE FUNCTION ", "BEGIN ", "$$", "DROP TRIGGER ", "CREATE TRIGGER "})
        if (line.startsWith(QLatin1String(start)))
            return true;
    return false;
}

// Integer, number, text or date, whatever each server calls it; empty for a type not known here.
QString typeKind(const QString& type) {
    static const QList<std::pair<QString, QString>> kinds{
        {"^(int|integer)$", "integer"},
        {"^(real|float|double precision)$", "number"},
        {"^text$", "text"},
        {"^n?varchar\\((\\d+|max)\\)$", "text"},
        {"^(date|datetime)$", "date"},
    };
    for (const auto& [pattern, kind] : kinds)
        if (QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption)
                .match(type)
                .hasMatch())
            return kind;
    return {};
}

QString columnList(const QString& text) {
    QStringList columns = text.split(',');
    for (QString& column : columns)
        column = column.trimmed().toLower();
    return columns.join(", ");
}

// The script as lines that mean the same on every server, one a table, column, key, index or
// row; a line it cannot read goes into unread. The scripts keep a column or a key to a line.
QSet<QString> describe(const QString& text, bool datesAsText, QStringList& unread) {
    static const QRegularExpression tableRe(R"(^CREATE TABLE (\w+) \($)");
    static const QRegularExpression keyRe(R"(^CONSTRAINT (\w+) (PRIMARY KEY|UNIQUE) \(([^)]*)\)$)");
    static const QRegularExpression columnRe(
        R"(^(\w+) ([a-z]+(?: precision)?(?:\(\w+\))?)(?: COLLATE \w+)?( NOT NULL)?(?: DEFAULT (\S+))?$)",
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression indexRe(R"(^CREATE (UNIQUE )?INDEX (\w+) ON (\w+) \((.*)\)$)");

    QSet<QString> facts;
    QString table;
    int position = 0;
    for (QString line : text.split('\n')) {
        line = withoutGuard(line.trimmed());
        if (isPostgresTrigger(line))
            continue;
        if (line.endsWith(';') || line.endsWith(','))
            line.chop(1);
        if (line.isEmpty() || line.startsWith("--") || line.startsWith("CREATE COLLATION "))
            continue; // a collation is how one server spells a column's COLLATE
        // How each server makes an upgrade script's statement harmless the second time.
        if (line.startsWith("IF OBJECT_ID(") || line.startsWith("IF NOT EXISTS (SELECT 1 FROM "
                                                                "sys.indexes"))
            continue;
        const auto create = tableRe.match(line);
        const auto key = keyRe.match(line);
        const auto column = columnRe.match(line);
        const auto index = indexRe.match(line);
        QString kind = column.hasMatch() ? typeKind(column.captured(2)) : QString();
        if (datesAsText && kind == QLatin1String("date"))
            kind = QStringLiteral("text");
        if (line.startsWith("INSERT INTO ")) {
            facts << line;
        } else if (index.hasMatch()) {
            facts << QStringLiteral("%1index %2 on %3 (%4)")
                         .arg(index.captured(1).toLower(), index.captured(2).toLower(),
                              index.captured(3).toLower(),
                              columnList(
                                  index.captured(4).remove(QStringLiteral(" COLLATE \"C\""))));
        } else if (create.hasMatch()) {
            table = create.captured(1).toLower();
            position = 0;
            facts << "table " + table;
        } else if (line == ")" && !table.isEmpty()) {
            table.clear();
        } else if (key.hasMatch() && !table.isEmpty()) {
            facts << QStringLiteral("%1 %2 %3 (%4)")
                         .arg(table, key.captured(2).toLower(), key.captured(1).toLower(),
                              columnList(key.captured(3)));
        } else if (!kind.isEmpty() && !table.isEmpty()) {
            facts << QStringLiteral("%1 column %2: %3 %4 %5%6")
                         .arg(table)
                         .arg(++position)
                         .arg(column.captured(1).toLower(), kind,
                              column.captured(3).isEmpty() ? "null" : "not null",
                              column.captured(4).isEmpty() ? "" : " default " + column.captured(4));
        } else {
            unread << line;
        }
    }
    return facts;
}

// SQL Server indexes no expression: its scripts go without those indexes (and its numbering
// reads every number of the series).
QSet<QString> withoutExpressionIndexes(QSet<QString> facts) {
    facts.removeIf([](const QString& fact) {
        return fact.startsWith(QLatin1String("index ")) && fact.count('(') > 1;
    });
    return facts;
}

// One fact a line, sorted: gtest shows two of them as a diff.
std::string listed(const QSet<QString>& facts) {
    QStringList lines(facts.begin(), facts.end());
    lines.sort();
    return lines.join('\n').toStdString();
}

TEST(Schema, TheThreeScriptsDescribeTheSameTablesColumnsKeysAndRows) {
    using Kind = data::Dialect::Kind;
    QStringList unread;
    const auto read = [&](Kind kind, bool datesAsText) {
        const QString text = script(kind);
        const QSet<QString> facts = describe(text, datesAsText, unread);
        EXPECT_TRUE(unread.isEmpty())
            << data::Dialect(kind).name().toStdString() << ": " << unread.join("\n").toStdString();
        unread.clear();
        return facts;
    };
    // SQLite keeps dates as ISO text: against it, a date column is a text column.
    const QSet<QString> sqlite = read(Kind::SQLite, true);
    EXPECT_EQ(listed(sqlite), listed(read(Kind::Postgres, true))) << "sqlite, postgres";
    EXPECT_EQ(listed(withoutExpressionIndexes(sqlite)), listed(read(Kind::TSql, true)))
        << "sqlite, tsql";
    EXPECT_EQ(listed(withoutExpressionIndexes(read(Kind::Postgres, false))),
              listed(read(Kind::TSql, false)))
        << "postgres, tsql";

    // Enough was read to mean something: tables, columns, keys, indexes and rows.
    for (const char* fact :
         {"pay_employeegradechange unique uq_pay_employeegradechange_egccompanyid_egcno "
          "(egccompanyid, egcno)",
          "pay_employeegradechange column 13: egccancelled integer null default 0",
          "index ix_pay_employeegradechange_later on pay_employeegradechange (egccompanyid, "
          "egcempid, egcid)",
          "pay_audittrail column 16: auhash text not null",
          "INSERT INTO pay_tables (tableid, tablename) VALUES (1, 'pay_employeegradechange')"})
        EXPECT_TRUE(sqlite.contains(fact)) << fact;
}

} // namespace
