// Reading spreadsheets to import: CSV as spreadsheet programs save it, a workbook made by hand
// part by part, archives too large to unpack, and the headings and cells of an import.

#include "bulk/importsheet.h"
#include "bulk/sheet.h"
#include "support/check.h"

#include <QFile>
#include <QTemporaryDir>
#include <minizip/zip.h>

namespace {

using bulk::Sheet;
using bulk::SheetCell;

// Each row as "number|cell|cell", a cell as its kind's letter and its text.
QStringList rowsOf(const Sheet& sheet) {
    QStringList rows;
    for (const bulk::SheetRow& row : sheet.rows) {
        QStringList cells{QString::number(row.number)};
        for (const SheetCell& cell : row.cells) {
            static const char* letters[] = {"", "t:", "n:", "d:", "b:", "e:", "f:"};
            cells << QString::fromLatin1(letters[int(cell.kind)]) + cell.text;
        }
        rows << cells.join('|');
    }
    return rows;
}

QString importError(const QByteArray& csv) {
    return thrown<bulk::ImportError>([&] { bulk::parseCsv(csv); }).message();
}

// Parts written into a new archive.
void writeZip(const QString& path, const QList<QPair<QString, QByteArray>>& parts) {
    const zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_TRUE(zip);
    for (const auto& [name, bytes] : parts) {
        const zip_fileinfo info{};
        ASSERT_EQ(zipOpenNewFileInZip64(zip, name.toUtf8().constData(), &info, nullptr, 0, nullptr,
                                        0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

class SheetFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST(SheetCsv, ReadsWhatSpreadsheetProgramsSaveAndRefusesWhatIsNotUtf8) {
    const Sheet sheet = bulk::parseCsv("\xEF\xBB\xBF"
                                       "Employee No;New Basic;Remarks\r\n"
                                       "E001;27500,5;\"Promoted; \"\"senior\"\"\nfrom May\"\r\n"
                                       "\r\n"
                                       ";;\r\n"
                                       "E002;;'-5\r\n"
                                       "E003,4;1");
    EXPECT_EQ(rowsOf(sheet), QStringList({"1|t:Employee No|t:New Basic|t:Remarks",
                                          "2|t:E001|t:27500,5|t:Promoted; \"senior\"\nfrom May",
                                          "5|t:E002|t:|t:'-5", "6|t:E003,4|t:1"}));
    EXPECT_EQ(rowsOf(bulk::parseCsv("a,b;c\n\"1\",2;3\n")),
              QStringList({"1|t:a|t:b;c", "2|t:1|t:2;3"}));

    EXPECT_EQ(importError("No\nE001\nM\xfcller\n"),
              "Row 3 of the CSV file is not UTF-8 text: save the file as \"CSV UTF-8\" and "
              "import it again.");
    EXPECT_EQ(importError(QByteArray("\xFF\xFEN\0o\0", 6)),
              "The CSV file is UTF-16 text: save it as \"CSV UTF-8\" and import it again.");
    EXPECT_EQ(importError("No\n\"E001\n"),
              "Row 2 of the CSV file opens a quoted field that is never closed.");
}

// Headings that cannot be used stop the import; cells are read as the clerk wrote them, less the
// apostrophe of a safe CSV export.
TEST(ImportTable, HeadingsAndCells) {
    const auto headingError = [](const QByteArray& csv) {
        return thrown<bulk::ImportError>([&] { bulk::parseImport(bulk::parseCsv(csv)); }).message();
    };
    EXPECT_EQ(headingError("Name,New Basic\nAsha,1\n"),
              "Row 1 names the columns, and none of them is \"Employee No\".");
    EXPECT_EQ(headingError("Employee No,New Basic,new  basic\n"),
              "Columns B and C are both headed \"new basic\": keep one.");

    bulk::Sheet sheet = bulk::parseCsv("Employee No,Remarks,New Basic\n'-7,'=1+1,'-5\n,x,\n");
    sheet.rows.push_back(
        {4, {{SheetCell::Kind::Number, "1.2E+1"}, {}, {SheetCell::Kind::Number, "0.1"}}});
    sheet.rows.push_back({5, {{SheetCell::Kind::Number, "12.5"}}});
    const bulk::ImportTable table = bulk::parseImport(sheet);
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_EQ(table.rows[0].employeeNo, "-7");
    EXPECT_EQ(table.rows[0].remarks, "=1+1");
    EXPECT_EQ(table.rows[0].problems, QStringList{"row 2, New Basic: \"-5\" is negative"});
    EXPECT_EQ(table.rows[2].employeeNo, "12");
    EXPECT_EQ(table.rows[2].newBasic, data::Money::fromCents(10));
    EXPECT_EQ(table.rows[3].problems,
              QStringList{"row 5, Employee No: \"12.5\" is not an employee number"});
}

// Shared strings with runs and phonetic text, a formula with its stored value, a formula's text,
// an inline string, dates in the 1904 system by a built-in and a custom format, an error, a
// boolean, a cell without its reference; the first sheet in the workbook's order is not
// sheet1.xml. (Workbooks of this program's export and of openpyxl are read by the import tests.)
TEST_F(SheetFiles, WorkbookPartsAsTheFormatAllows) {
    const QByteArray main = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    writeZip(
        path("hand.xlsx"),
        {{"xl/workbook.xml",
          "<workbook " + main +
              " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
              "<workbookPr date1904=\"1\"/><sheets><sheet name=\"Rev\" sheetId=\"2\" "
              "r:id=\"rId7\"/><sheet name=\"Old\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
              "</workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
          "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId7\" Type=\"x/worksheet\" "
          "Target=\"/xl/worksheets/revision.xml\"/><Relationship Id=\"rId3\" "
          "Type=\"x/sharedStrings\" Target=\"strings.xml\"/><Relationship Id=\"rId4\" "
          "Type=\"x/styles\" Target=\"look.xml\"/></Relationships>"},
         {"xl/strings.xml", "<sst " + main +
                                "><si><t>Employee No</t></si><si><r><t>New </t></r><r><t>Basic"
                                "</t></r></si><si><t>E001</t><rPh><t>ee</t></rPh></si></sst>"},
         {"xl/look.xml", "<styleSheet " + main +
                             "><numFmts><numFmt numFmtId=\"164\" formatCode=\"[Red]&quot;due "
                             "&quot;d\\-mmm\"/></numFmts><cellXfs><xf numFmtId=\"0\"/><xf "
                             "numFmtId=\"164\"/><xf numFmtId=\"4\"/><xf numFmtId=\"14\"/>"
                             "</cellXfs></styleSheet>"},
         {"xl/worksheets/sheet1.xml",
          "<worksheet " + main +
              "><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>wrong sheet</t></is>"
              "</c></row></sheetData></worksheet>"},
         {"xl/worksheets/revision.xml",
          "<worksheet " + main +
              "><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\">"
              "<v>1</v></c></row><row r=\"3\"><c t=\"s\"><v>2</v></c><c s=\"2\"><f>B5*1.05</f>"
              "<v>28875.000000000004</v></c><c t=\"str\"><f>A3&amp;\"x\"</f><v>E001x</v></c>"
              "<c t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r><rPh><t>ph</t></rPh>"
              "</is></c><c s=\"1\"><v>366</v></c><c r=\"G3\" s=\"3\"><v>0.5</v></c><c "
              "t=\"e\"><v>#DIV/0!</v></c><c t=\"b\"><v>1</v></c><c r=\"J3\" s=\"2\"/></row>"
              "</sheetData></worksheet>"}});
    EXPECT_EQ(rowsOf(bulk::readSheet(path("hand.xlsx"))),
              QStringList({"1|t:Employee No|t:New Basic",
                           "3|t:E001|n:28875.000000000004|t:E001x|t:inline|d:1905-01-01||"
                           "d:1904-01-01|e:#DIV/0!|b:TRUE"}));
}

// The sizes come from the archive's directory, so a compressed bomb is refused unread.
TEST_F(SheetFiles, ArchivesThatWouldUnpackBeyondTheLimitAreRefused) {
    const QByteArray blanks(bulk::kMaxUnpackedBytes / 2 + 1, ' ');
    writeZip(path("part.xlsx"), {{"xl/worksheets/sheet1.xml", blanks + blanks}});
    EXPECT_EQ(thrown<bulk::ImportError>([&] { bulk::readSheet(path("part.xlsx")); }).message(),
              "Cannot import " + path("part.xlsx") +
                  ": its part xl/worksheets/sheet1.xml would unpack to more than 50 MB.");
    writeZip(path("whole.xlsx"), {{"xl/workbook.xml", blanks}, {"xl/strings.xml", blanks}});
    EXPECT_EQ(thrown<bulk::ImportError>([&] { bulk::readSheet(path("whole.xlsx")); }).message(),
              "Cannot import " + path("whole.xlsx") + ": it would unpack to more than 50 MB.");
    ASSERT_TRUE(writeFile(path("plain.xlsx"), "Employee No\nE001\n"));
    EXPECT_EQ(thrown<bulk::ImportError>([&] { bulk::readSheet(path("plain.xlsx")); }).message(),
              "Cannot import " + path("plain.xlsx") + ": it is not an Excel workbook (.xlsx).");
}

} // namespace
