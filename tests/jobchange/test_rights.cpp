// The user's rights, read by every write inside its transaction for the module's own interface:
// a write the user has no letter for is refused and writes nothing, whatever the windows' buttons.

#include "bulkcommands.h"
#include "jobchange/bulkreads.h"
#include "jobchange/servicefixture.h"

#include <QFile>

namespace {

class Rights : public ServiceTest {
protected:
    Rights() {
        // Rights for the module's interface only; the writers below are handed another one.
        db.insert("puserrights",
                  {"5, 91004, ' e '", "7, 91004, 'ADMIN'", "8, 91004, 'nEd'", "6, 12, 'NED'"});
        db.insert("pPrefix", {"1, 12, 'JC'"}); // that interface numbers as the module's does
        EXPECT_TRUE(writer.saveNew(ashaPromoted()).ok); // JC1, Asha's latest
    }

    jobchange::WorkspacePtr as(qint16 user) const {
        return jobchange::Workspace::open(db.connection(), 1, user, 12, QDate(2003, 2, 14),
                                          "Payroll");
    }

    // What each write of the user does: "ok" or its refusal; a refusal leaves every table as it
    // was.
    QStringList writes(qint16 user) {
        const jobchange::JobChangeWriter theirs(as(user));
        QStringList said;
        const auto tried = [&](const jobchange::WriteResult& result) {
            said << (result.ok ? QStringLiteral("ok") : result.error);
        };
        const auto before = db.snapshot();
        jobchange::JobChangeDraft bruno = ashaPromoted();
        bruno.employeeId = 2;
        bruno.oldDesignationId = 2;
        bruno.oldBasic = money("3000");
        bruno.linesOf(LineKind::Allowance) = {line(3, 'O', 300, 310)};
        bruno.linesOf(LineKind::Deduction) = {line(2, 'O', 100, 100)};
        tried(theirs.saveNew(bruno));
        jobchange::JobChangeDraft edited = ashaPromoted();
        edited.remarks = "Edited by " + QString::number(user);
        tried(theirs.saveEdit(1, edited));
        tried(theirs.cancel(1, "withdrawn"));
        if (!said.contains("ok")) {
            EXPECT_EQ(db.snapshot(), before);
        }
        return said;
    }
};

TEST_F(Rights, EachWriteNeedsItsLetterAndAUserWithoutARowMayOnlyCreate) {
    EXPECT_EQ(writes(5), QStringList({"User 5 has no right to create job changes (N)", "ok",
                                      "User 5 has no right to cancel job changes (D)"}));
    EXPECT_EQ(writes(7), QStringList({"User 7 has no right to create job changes (N)",
                                      "User 7 has no right to edit job changes (E)",
                                      "User 7 has no right to cancel job changes (D)"}));
    // Rights for another interface count for nothing here.
    EXPECT_EQ(writes(6), QStringList({"ok", "User 6 has no right to edit job changes (E)",
                                      "User 6 has no right to cancel job changes (D)"}));
    // Letters in any case. (Bruno's draft is stale by now: user 6 moved him.)
    EXPECT_EQ(writes(8), QStringList({jobchange::kEmployeeChangedMessage, "ok", "ok"}));
    EXPECT_TRUE(messages.shown.empty());
}

// The bulk apply checks the right under its lock, and the headless command before anything else:
// no preview file, nothing saved, the reason on stderr and exit status 1.
TEST_F(Rights, ABulkApplyWithoutTheCreateRightSavesNothing) {
    bulk::Rules rules;
    rules.date = QDate(2003, 3, 1);
    rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
    const jobchange::BulkReads theirs(as(5));
    ASSERT_EQ(theirs.prepareRules(rules), "");
    const auto before = db.snapshot();
    const jobchange::BatchResult result = jobchange::JobChangeWriter(as(5)).apply(
        bulk::computePreview(theirs.eligibleEmployees(), rules), rules);
    EXPECT_EQ(result.outcome, jobchange::BatchResult::Outcome::Forbidden);
    EXPECT_EQ(result.error, "User 5 has no right to create job changes (N)");

    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("raise.ini"), "[change]\ndate = 2003-03-01\nbasic = +5%\n"));
    const QString out = dir.filePath("preview.csv");
    EXPECT_EQ(runBulkCommand({dir.filePath("raise.ini"), true, out}, db.db(),
                             {1, 5, 12, QDate(2003, 2, 14)}),
              1);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(db.snapshot(), before);
    // The same command as a user who may create: saved.
    EXPECT_EQ(runBulkCommand({dir.filePath("raise.ini"), true, out}, db.db(),
                             {1, 8, 12, QDate(2003, 2, 14)}),
              0);
    EXPECT_NE(db.snapshot(), before);
}

} // namespace
