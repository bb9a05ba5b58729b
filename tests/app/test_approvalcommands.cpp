// The approval commands as quorvel-host runs them on the demo data: the schema upgrade, the
// setting, a proposal, its rejection, and two approvers at once, one of whom wins.

#include "app/hostrun.h"
#include "support/check.h"
#include "support/testdb.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

class ApprovalCommands : public ::testing::Test {
protected:
    ApprovalCommands() {
        db.loadDemo();
        EXPECT_TRUE(writeFile(dir.filePath("raise.ini"),
                              "[employees]\ngrade = 1\n[change]\ndate = 2026-12-31\n"
                              "remarks = Year-end\nbasic = +5%\nrounding = 1\n"));
    }
    QStringList as(qint16 user, const QStringList& arguments) const {
        return db.hostArguments() +
               QStringList{"--process-date", "2026-12-07", "--user", QString::number(user)} +
               arguments;
    }
    HostRun host(qint16 user, const QStringList& arguments) const {
        return runHost(as(user, arguments), dir.path());
    }
    // The commands started at once, each as its user; their exit status, output and errors,
    // sorted.
    QStringList atOnce(const std::vector<std::pair<qint16, QStringList>>& runs) const {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (const auto& [user, arguments] : runs) {
            processes.push_back(std::make_unique<QProcess>());
            startHost(*processes.back(), as(user, arguments), dir.path());
        }
        QStringList outcomes;
        for (auto& process : processes) {
            EXPECT_TRUE(process->waitForFinished(120000));
            outcomes << QStringLiteral("%1 %2%3")
                            .arg(process->exitCode())
                            .arg(QString::fromUtf8(process->readAllStandardOutput()).trimmed(),
                                 QString::fromUtf8(process->readAllStandardError()).trimmed());
        }
        outcomes.sort();
        return outcomes;
    }
    int jobChanges() const {
        return db.scalar("select count(*) from pay_employeegradechange").toInt();
    }

    TestDatabase db;
    QTemporaryDir dir;
};

// A database made before the approval tables: the module works on as before, and the upgrade
// adds them once; run again it changes nothing.
TEST_F(ApprovalCommands, TheUpgradeAddsTheTablesOnceAndADatabaseWithoutThemWorksOn) {
    for (const char* table :
         {"pay_bulkbatchlines", "pay_bulkbatchrows", "pay_bulkbatch", "pay_jobchangesettings"})
        db.exec(QStringLiteral("drop table ") + table);
    db.exec("delete from linktable where tablename in ('pBulkBatch', 'pBulkBatchRows', "
            "'pBulkBatchLines', 'pJobChangeSettings')");
    const HostRun proposed = host(2, {"--bulk", dir.filePath("raise.ini"), "--propose"});
    EXPECT_EQ(proposed.exitCode, 1);
    EXPECT_TRUE(proposed.errors.contains("run quorvel-host --upgrade-schema")) << proposed.errors;

    const HostRun upgraded = host(1, {"--upgrade-schema"});
    ASSERT_EQ(upgraded.exitCode, 0) << upgraded.errors;
    const auto once = db.snapshot();
    EXPECT_EQ(host(1, {"--upgrade-schema"}).exitCode, 0);
    EXPECT_EQ(db.snapshot(), once);
    EXPECT_EQ(db.rows("select count(*) from linktable where linktablename like 'pay_bulk%'"),
              QStringList{"3"});
    EXPECT_EQ(host(1, {"--proposals"}).output.trimmed(), "No bulk batches.");
}

// Approval on: the direct apply is refused, a proposal writes no job change, a rejection keeps
// its reason, and of two approvers at once one saves the batch and the other is told who did.
TEST_F(ApprovalCommands, ProposeRejectProposeAndTwoApproversAtOnce) {
    ASSERT_EQ(host(1, {"--set-approval", "on"}).exitCode, 0);
    const HostRun direct =
        host(2, {"--bulk", dir.filePath("raise.ini"), "--apply", "--out", dir.filePath("p.csv")});
    EXPECT_EQ(direct.exitCode, 1);
    EXPECT_TRUE(direct.errors.contains("This company's bulk batches need approval"));
    EXPECT_FALSE(QFile::exists(dir.filePath("p.csv")));
    const int before = jobChanges();

    const HostRun first = host(2, {"--bulk", dir.filePath("raise.ini"), "--propose"});
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_TRUE(first.output.contains("Proposed batch 1: 49 employees")) << first.output;
    EXPECT_EQ(jobChanges(), before);
    const HostRun rejected = host(5, {"--reject", "1", "--reason", "Wait for January"});
    ASSERT_EQ(rejected.exitCode, 0) << rejected.errors;
    // Two proposals of the same employees at once: one is stored, the other names it.
    const QStringList proposals = atOnce({{2, {"--bulk", dir.filePath("raise.ini"), "--propose"}},
                                          {2, {"--bulk", dir.filePath("raise.ini"), "--propose"}}});
    ASSERT_EQ(proposals.size(), 2);
    EXPECT_TRUE(proposals[0].contains("Proposed batch 2: 49 employees")) << proposals[0];
    EXPECT_TRUE(proposals[1].contains("is already in pending batch 2: approve or reject that "
                                      "batch first."))
        << proposals[1];
    EXPECT_EQ(host(2, {"--approve", "2"}).errors.trimmed(),
              "quorvel-host: User 2 has no right to approve bulk batches (A)");

    // Both approvers started at once.
    QStringList outcomes = atOnce({{1, {"--approve", "2"}}, {5, {"--approve", "2"}}});
    ASSERT_EQ(outcomes.size(), 2);
    EXPECT_TRUE(outcomes[0].startsWith("0 Batch 2 approved: saved 49 job changes")) << outcomes[0];
    EXPECT_TRUE(outcomes[1].contains(QRegularExpression(
        "^1 quorvel-host: Batch 2 was already approved by (Administrator|Checker)$")))
        << outcomes[1];
    EXPECT_EQ(jobChanges(), before + 49);

    const QStringList listed = host(1, {"--proposals"}).output.trimmed().split('\n');
    ASSERT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed[0].startsWith("Batch 2: approved, 49 employees dated 31 Dec 2026, "
                                     "proposed by Clerk Two"))
        << listed[0];
    EXPECT_TRUE(listed[1].contains(", rejected by Checker on ")) << listed[1];
    EXPECT_TRUE(listed[1].contains("(Wait for January)")) << listed[1];
}

// An approver killed at any moment leaves the batch whole: approved with every job change, or
// pending with none.
TEST_F(ApprovalCommands, AnApproverKilledMidwayLeavesTheBatchApprovedWholeOrPending) {
    ASSERT_TRUE(writeFile(dir.filePath("all.ini"), "[change]\ndate = 2026-12-31\nbasic = +1%\n"));
    ASSERT_EQ(host(1, {"--set-approval", "on"}).exitCode, 0);
    const HostRun proposed = host(2, {"--bulk", dir.filePath("all.ini"), "--propose"});
    ASSERT_EQ(proposed.exitCode, 0) << proposed.errors;
    const int rows = db.scalar("select bbRows from pay_bulkbatch where bbBatchID = 1").toInt();
    ASSERT_GT(rows, 200);
    const int before = jobChanges();
    const auto employees = [&] { return db.rows("select eEmpID, eBasic from pay_employee"); };
    const QStringList untouched = employees();
    bool approved = false;
    for (int delay = 10; delay < 20000 && !approved; delay = delay * 3 / 2 + 5) {
        SCOPED_TRACE(delay);
        QProcess approver;
        startHost(approver, as(5, {"--approve", "1"}), dir.path());
        ASSERT_TRUE(approver.waitForStarted());
        approver.waitForFinished(delay);
        approver.kill();
        approver.waitForFinished();
        const QString status = db.scalar("select bbStatus from pay_bulkbatch where bbBatchID = 1")
                                   .toString()
                                   .trimmed();
        const int applied =
            db.scalar("select count(*) from pay_bulkbatchrows where bbrApplied = 1").toInt();
        approved = status == "A";
        EXPECT_EQ(jobChanges() - before, approved ? rows : 0);
        EXPECT_EQ(applied, approved ? rows : 0);
        if (!approved) {
            EXPECT_EQ(status, "P");
            EXPECT_EQ(employees(), untouched);
        }
    }
    EXPECT_TRUE(approved) << "the approval never finished";
}

} // namespace
