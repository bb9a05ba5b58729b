#include "export/tablewriter.h"
#include "support/check.h"
#include "support/spreadsheets.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace tableexport;
using Kind = ExportColumnKind;

// Names that need quoting in CSV and escaping in XML, amounts around zero and at the top of
// the range, a date and an empty cell in every column somewhere.
ExportTable sampleTable() {
    ExportTable table;
    table.titles = {"Name", "Count", "Amount", "Date", "Cancelled"};
    table.kinds = {Kind::Text, Kind::WholeNumber, Kind::Amount, Kind::Date, Kind::YesNo};
    table.rows = {
        {QString("O'Neill, \"Ann\""), qint64(3), Cents{178050}, QDate(2026, 11, 30), true},
        {QString("Line one\nline two <&>"), qint64(-42), Cents{-5}, QDate(2025, 7, 17), false},
        {QString::fromUtf8("Zoë Ünal"), std::monostate{}, Cents{99999999999999}, std::monostate{},
         std::monostate{}},
        {std::monostate{}, qint64(0), std::monostate{}, QDate(1900, 3, 1), false},
    };
    return table;
}

class TableExport : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray contents(const QString& name) const { return readFile(path(name)); }
    QTemporaryDir dir;
};

TEST_F(TableExport, WorkbookHoldsTypedCellsUnderABoldHeader) {
    writeTable(sampleTable(), path("table.xlsx"));
    const XlsxSheet sheet = readXlsxSheet(path("table.xlsx"));
    ASSERT_TRUE(sheet.error.isEmpty()) << sheet.error;
    EXPECT_EQ(sheet.lastRow, 5);

    for (int c = 0; c < 5; ++c) {
        const XlsxCell* title = sheet.at(1, c);
        ASSERT_TRUE(title);
        EXPECT_EQ(title->value + (title->bold ? " bold" : ""), sampleTable().titles[c] + " bold");
    }
    // Texts as strings, exactly.
    EXPECT_EQ(sheet.at(2, 0)->value, "O'Neill, \"Ann\"");
    EXPECT_EQ(sheet.at(4, 0)->value, QString::fromUtf8("Zoë Ünal"));
    EXPECT_FALSE(sheet.at(2, 0)->bold);

    // Numbers as numbers (no type), amounts with two decimals, yes/no as 1 and 0 shown as words.
    const auto expectNumber = [&](int row, int col, const char* value, const char* format) {
        const XlsxCell* cell = sheet.at(row, col);
        ASSERT_TRUE(cell) << row << "," << col;
        EXPECT_EQ(cell->type, "") << row << "," << col;
        EXPECT_EQ(cell->value.toDouble(), QString(value).toDouble()) << row << "," << col;
        EXPECT_EQ(cell->format, format) << row << "," << col;
    };
    const char* yesNo = "\"Yes\";\"Yes\";\"No\"";
    expectNumber(3, 1, "-42", "0");
    expectNumber(3, 2, "-0.05", "0.00");
    expectNumber(4, 2, "999999999999.99", "0.00");
    expectNumber(2, 4, "1", yesNo);
    expectNumber(3, 4, "0", yesNo);

    // Dates as day numbers counted from 30 Dec 1899, in a date format.
    const QDate epoch(1899, 12, 30);
    expectNumber(2, 3, QByteArray::number(epoch.daysTo(QDate(2026, 11, 30))), "d mmm yyyy");
    expectNumber(5, 3, "61", "d mmm yyyy");

    // Empty cells are left out.
    EXPECT_FALSE(sheet.at(4, 1));
    EXPECT_FALSE(sheet.at(4, 3));
    EXPECT_FALSE(sheet.at(5, 0));

    // Every column is given a width, the long text's wider than the date's.
    ASSERT_EQ(sheet.columnWidths.size(), 5);
    EXPECT_GT(sheet.columnWidths[0].toDouble(), sheet.columnWidths[3].toDouble());
    EXPECT_GE(sheet.columnWidths[3].toDouble(), 11);
}

TEST_F(TableExport, CsvReadsBackExactlyWhateverTheCaseOfItsSuffix) {
    for (const char* name : {"table.csv", "TABLE.CSV"}) {
        writeTable(sampleTable(), path(name));
        const QByteArray bytes = contents(name);
        EXPECT_TRUE(bytes.endsWith("\r\n")) << name;
        const std::vector<QStringList> records = parseCsv(bytes);
        const std::vector<QStringList> expected = {
            {"Name", "Count", "Amount", "Date", "Cancelled"},
            {"O'Neill, \"Ann\"", "3", "1780.50", "2026-11-30", "Yes"},
            {"Line one\nline two <&>", "-42", "-0.05", "2025-07-17", "No"},
            {QString::fromUtf8("Zoë Ünal"), "", "999999999999.99", "", ""},
            {"", "0", "", "1900-03-01", "No"},
        };
        EXPECT_EQ(records, expected) << name;
    }
    // Only the quoting it needs: plain fields stay bare.
    EXPECT_TRUE(contents("table.csv")
                    .startsWith("Name,Count,Amount,Date,Cancelled\r\n"
                                "\"O'Neill, \"\"Ann\"\"\",3,1780.50,"));
}

TEST_F(TableExport, FailuresNameTheFileAndLeaveWhatWasThere) {
    const ExportTable table = sampleTable();
    for (const QString& bad :
         {path("no/such/folder/t.xlsx"), path("no/such/folder/t.csv"), dir.path()})
        EXPECT_TRUE(thrown<ExportError>([&] { writeTable(table, bad); }).message().contains(bad))
            << bad;

    // A writer dropped half-way, or stopped by a bad row, leaves the old file untouched.
    for (const char* name : {"old.xlsx", "old.csv"}) {
        ASSERT_TRUE(writeFile(path(name), "old contents"));
        {
            const auto writer = TableWriter::open(path(name), table.titles, table.kinds);
            writer->addRow(table.rows[0]);
            ExportRow wrong = table.rows[1];
            wrong[2] = qint64(5); // a whole number in the amount column
            EXPECT_THROW(writer->addRow(wrong), std::invalid_argument);
            EXPECT_THROW(writer->addRow(ExportRow(4)), std::invalid_argument);
        }
        EXPECT_EQ(contents(name), "old contents") << name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << name;
        QFile::remove(path(name));
    }
    EXPECT_THROW(TableWriter::open(path("t.csv"), {"One"}, {Kind::Text, Kind::Date}),
                 std::invalid_argument);
}

} // namespace
