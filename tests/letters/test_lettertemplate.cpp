// The pieces of a revision letter that need no database: the template's names, the increase,
// ranges of numbers, file names, and the PDF file that is written whole or not at all.

#include "letters/letterrun.h"
#include "letters/revisionletter.h"
#include "support/check.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// The template text in a letter file of its own; empty when it is accepted, else the message.
QString refusal(const QString& layout, const QString& extra = {}) {
    QTemporaryDir dir;
    const QString path = dir.filePath("letter.tpl");
    writeFile(path, ("# a letter\n[report]\nname = Letter\n" + extra + "[layout]\n" + layout +
                     "\n[footer]\npage {{page}} of {{pages}}\n")
                        .toUtf8());
    try {
        letters::loadLetterTemplate(path);
        return {};
    } catch (const data::DbError& error) {
        return QString(error.description()).replace(dir.path(), "DIR");
    }
}

TEST(LetterTemplate, ANameTheProgramDoesNotGiveIsRefusedWithItsLine) {
    EXPECT_EQ(refusal("{{! salary comes later }}{{employee_name}}: {{#lines}}{{type}} "
                      "{{employee_no}}{{/lines}}{{^lines}}{{type}}{{/lines}}x"),
              "DIR/letter.tpl, line 5: the program gives no value named \"type\" ({{type}}); "
              "here a template may use date, employee_name, employee_no, job_change_no, "
              "job_date, old_designation, old_grade, new_designation, new_grade, job_changed, "
              "old_basic, new_basic, increase, increase_percent, currency, currency_symbol, "
              "remarks, has_lines, lines.")
        << "a line's name outside the lines";
    const struct {
        const char* layout;
        const char* message;
    } cases[] = {
        {"{{date}}\n\n{{ salary }}", "line 7: the program gives no value named \"salary\""},
        {"{{#lines}}{{basic}}{{/lines}}", "no value named \"basic\" ({{basic}}); here a template "
                                          "may use kind, type, old, new, currency"},
        {"{{=<% %>=}}<%employee_name%> <%salary%>", "no value named \"salary\" (<%salary%>)"},
        {"{{{employee_name}}}", "{{{employee_name}}} would put the value in unescaped"},
        {"{{& remarks}}", "{{{remarks}}} would put the value in unescaped"},
        {"{{>letterhead}}", "{{>letterhead}}: a template includes no other template"},
        {"{{#lines}}{{kind}}", "{{#lines}} is not closed"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(refusal(c.layout).contains(c.message)) << c.layout << "\n" << refusal(c.layout);
    EXPECT_TRUE(refusal("{{date}}", "[query header]\nselect 1\n").contains("no [query]"));
    EXPECT_EQ(refusal("{{=<% %>=}}<%employee_name%><%={{ }}=%>{{#has_lines}}{{/has_lines}}"), "");
    EXPECT_EQ(refusal("x"), "");
    EXPECT_EQ(letters::loadLetterTemplate(letters::defaultLetterTemplate()).name,
              "Revision Letter");
}

TEST(LetterTemplate, TheIncreaseIsExactWithHalvesAwayFromZeroAndADashWithoutAnOldBasic) {
    const auto amount = [](const char* text) {
        return data::StoredAmount::fromValue(QString::fromLatin1(text));
    };
    const struct {
        const char* from;
        const char* to;
        const char* increase;
        const char* percent;
    } cases[] = {
        {"54900", "57645", "2,745.00", "5.00%"},
        {"0", "1000", "1,000.00", "\u2014"},
        {"8.00", "8.01", "0.01", "0.13%"},
        {"8.00", "7.99", "-0.01", "-0.13%"},
        {"1000", "965.55", "-34.45", "-3.45%"},
        {"1e15", "2000", "\u2014", "\u2014"},
        {"999999999999.99", "0.01", "-999,999,999,999.98", "-100.00%"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(letters::increaseAmount(amount(c.from), amount(c.to)), c.increase) << c.from;
        EXPECT_EQ(letters::increasePercent(amount(c.from), amount(c.to)), c.percent) << c.from;
    }
}

TEST(LetterTemplate, RangesOfNumbersAndTheFileNameOfALetter) {
    const auto range = [](const char* text) {
        const std::optional<jobchange::NumberRange> r = letters::parseNumberRange(text);
        return r ? QStringLiteral("%1|%2|%3").arg(r->prefix).arg(r->first).arg(r->last)
                 : QStringLiteral("none");
    };
    EXPECT_EQ(range("JC421-JC494"), "JC|421|494");
    EXPECT_EQ(range(" jc421 - 494 "), "jc|421|494");
    EXPECT_EQ(range("JC39"), "JC|39|39");
    EXPECT_EQ(range("JC-2026/7-JC-2026/9"), "JC-2026/|7|9");
    EXPECT_EQ(range("17"), "|17|17");
    for (const char* bad : {"JC494-JC421", "JC", "", "JC1-"})
        EXPECT_EQ(range(bad), "none") << bad;

    EXPECT_EQ(letters::letterFileName("E0055", "JC421"), "E0055_JC421");
    EXPECT_EQ(letters::letterFileName(" E/00 5 ", "JC.42:1"), "E_00_5_JC_42_1");
    EXPECT_EQ(letters::letterFileName("Łódź-7", "../x"), "__d_-7____x");
    EXPECT_EQ(letters::letterFileName("", ""), "letter");
}

// Whatever is at the place stays until the new file is complete; what is written is the
// owner's alone; a folder in its place is refused.
TEST(LetterTemplate, APdfFileIsOwnerOnlyAndReplacesTheOldOneOnlyWhenFinished) {
    QTemporaryDir dir;
    const QString path = dir.filePath("letters.pdf");
    ASSERT_TRUE(writeFile(path, "old letters"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    report::RenderedReport page;
    page.name = "Letter";
    page.pageLayout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    page.html = "<p>Dear Asha</p>";
    {
        report::PdfFile unfinished(path, page.name, page.pageLayout);
        unfinished.add(page);
    }
    EXPECT_EQ(readFile(path), "old letters");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"letters.pdf"});

    report::PdfFile file(path, page.name, page.pageLayout);
    file.add(page);
    file.add(page);
    file.finish();
    EXPECT_EQ(fileMode(path), 0600);
    const QStringList pages = pdfText(path).value_or("Dear Asha\fDear Asha\f").split('\f');
    EXPECT_EQ(pages.size(), 3);
    EXPECT_EQ(pages.filter("Dear Asha").size(), 2);

    QDir(dir.path()).mkdir("folder.pdf");
    EXPECT_TRUE(thrown([&] { page.writePdf(dir.filePath("folder.pdf")); })
                    .description()
                    .endsWith("folder.pdf: it is a folder, not a regular file; nothing was "
                              "written"));
}

} // namespace
