#include "data/rowblock.h"
#include "data/rowstream.h"
#include "support/testdb.h"

#include <gtest/gtest.h>

namespace {

// The register reads its rows through RowStream (on SQLite straight from the C library): every
// field must show as the recordset shows it, odd values included.
TEST(RowStreamTest, FieldsReadAsTheRecordsetReadsThem) {
    TestDatabase db;
    const QString sql = "select 12, 1000000000000000.0, null, 'Zoë', '2024-03-05 00:00:00', "
                        "'2024-3-5' union all select -7, 0.1, 'y', '', '1999-12-31', 'x'";
    const auto field = [](bool null, const QString& text, const QDate& date) {
        return QString("%1|%2|%3").arg(null).arg(text, date.toString());
    };
    // Read whole first: a server connection runs one forward-only query at a time.
    QStringList expected;
    for (data::Recordset rs = db.db().open(sql); !rs.eof(); rs.moveNext())
        for (int c = 0; c < rs.fieldCount(); ++c)
            expected << field(rs.isNull(c), rs.text(c), data::dateOf(rs.field(c)));
    const auto readAll = [&] {
        QStringList read;
        for (data::RowStream rows(db.db(), sql); rows.next();)
            for (int c = 0; c < rows.fieldCount(); ++c)
                read << field(rows.isNull(c), rows.text(c).toString(), rows.date(c));
        return read;
    };
    // The register's rows travel in blocks: a null stays null there, an empty text empty.
    const auto readBlock = [&] {
        data::RowStream rows(db.db(), sql);
        data::RowBlock block(rows.fieldCount());
        while (rows.next())
            block.append(rows);
        QStringList read;
        for (int row = 0; row < block.rowCount(); ++row)
            for (int c = 0; c < block.fieldCount(); ++c)
                read << field(block.isNull(row, c), block.text(row, c).toString(),
                              block.date(row, c));
        return read;
    };
    EXPECT_EQ(readAll(), expected);
    EXPECT_EQ(readBlock(), expected);
    EXPECT_EQ(expected.size(), 12);
    // Inside a read transaction a server is read through a cursor.
    db.db().beginReadTrans();
    EXPECT_EQ(readAll(), expected);
    // Every row once, in order, whether a cursor hands them over in batches or the server sends
    // them row by row to a stream read alone. A stream left before its end leaves the connection
    // ready for the next statement, in the same transaction.
    const QString numbers = "with recursive n(i) as (select 1 union all select i + 1 from n "
                            "where i < 25001) select i from n";
    for (const auto use : {data::RowStream::Use::Shared, data::RowStream::Use::Alone}) {
        qint64 count = 0;
        for (data::RowStream rows(db.db(), numbers, {}, use); rows.next();)
            count += rows.integer(0) == count + 1 ? 1 : 0;
        EXPECT_EQ(count, 25001);
    }
    {
        data::RowStream rows(db.db(), numbers, {}, data::RowStream::Use::Alone);
        ASSERT_TRUE(rows.next());
    }
    EXPECT_EQ(data::firstField(db.db(), "select 5").toInt(), 5);
    db.db().rollbackTrans();

    // Bound values reach the statement, a number as a number and a text as a text.
    data::RowStream bound(db.db(), "select i from (" + numbers + ") t where i > ? and '5' = ?",
                          {qint64(25000), QString("5")});
    ASSERT_TRUE(bound.next());
    EXPECT_EQ(bound.integer(0), 25001);
    EXPECT_FALSE(bound.next());
}

// A list of numbers bound as one text picks rows on every database, with a cursor or without; a
// question mark inside quoted text is no placeholder.
TEST(RowStreamTest, ABoundListOfNumbersPicksRows) {
    TestDatabase db;
    const QString sql = "select n, '?' from (select 1 n union all select 3 union all select 7 "
                        "union all select 20) x where " +
                        db.db().dialect().inBoundNumbers("n");
    for (const bool inTransaction : {false, true}) {
        if (inTransaction)
            db.db().beginReadTrans();
        QStringList read;
        for (data::RowStream rows(db.db(), sql, {QStringLiteral("3,1,20")}); rows.next();)
            read << rows.text(0).toString() + rows.text(1).toString();
        read.sort();
        EXPECT_EQ(read, (QStringList{"1?", "20?", "3?"}));
    }
    db.db().rollbackTrans();
}

} // namespace
