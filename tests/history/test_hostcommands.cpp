#include "app/hostrun.h"
#include "support/check.h"
#include "support/testdb.h"

#include <QFile>

namespace {

// quorvel-host on the test database (SQLite, ODBC or PostgreSQL) with these options.
class HostCommands : public ::testing::Test {
protected:
    HostCommands() { db.loadDemo(); }

    HostRun host(const QStringList& options) const {
        return runHost(db.hostArguments() + options, dir.path());
    }

    QTemporaryDir dir;
    TestDatabase db;
};

TEST_F(HostCommands, CheckHistoryPassesOnTheDemoAndNamesAnEmployeeChangedByHand) {
    const HostRun clean = host({"--check-history"});
    EXPECT_EQ(clean.exitCode, 0) << clean.output << clean.errors;

    db.exec("update pay_employee set eBasic = eBasic + 0.01 where eCompanyID = 1 and eEmpID = 12");
    const HostRun run = host({"--check-history"});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.output.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << run.output;
    EXPECT_TRUE(lines[0].startsWith("E0012 Folake Boateng (employee 12): basic 1840.01, history "
                                    "1840.00"))
        << lines[0];
    EXPECT_TRUE(lines[1].startsWith("1 of ")) << lines[1];

    // A name with an escape sequence, a carriage return and a right-to-left override cannot
    // clear the line, fake one or turn text around: each is shown escaped.
    db.db().execute("update pay_employee set eName = ? where eCompanyID = 1 and eEmpID = 12",
                    {QString::fromUtf8("Folake\x1b[2K\rE0013 ok \u202eBoateng\x7f\u0085")});
    const HostRun escaped = host({"--check-history"});
    EXPECT_TRUE(escaped.output.startsWith(
        "E0012 Folake\\x1b[2K\\rE0013 ok \\u202eBoateng\\x7f\\u0085 (employee 12): basic"))
        << escaped.output;
    EXPECT_EQ(escaped.output.trimmed().count('\n'), 1);
    for (const QChar raw : {QChar(0x1b), QChar('\r'), QChar(0x202e), QChar(0x7f), QChar(0x85)})
        EXPECT_FALSE(escaped.output.contains(raw)) << int(raw.unicode());
}

TEST_F(HostCommands, ExportHistoryWritesTheEmployeesReportAndRefusesAnUnknownNumber) {
    const QString pdf = dir.filePath("E0012.pdf");
    const HostRun written = host({"--export-history", "E0012", "--out", pdf});
    ASSERT_EQ(written.exitCode, 0) << written.errors;
    ASSERT_GT(QFile(pdf).size(), 1000);

    for (const QString& number : {QString("E9999"), QString("E0012' or '1'='1")}) {
        const QString none = dir.filePath("none.pdf");
        const HostRun refused = host({"--export-history", number, "--out", none});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.errors.contains("no employee numbered")) << refused.errors;
        EXPECT_FALSE(QFile::exists(none));
    }
    EXPECT_EQ(host({"--export-history", "E0012"}).exitCode, 2); // no --out
    EXPECT_EQ(host({"--check-history", "--out", pdf}).exitCode, 2);
}

} // namespace
