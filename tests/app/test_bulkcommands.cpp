// quorvel-host --bulk, run in process on the demo company: the README's annual increment.

#include "app/hostrun.h"
#include "bulk/settingsfile.h"
#include "bulkcommands.h"
#include "support/check.h"
#include "support/spreadsheets.h"
#include "support/testdb.h"

#include <QFile>
#include <QRegularExpression>

namespace {

const CommandContext kContext{1, 1, 91004, QDate(2026, 11, 30)};

class HostBulk : public ::testing::Test {
protected:
    HostBulk() {
        db.loadDemo();
        settings(QStringLiteral("# Annual increment 2027 for the senior grade\n"
                                "[employees]\ngrade = 3\n\n"
                                "[change]\ndate = 2027-01-01\nremarks = Annual increment 2027\n"
                                "basic = +5%\nrounding = 1\n\n"
                                "[line]\nkind = allowance\ntype = 1\nchange = +1,000\n"));
    }

    void settings(const QString& text) const {
        ASSERT_TRUE(writeFile(path("increment.ini"), text.toUtf8()));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    int run(bool apply, const QString& out, const QString& file = {}) const {
        BulkCommand command;
        command.settingsFile = file.isEmpty() ? path("increment.ini") : file;
        command.apply = apply;
        command.outFile = path(out);
        return runBulkCommand(command, db.db(), kContext);
    }
    QStringList csvLines(const QString& name) const {
        return QString::fromUtf8(readFile(path(name))).split("\r\n", Qt::SkipEmptyParts);
    }
    qint64 count(const QString& sql) const { return db.scalar(sql).toLongLong(); }

    QTemporaryDir dir;
    TestDatabase db;
};

TEST_F(HostBulk, PreviewWritesTheFileAndSavesNothingThenApplySavesEveryRow) {
    const qint64 senior = count("select count(*) from pay_employee e where eCompanyID = 1 and "
                                "eActive = 1 and eGradeID = 3 and not exists (select 1 from "
                                "pay_employeegradechange where egcEmpID = eEmpID and egcCompanyID "
                                "= 1 and egcCancelled = 0 and egcDate > '2026-11-30')");
    ASSERT_GT(senior, 10);
    const qint64 jobChanges = count("select count(*) from pay_employeegradechange");
    const auto before = db.snapshot();
    // Even with nothing masked, the previews are their owner's alone.
    const NoUmask noUmask;

    ASSERT_EQ(run(false, "preview.csv"), 0);
    const QStringList lines = csvLines("preview.csv");
    const QStringList totals = lines.filter(QRegularExpression("^Total \\("));
    ASSERT_EQ(lines.size(), senior + 1 + totals.size()) << "titles, one per employee, totals";
    EXPECT_TRUE(lines[0].startsWith("Number,Name,Old Job,New Job,Currency,Old Basic,New Basic,"));
    // The demo's seniors are paid in more than one currency: a total of each, none of all.
    EXPECT_GT(totals.size(), 1) << lines.join('\n');
    EXPECT_TRUE(lines.filter(QRegularExpression("^Total,")).isEmpty());
    EXPECT_EQ(db.snapshot(), before);
    ASSERT_EQ(run(false, "preview.pdf"), 0);
    EXPECT_GT(QFile(path("preview.pdf")).size(), 1000);
    for (const char* name : {"preview.csv", "preview.pdf"})
        EXPECT_EQ(fileMode(path(name)), 0600) << name;

    ASSERT_EQ(run(true, "applied.xlsx"), 0);
    EXPECT_EQ(fileMode(path("applied.xlsx")), 0600);
    EXPECT_EQ(count("select count(*) from pay_employeegradechange"), jobChanges + senior);
    EXPECT_EQ(count("select count(*) from pay_employeegradechange where egcDate = '2027-01-01' "
                    "and egcremarks = 'Annual increment 2027' and egcNo like 'JC%'"),
              senior);
    // The first previewed employee's new basic is what the master now holds.
    const QStringList first = lines[1].split(',');
    EXPECT_EQ(db.scalar("select eBasic from pay_employee where eCompanyID = 1 and eempno = '" +
                        first[0] + "'")
                  .toDouble(),
              first[6].toDouble());
    // Everyone now has a job change after the process date: nobody is left to revise.
    EXPECT_EQ(run(true, "again.csv"), 2);
}

TEST_F(HostBulk, AMistakeInTheFileOrRulesStopsTheRunBeforeAnythingIsWritten) {
    const auto before = db.snapshot();
    const auto runFile = [this](const QString& file) { return run(true, "out.csv", file); };
    // A slip in the date, within the process date's day and far after it.
    for (const char* date : {"2026-11-29", "9999-12-31", "2027-12-02"}) {
        settings(QStringLiteral("[change]\ndate = %1\nbasic = +5%\n").arg(date));
        EXPECT_EQ(runFile(path("increment.ini")), 1) << date;
    }
    settings("[change]\ndate = 2027-01-01\nbasic = 5\n");
    EXPECT_EQ(runFile(path("increment.ini")), 1);
    // No settings file is read without end: not a device, not more than a page of text.
    ASSERT_TRUE(
        writeFile(path("large.ini"), "[change]\ndate = 2027-01-01\nbasic = +5%\n" +
                                         QByteArray(int(bulk::kMaxSettingsFileBytes), '#')));
    for (const QString& file : {QString("/dev/zero"), path("large.ini"), dir.path()})
        EXPECT_EQ(runFile(file), 1) << file;
    EXPECT_FALSE(QFile::exists(path("out.csv")));
    EXPECT_EQ(db.snapshot(), before);

    // The last day a batch may take.
    settings("[change]\ndate = 2027-12-01\nbasic = +5%\n");
    EXPECT_EQ(run(false, "out.csv"), 0);
}

// The template filled in by script and imported: unchanged it asks for nothing; a row with an
// error stops the run with nothing saved; corrected, the edited rows are saved on --date.
TEST_F(HostBulk, TheTemplateEditedAndImported) {
    BulkCommand make;
    make.templateFile = path("template.csv");
    ASSERT_EQ(runBulkCommand(make, db.db(), kContext), 0);
    std::vector<QStringList> records = parseCsv(readFile(path("template.csv")));
    ASSERT_GT(records.size(), 10u);
    ASSERT_EQ(records[0].mid(0, 4), QStringList({"Employee No", "Name", "New Job", "New Basic"}));
    const auto write = [&] {
        QByteArray csv;
        for (const QStringList& record : records) {
            QStringList fields;
            for (const QString& field : record)
                fields << '"' + QString(field).replace("\"", "\"\"") + '"';
            csv += fields.join(';').toUtf8() + "\n";
        }
        ASSERT_TRUE(writeFile(path("revision.csv"), csv));
    };
    BulkCommand import;
    import.importFile = path("revision.csv");
    import.outFile = path("preview.csv");
    import.date = QDate(2027, 1, 1);
    import.apply = true;
    write();
    const qint64 jobChanges = count("select count(*) from pay_employeegradechange");
    EXPECT_EQ(runBulkCommand(import, db.db(), kContext), 2) << "nothing to apply";

    records[1][3] = "99999.99";
    records[2][3] = "1O00";
    write();
    const auto before = db.snapshot();
    EXPECT_EQ(runBulkCommand(import, db.db(), kContext), 1);
    EXPECT_EQ(db.snapshot(), before);
    EXPECT_TRUE(csvLines("preview.csv")[2].endsWith(",No,\"row 3, New Basic: \"\"1O00\"\" is not "
                                                    "an amount\""));

    records[2][3] = "1000";
    write();
    EXPECT_EQ(runBulkCommand(import, db.db(), kContext), 0);
    EXPECT_EQ(count("select count(*) from pay_employeegradechange where egcDate = '2027-01-01'"),
              2);
    EXPECT_EQ(count("select count(*) from pay_employeegradechange"), jobChanges + 2);
    EXPECT_EQ(db.scalar("select eBasic from pay_employee where eCompanyID = 1 and eempno = '" +
                        records[1][0] + "'")
                  .toDouble(),
              99999.99);
}

} // namespace
