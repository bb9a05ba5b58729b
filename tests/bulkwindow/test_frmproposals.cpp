// A bulk batch that needs a second user, from the register as two clerks would: one proposes it
// in the bulk window, the other, who may only approve, reviews and approves it.

#include "bulkwindow/frmbulk.h"
#include "bulkwindow/frmproposals.h"
#include "entry/entryfixture.h"

namespace {

const QDate kProcessDate(2003, 2, 14);

class ProposalsWindow : public RegisterDriven {
protected:
    void SetUp() override {
        db.insert("pusers", {"1, 2, 'Clerk Two'", "1, 5, 'Checker'"});
        db.insert("puserrights", {"2, 91004, 'NE'", "5, 91004, 'A'"});
        ASSERT_TRUE(jobchange::JobChangeWriter(contextWorkspace()).setApprovalRequired(true).ok);
    }

    void signInAs(qint16 user) {
        useContext(db, 1, user, kProcessDate);
        reloadRegister();
    }

    static QStringList rowTexts(const QTreeWidget* list) {
        return childTexts(list->invisibleRootItem());
    }
};

TEST_F(ProposalsWindow, OneClerkProposesAnotherReviewsUnticksAChangedEmployeeAndApproves) {
    signInAs(2);
    modal.thenOn<FrmBulk>([&](FrmBulk& form) {
        EXPECT_EQ(form.cmdApply->text(), "&Propose...");
        EXPECT_EQ(form.cmdProposals->text(), "Pr&oposals...");
        form.cboBasic->setCurrentIndex(1); // plus a percent
        form.txtBasic->setText("10");
        form.cmdPreview->click();
        ASSERT_TRUE(form.cmdApply->isEnabled());
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdApply->click();
        EXPECT_EQ(messages.texts().value(0),
                  "Propose 3 job changes dated 14 Feb 2003 for another user to approve?");
        EXPECT_EQ(messages.texts().value(1),
                  "Proposed batch 1: 3 job changes wait for another user's approval.");
        EXPECT_FALSE(form.cmdApply->isEnabled());
        EXPECT_EQ(form.cmdProposals->text(), "Pr&oposals (1)...");
        // The proposer sees the batch but may not decide it.
        modal.thenOn<FrmProposals>([&](FrmProposals& proposals) {
            EXPECT_EQ(rowTexts(proposals.lvwBatches).value(0).section('|', 0, 4),
                      "1|pending|14 Feb 2003|3|Clerk Two");
            EXPECT_FALSE(proposals.cmdApprove->isEnabled());
            EXPECT_FALSE(proposals.cmdReject->isEnabled());
        });
        form.cmdProposals->click();
    });
    master->cmdBulk->click();
    EXPECT_EQ(master->cmdBulk->text(), "&Bulk (1)");

    // Dina's basic changes before the checker looks.
    db.exec("update pay_employee set eBasic = 15500 where eEmpID = 4");
    signInAs(5);
    EXPECT_FALSE(master->cmdnew->isEnabled());
    EXPECT_TRUE(master->cmdBulk->isEnabled());
    EXPECT_EQ(master->cmdBulk->text(), "&Bulk (1)");
    messages.shown.clear();
    modal.thenOn<FrmProposals>([&](FrmProposals& form) {
        EXPECT_EQ(rowTexts(form.lvwRows),
                  QStringList({"E001|Asha|Junior - Clerk|Junior - Clerk|20000.00|22000.00||No|",
                               "E002|Bruno|Senior - Officer|Senior - Officer|3000.00|3300.00||No|",
                               "E004|Dina|Junior - Typist|Junior - Typist|15000.00|16500.00|"
                               "basic 15000.00 now 15500.00|No|"}));
        EXPECT_TRUE(
            form.lblBatch->text().contains("Employees changed since the proposal: 1, marked."));
        EXPECT_FALSE(form.cmdReject->isEnabled()) << "no reason yet";
        ASSERT_TRUE(form.cmdApprove->isEnabled());
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdApprove->click();
        EXPECT_EQ(messages.texts().value(1),
                  "Nothing was saved: since the proposal, another clerk changed these "
                  "employees:\nE004 Dina\n\nUntick them to approve the others.");
        EXPECT_EQ(db.scalar("select count(*) from pay_employeegradechange").toInt(), 0);

        form.lvwRows->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdApprove->click();
        EXPECT_EQ(messages.texts().value(2),
                  "Approve batch 1: save 2 job changes dated 14 Feb 2003?");
        EXPECT_EQ(messages.texts().value(3), "Batch 1 approved: saved 2 job changes, JC1 to JC2.");
        // The decided batch stays readable: who, when, which rows.
        EXPECT_EQ(rowTexts(form.lvwBatches).value(0).section('|', 0, 1), "1|approved");
        EXPECT_EQ(rowTexts(form.lvwBatches).value(0).section('|', 6, 6), "Checker");
        EXPECT_EQ(rowTexts(form.lvwRows).value(0).section('|', 7, 8), "Yes|JC1");
        EXPECT_EQ(rowTexts(form.lvwRows).value(2).section('|', 7, 8), "No|");
        EXPECT_FALSE(form.cmdApprove->isEnabled());
        EXPECT_FALSE(form.cmdReject->isEnabled());
    });
    master->cmdBulk->click();
    EXPECT_EQ(modal.shown.last(), "frmProposals");
    EXPECT_EQ(gridColumn(*master->flexMaster, 1), QStringList({"JC1", "JC2"}));
    EXPECT_EQ(master->cmdBulk->text(), "&Bulk");
}

} // namespace
