#include "data/rowstream.h"
#include "support/check.h"
#include "support/testdb.h"

namespace {

// The register reads its rows through RowStream; every field must show as the recordset shows
// it, whichever way the driver hands it over.
TEST(RowStreamTest, FieldsReadAsTheRecordsetReadsThem) {
    TestDatabase db;
    const QString sql =
        "select 12, 1500.5, 1000000000000000.0, null, 'Zoë Ndlovu', '2024-03-05 00:00:00', "
        "' x ', '2024-3-5' union all "
        "select -7, 0.1, 2.25, 'y', 'Ann', '1999-12-31', '', 'not a date'";
    data::Recordset expected = db.db().open(sql);
    data::RowStream rows(db.db(), sql);
    int read = 0;
    while (rows.next()) {
        ASSERT_FALSE(expected.eof());
        ASSERT_EQ(rows.fieldCount(), expected.fieldCount());
        for (int c = 0; c < rows.fieldCount(); ++c) {
            SCOPED_TRACE(QString("row %1, field %2").arg(read).arg(c));
            EXPECT_EQ(rows.isNull(c), expected.isNull(c));
            EXPECT_EQ(rows.text(c).toString(), expected.text(c));
            EXPECT_EQ(rows.date(c), data::dateOf(expected.field(c)));
        }
        EXPECT_EQ(rows.integer(0), expected.field(0).toLongLong());
        expected.moveNext();
        ++read;
    }
    EXPECT_EQ(read, 2);
    EXPECT_TRUE(expected.eof());
}

TEST(RowStreamTest, AFailingStatementRaisesWithTheStatement) {
    TestDatabase db;
    const data::DbError error = thrown([&] {
        for (data::RowStream rows(db.db(), "select nothing from no_such_table"); rows.next();) {
        }
    });
    EXPECT_FALSE(error.description().isEmpty());
    EXPECT_TRUE(error.statement().contains("no_such_table"));
}

} // namespace
