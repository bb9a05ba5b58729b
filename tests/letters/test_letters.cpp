// Revision letters of the README's annual increment on the demo company, written by
// quorvel-host --letters as a clerk runs it, and read back from the PDFs.

#include "app/hostrun.h"
#include "bulkcommands.h"
#include "support/check.h"
#include "support/testdb.h"

#include <QDir>
#include <QFile>

namespace {

const CommandContext kContext{1, 1, 91004, QDate(2026, 11, 30)};

class Letters : public ::testing::Test {
protected:
    Letters() {
        db.loadDemo();
        writeFile(path("increment.ini"), "[employees]\ngrade = 3\n[change]\ndate = 2027-01-01\n"
                                         "remarks = Annual increment 2027\nbasic = +5%\n"
                                         "rounding = 1\n[line]\nkind = allowance\ntype = 1\n"
                                         "change = +1,000\n");
        EXPECT_EQ(
            runBulkCommand({path("increment.ini"), true, path("preview.csv")}, db.db(), kContext),
            0);
        applied = db.rows("select egcNo, eempno, eName from pay_employeegradechange, pay_employee "
                          "where eEmpID = egcEmpID and eCompanyID = egcCompanyID and "
                          "egcCompanyID = 1 and egcDate = '2027-01-01' order by egcId");
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList hostArguments(const QStringList& letters) const {
        return db.hostArguments() + QStringList{"--process-date", "2026-11-30"} + letters;
    }
    HostRun run(const QStringList& letters) const {
        return runHost(hostArguments(letters), dir.path());
    }
    QString number(int index) const { return applied.value(index).section('|', 0, 0); }
    QString range() const { return number(0) + '-' + number(int(applied.size()) - 1); }

    QTemporaryDir dir;
    TestDatabase db;
    QStringList applied; // number|employee no|name of each job change saved, in number order
};

// One page per letter, each starting with the letterhead: the pages of the PDF, read back,
// each hold their job change's values; a cancelled one has none and is named.
TEST_F(Letters, EachJobChangeOfTheApplyGetsItsPageWithItsValues) {
    ASSERT_GT(applied.size(), 10);
    EXPECT_EQ(number(0), "JC421") << "the README's example";
    db.exec("update pay_employeegradechange set egcCancelled = 1 where egcNo = '" + number(1) +
            "'");
    db.exec("update pay_employeegradechange set egcOldBasic = 0 where egcNo = '" + number(2) + "'");
    const HostRun result = run({"--letters", range(), "--out", path("letters.pdf")});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(result.errors.trimmed(),
              "quorvel-host: warning: cancelled job changes get no letter: " + number(1));
    EXPECT_EQ(
        result.output.trimmed(),
        QStringLiteral("Wrote %1 letters to %2.").arg(applied.size() - 1).arg(path("letters.pdf")));
    EXPECT_EQ(fileMode(path("letters.pdf")), 0600);

    const std::optional<QString> text = pdfText(path("letters.pdf"), true);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    // pdftotext reads ligatures as their own characters ("ﬁ").
    QStringList pages = text->normalized(QString::NormalizationForm_KC).split('\f');
    pages.removeLast(); // after the last page's break
    ASSERT_EQ(pages.size(), applied.size() - 1);
    applied.removeAt(1);
    for (int i = 0; i < pages.size(); ++i) {
        const QString page = pages[i].simplified();
        const QStringList jobChange = applied[i].split('|');
        EXPECT_TRUE(page.startsWith("Meridian Textiles Ltd.")) << page;
        EXPECT_TRUE(page.contains("Dear " + jobChange[2] + ",")) << page;
        EXPECT_TRUE(page.contains(jobChange[1] + " · " + jobChange[0] + " Page 1 of 1")) << page;
        EXPECT_TRUE(page.contains("with effect from 1 January 2027")) << page;
        EXPECT_TRUE(page.contains(i == 1 ? "(—)" : "%)")) << page;
    }
    const QString lucia = pages.filter("Lucía Rodríguez").value(0).simplified();
    for (const char* value : {"Employee no. E0055 Engineer, Senior",
                              "Basic pay (Rupee) Rs 54,900.00 Rs 57,645.00 Rs 2,745.00 (5.00%)",
                              "Allowance Overseas Allowance $ 510.00 $ 510.00 Kept",
                              "Allowance House Rent Allowance Rs 18,950.00 Rs 19,950.00 Revised",
                              "Deduction Provident Fund Rs 3,690.00 Rs 3,690.00 Kept",
                              "Reference: Annual increment 2027"})
        EXPECT_TRUE(lucia.contains(QString::fromUtf8(value))) << value << "\n" << lucia;
}

// One file per job change, named by employee and number, every character a file system might
// take amiss replaced, and a second name alike made unique.
TEST_F(Letters, OneFilePerJobChangeInAFolderOfTheOwnersOwn) {
    const QString insert = "insert into pay_employeegradechange (egcId, egcCompanyID, egcNo, "
                           "egcDate, egcEmpID, egcOldDesigID, egcOldGradeID, egcOldBasic, "
                           "egcNewDesigID, egcNewGradeID, egcNewBasic, egcremarks, egcCancelled) "
                           "values (%1, 1, '%2', '2027-01-02', 55, 11, 3, 100, 11, 3, 110, '', 0)";
    db.exec(insert.arg(901).arg("X/1"));
    db.exec(insert.arg(902).arg("X:1"));
    ASSERT_EQ(run({"--letters-date", "2027-01-02", "--out-dir", path("out/sub")}).exitCode, 0);
    EXPECT_EQ(QDir(path("out/sub")).entryList(QDir::Files),
              QStringList({"E0055_X_1-2.pdf", "E0055_X_1.pdf"}));
    EXPECT_EQ(fileMode(path("out/sub")), 0700);

    const HostRun result = run({"--letters-date", "2027-01-01", "--out-dir", path("out")});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    const QStringList files = QDir(path("out")).entryList(QDir::Files);
    EXPECT_EQ(files.size(), applied.size());
    for (const QString& jobChange : applied) {
        const QString name =
            jobChange.section('|', 1, 1) + '_' + jobChange.section('|', 0, 0) + ".pdf";
        EXPECT_TRUE(files.contains(name)) << name;
        EXPECT_EQ(fileMode(path("out/" + name)), 0600) << name;
    }
}

TEST_F(Letters, AMistakeStopsTheRunBeforeAnythingIsWritten) {
    ASSERT_TRUE(writeFile(path("letters.pdf"), "last year's letters"));
    ASSERT_TRUE(writeFile(path("ours.tpl"), "[layout]\nDear {{salutation}}\n"));
    const struct {
        QStringList arguments;
        int exitCode;
        QString error;
    } cases[] = {
        {{"--letters", range(), "--template", path("ours.tpl"), "--out", path("letters.pdf")},
         1,
         "ours.tpl, line 2: the program gives no value named \"salutation\""},
        {{"--letters", "JC494-JC421", "--out", path("letters.pdf")}, 2, "the lower first"},
        {{"--letters", "JC9000-JC9010", "--out", path("letters.pdf")},
         2,
         "company 1 has no job change numbered JC9000 to JC9010"},
        {{"--letters-date", "2027-01-01", "--out", path("letters.pdf"), "--out-dir", path("out")},
         2,
         "either --out FILE.pdf or --out-dir FOLDER"},
    };
    for (const auto& c : cases) {
        const HostRun result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.join(' ');
        EXPECT_TRUE(result.errors.contains(c.error)) << result.errors;
    }
    EXPECT_EQ(readFile(path("letters.pdf")), "last year's letters");
    EXPECT_FALSE(QFile::exists(path("out")));
}

// Killed while it writes, the run leaves the file that was there as it was.
TEST_F(Letters, AKilledRunLeavesTheOldFile) {
    ASSERT_TRUE(writeFile(path("letters.pdf"), "last year's letters"));
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    host.setProcessEnvironment(environment);
    host.start(QCoreApplication::applicationDirPath() + "/quorvel-host",
               hostArguments({"--letters", "JC1-" + number(int(applied.size()) - 1), "--out",
                              path("letters.pdf")}));
    ASSERT_TRUE(host.waitForStarted());
    // Until the PDF under way shows beside the old one.
    const auto underWay = [&] {
        return QDir(dir.path()).entryList({".letters.pdf.*"}, QDir::Files | QDir::Hidden);
    };
    while (underWay().isEmpty() && !host.waitForFinished(5)) {
    }
    ASSERT_EQ(host.state(), QProcess::Running)
        << "finished before it could be killed: " << host.readAllStandardError().toStdString();
    host.kill();
    host.waitForFinished();
    EXPECT_EQ(readFile(path("letters.pdf")), "last year's letters");
    for (const QString& part : underWay())
        EXPECT_EQ(fileMode(path(part)), 0600) << "what was under way holds pay too";
}

} // namespace
