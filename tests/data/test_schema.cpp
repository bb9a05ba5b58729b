// The three table scripts are kept by hand; this holds them in step: the same tables, columns
// (name, kind of type, nullability, default), keys and indexes, and the same seeded rows.

#include "data/dialect.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// The script createSchema runs on that server.
QString script(data::Dialect::Kind kind) {
    QFile file(QStringLiteral(":/schema/%1/tables.sql").arg(data::Dialect(kind).name()));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll());
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

// Comma-separated items of a table body, leaving the commas inside parentheses alone.
QStringList bodyItems(const QString& body) {
    QStringList items;
    int depth = 0;
    QString item;
    for (const QChar c : body) {
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        if (c == ',' && depth == 0) {
            items << item.trimmed();
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.trimmed().isEmpty())
        items << item.trimmed();
    return items;
}

// The script as lines that mean the same on every server, one a table, column, key, index or
// row; what it cannot read goes into unread.
QSet<QString> describe(const QString& text, bool datesAsText, QStringList& unread) {
    QStringList code;
    for (const QString& line : text.split('\n'))
        if (!line.trimmed().startsWith("--"))
            code << line;
    static const QRegularExpression tableRe(R"(^CREATE TABLE (\w+) \((.*)\)$)",
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression keyRe(R"(^CONSTRAINT (\w+) (PRIMARY KEY|UNIQUE) \(([^)]*)\)$)");
    static const QRegularExpression columnRe(
        R"(^(\w+) ([a-z]+(?: precision)?(?:\(\w+\))?)(?: COLLATE \w+)?( NOT NULL)?(?: DEFAULT (\S+))?$)",
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression indexRe(R"(^CREATE (UNIQUE )?INDEX (\w+) ON (\w+) \((.*)\)$)");
    static const QRegularExpression collationRe(R"(^CREATE COLLATION IF NOT EXISTS \w+ )");

    QSet<QString> facts;
    for (QString statement : code.join('\n').split(QRegularExpression(";\\s*\\n"))) {
        statement = statement.trimmed();
        if (statement.endsWith(';'))
            statement.chop(1);
        if (statement.isEmpty() || collationRe.match(statement).hasMatch())
            continue; // a collation is how one server spells a column's COLLATE
        if (statement.startsWith("INSERT INTO ")) {
            facts << statement;
            continue;
        }
        if (const auto index = indexRe.match(statement); index.hasMatch()) {
            facts << QStringLiteral("%1index %2 on %3 (%4)")
                         .arg(index.captured(1).toLower(), index.captured(2).toLower(),
                              index.captured(3).toLower(),
                              columnList(
                                  index.captured(4).remove(QStringLiteral(" COLLATE \"C\""))));
            continue;
        }
        const auto table = tableRe.match(statement);
        if (!table.hasMatch()) {
            unread << statement;
            continue;
        }
        const QString name = table.captured(1).toLower();
        facts << "table " + name;
        int position = 0;
        for (const QString& item : bodyItems(table.captured(2))) {
            if (const auto key = keyRe.match(item); key.hasMatch()) {
                facts << QStringLiteral("%1 %2 %3 (%4)")
                             .arg(name, key.captured(2).toLower(), key.captured(1).toLower(),
                                  columnList(key.captured(3)));
                continue;
            }
            const auto column = columnRe.match(item);
            QString kind = column.hasMatch() ? typeKind(column.captured(2)) : QString();
            if (datesAsText && kind == QLatin1String("date"))
                kind = QStringLiteral("text");
            if (kind.isEmpty()) {
                unread << name + ": " + item;
                continue;
            }
            facts << QStringLiteral("%1 column %2: %3 %4 %5%6")
                         .arg(name)
                         .arg(++position)
                         .arg(column.captured(1).toLower(), kind,
                              column.captured(3).isEmpty() ? "null" : "not null",
                              column.captured(4).isEmpty() ? "" : " default " + column.captured(4));
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

std::string listed(const QSet<QString>& facts) {
    QStringList lines(facts.begin(), facts.end());
    lines.sort();
    return lines.isEmpty() ? "(none)" : lines.join('\n').toStdString();
}

void expectSame(const QSet<QString>& a, const char* aName, const QSet<QString>& b,
                const char* bName) {
    EXPECT_EQ(listed(a - b), "(none)") << "in " << aName << ", not in " << bName;
    EXPECT_EQ(listed(b - a), "(none)") << "in " << bName << ", not in " << aName;
}

TEST(Schema, TheThreeScriptsDescribeTheSameTablesColumnsKeysAndRows) {
    using Kind = data::Dialect::Kind;
    QStringList unread;
    const auto read = [&](Kind kind, bool datesAsText) {
        const QSet<QString> facts = describe(script(kind), datesAsText, unread);
        EXPECT_TRUE(unread.isEmpty())
            << data::Dialect(kind).name().toStdString() << ": " << unread.join("\n").toStdString();
        unread.clear();
        return facts;
    };
    // SQLite keeps dates as ISO text: against it, a date column is a text column.
    const QSet<QString> sqlite = read(Kind::SQLite, true);
    expectSame(sqlite, "sqlite", read(Kind::Postgres, true), "postgres");
    expectSame(withoutExpressionIndexes(sqlite), "sqlite", read(Kind::TSql, true), "tsql");
    expectSame(withoutExpressionIndexes(read(Kind::Postgres, false)), "postgres",
               read(Kind::TSql, false), "tsql");

    // Enough was read to mean something: tables, columns, keys, indexes and rows.
    for (const char* fact :
         {"table pay_employeegradechange",
          "pay_employeegradechange unique uq_pay_employeegradechange_egccompanyid_egcno "
          "(egccompanyid, egcno)",
          "pay_employeegradechange primary key pk_pay_employeegradechange (egccompanyid, egcid)",
          "pay_employeegradechange column 13: egccancelled integer null default 0",
          "pay_empgcallowance column 3: egcadetailid integer not null",
          "index ix_pay_userrights_user on pay_userrights (userid, interfaceid)",
          "index ix_pay_employeegradechange_no on pay_employeegradechange (egccompanyid, "
          "length(egcno), upper(egcno))",
          "INSERT INTO pay_tables (tableid, tablename) VALUES (1, 'pay_employeegradechange')"})
        EXPECT_TRUE(sqlite.contains(fact)) << fact;
}

} // namespace
