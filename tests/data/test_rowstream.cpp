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
    // Read whole first: a server connection runs one forward-only query at a time.
    QStringList expected;
    for (data::Recordset rs = db.db().open(sql); !rs.eof(); rs.moveNext())
        for (int c = 0; c < rs.fieldCount(); ++c)
            expected << QString("%1|%2|%3")
                            .arg(rs.isNull(c))
                            .arg(rs.text(c), data::dateOf(rs.field(c)).toString());
    const auto readAll = [&] {
        QStringList read;
        for (data::RowStream rows(db.db(), sql); rows.next();)
            for (int c = 0; c < rows.fieldCount(); ++c)
                read << QString("%1|%2|%3")
                            .arg(rows.isNull(c))
                            .arg(rows.text(c).toString(), rows.date(c).toString());
        return read;
    };
    EXPECT_EQ(readAll(), expected);
    EXPECT_EQ(expected.size(), 12);
    // Inside a read transaction a server is read through a cursor.
    db.db().beginReadTrans();
    EXPECT_EQ(readAll(), expected);
    // Across the batches a cursor hands over, every row once, in order.
    qint64 count = 0;
    for (data::RowStream rows(db.db(), "with recursive n(i) as (select 1 union all select i + 1 "
                                       "from n where i < 25001) select i from n");
         rows.next();)
        count += rows.integer(0) == count + 1 ? 1 : 0;
    EXPECT_EQ(count, 25001);
    db.db().rollbackTrans();
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
