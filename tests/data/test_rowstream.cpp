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
    QStringList read;
    for (data::RowStream rows(db.db(), sql); rows.next();)
        for (int c = 0; c < rows.fieldCount(); ++c)
            read << QString("%1|%2|%3")
                        .arg(rows.isNull(c))
                        .arg(rows.text(c).toString(), rows.date(c).toString());
    EXPECT_EQ(read, expected);
    EXPECT_EQ(read.size(), 12);
}

} // namespace
