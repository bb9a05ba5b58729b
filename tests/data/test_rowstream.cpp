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
    // Read whole first: a server connection runs one forward-only query at a time.
    struct Field {
        bool null;
        QString text;
        QDate date;
    };
    std::vector<std::vector<Field>> expected;
    std::vector<qint64> firstIntegers;
    for (data::Recordset rs = db.db().open(sql); !rs.eof(); rs.moveNext()) {
        expected.emplace_back();
        for (int c = 0; c < rs.fieldCount(); ++c)
            expected.back().push_back({rs.isNull(c), rs.text(c), data::dateOf(rs.field(c))});
        firstIntegers.push_back(rs.field(0).toLongLong());
    }
    ASSERT_EQ(expected.size(), 2u);
    data::RowStream rows(db.db(), sql);
    size_t read = 0;
    while (rows.next()) {
        ASSERT_LT(read, expected.size());
        ASSERT_EQ(size_t(rows.fieldCount()), expected[read].size());
        for (int c = 0; c < rows.fieldCount(); ++c) {
            SCOPED_TRACE(QString("row %1, field %2").arg(read).arg(c));
            const Field& field = expected[read][size_t(c)];
            EXPECT_EQ(rows.isNull(c), field.null);
            EXPECT_EQ(rows.text(c).toString(), field.text);
            EXPECT_EQ(rows.date(c), field.date);
        }
        EXPECT_EQ(rows.integer(0), firstIntegers[read]);
        ++read;
    }
    EXPECT_EQ(read, expected.size());
}

} // namespace
