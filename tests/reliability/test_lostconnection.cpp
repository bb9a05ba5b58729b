// The database connection broken under the program (PostgreSQL: the server ends the session;
// SQLite: the connection closed under it) while a clerk works: the write in progress saves
// nothing and says so plainly, and the next action opens the connection again.

#include "entry/entryfixture.h"
#include "jobchange/bulkreads.h"
#include "jobchange/servicefixture.h"
#include "jobchange/writer.h"

namespace {

const QString kLost =
    "The connection to the database was lost; nothing was saved. Press Ok to try again.";
const QString kLostInCommit =
    "The connection to the database was lost while saving; the job change may or may not have "
    "been saved. The register shows what the database holds.";

class LostConnection : public RegisterDriven {
protected:
    // Breaks the connection before the next statement the test names ("commit", or the first
    // write when none is named).
    void dropAt(const QString& statement = {}) {
        db.db().setStatementHook([this, statement](const QString& sql) {
            if (statement.isEmpty() ? data::isWriteStatement(sql) : sql == statement) {
                LostConnection* self = this; // the hook, and what it holds, goes next
                self->db.db().setStatementHook({});
                self->db.dropConnection(self->db.db());
            }
        });
    }
    // Ok shows the message and leaves every table as it was; the window stays open.
    void expectOkTold(frmGrade& form, const QString& message) {
        const auto before = TestDatabase::snapshotOf(*watcher);
        messages.clear();
        form.cmdOK->click();
        EXPECT_EQ(messages.texts(), QStringList{message});
        EXPECT_NE(form.result(), QDialog::Accepted);
        EXPECT_EQ(TestDatabase::snapshotOf(*watcher), before);
    }

    // Reads the database past the connection under test.
    data::ConnectionPtr watcher = db.another();
};

TEST_F(LostConnection, OkIsToldNothingWasSavedAndTheNextOkSaves) {
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        db.dropConnection(db.db());
        expectOkTold(form, kLost);
        dropAt();
        expectOkTold(form, kLost);
        // Cut off in COMMIT: nothing landed here, and the register shows no row for it.
        dropAt("commit");
        expectOkTold(form, kLostInCommit);
        EXPECT_EQ(gridRow(*master->flexMaster, 1, "JC1"), master->flexMaster->rows());
        messages.clear();
        form.cmdOK->click();
        EXPECT_EQ(messages.texts(), QStringList{});
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    // The register goes on with the connection opened again.
    EXPECT_LT(gridRow(*master->flexMaster, 1, "JC1"), master->flexMaster->rows());
    EXPECT_EQ(db.rows("select egcNo, egcNewBasic from pay_employeegradechange", {1}),
              QStringList{"JC1|1500.50"});
}

// A connection whose holder does not let it be opened again stays lost, and says what to do.
TEST_F(LostConnection, AConnectionThatMayNotBeReopenedAsksForTheRegisterAgain) {
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        db.db().setReopener({});
        db.dropConnection(db.db());
        const QString reopen = "Nothing was saved. The connection to the database was lost, and "
                               "this program cannot open it again by itself: close the register "
                               "and open it again.";
        expectOkTold(form, kLost);
        expectOkTold(form, reopen);
        expectOkTold(form, reopen);
    });
}

TEST_F(LostConnection, ABulkApplySavesNothingAndTheNextApplySavesAll) {
    const jobchange::BulkReads bulkReads(master->workspace());
    const jobchange::JobChangeWriter writer(master->workspace());
    bulk::Rules rules;
    rules.date = QDate(2003, 3, 1);
    rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
    ASSERT_EQ(bulkReads.prepareRules(rules), "");
    const std::vector<bulk::PreviewRow> rows =
        bulk::computePreview(bulkReads.eligibleEmployees(), rules);
    const auto before = TestDatabase::snapshotOf(*watcher);
    for (const QString& at : {QString(), QStringLiteral("commit")}) {
        dropAt(at);
        const jobchange::BatchResult lost = writer.apply(rows, rules);
        EXPECT_EQ(lost.outcome, jobchange::BatchResult::Outcome::Failed);
        EXPECT_EQ(lost.outcomeUnknown, !at.isEmpty());
        EXPECT_TRUE(lost.error.startsWith("The connection to the database was lost")) << lost.error;
        EXPECT_EQ(TestDatabase::snapshotOf(*watcher), before);
    }
    const jobchange::BatchResult applied = writer.apply(rows, rules);
    EXPECT_EQ(applied.outcome, jobchange::BatchResult::Outcome::Applied) << applied.error;
    EXPECT_EQ(applied.saved.size(), 3u);
}

} // namespace
