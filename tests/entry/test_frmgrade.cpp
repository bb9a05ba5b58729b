#include "entry/revisionlistcommands.h"
#include "entryfixture.h"
#include "support/hooks.h"

#include <QAction>
#include <QApplication>

namespace {

class EntryWindow : public ::testing::Test {
protected:
    void SetUp() override {
        form = openNew();
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        form->listCommands->showPopup = [](QMenu&, const QPoint&) {};
    }

    // Right-clicks the row (or below the rows) and returns the menu items enabled.
    QString menuAt(QTreeWidget* list, int row = -1) {
        const QPoint at = row >= 0 ? list->visualItemRect(list->topLevelItem(row)).center()
                                   : QPoint(5, list->viewport()->height() - 5);
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
        return QStringLiteral("%1%2%3")
            .arg(form->listCommands->mnuAdd->isEnabled() ? 'A' : '-')
            .arg(form->listCommands->mnuEdit->isEnabled() ? 'E' : '-')
            .arg(form->listCommands->mnuDelete->isEnabled() ? 'D' : '-');
    }

    // Save is refused with the message and the focus moved (or left on the remarks when focus
    // is null); nothing is written and the window stays open.
    void expectRefused(const QString& message, QWidget* focus) {
        const QMap<QString, QStringList> before = db.snapshot();
        messages.clear();
        form->txtRemarks->setFocus();
        form->cmdOK->click();
        ASSERT_EQ(messages.texts(), QStringList{message});
        EXPECT_TRUE((focus ? focus : form->txtRemarks)->hasFocus()) << message;
        EXPECT_EQ(db.snapshot(), before);
        EXPECT_TRUE(form->isVisible());
    }

    TestDatabase db;
    EntryData data{db};
    ScriptedMessages messages;
    std::unique_ptr<frmGrade> form;
};

TEST_F(EntryWindow, OffersActiveEmployeesByNameWithoutAJobChangeAfterTheProcessDate) {
    db.insert("pemployee", {"1, 5, 'E005', 'Aaron', 1, 1, 100, 1, 1"});
    data.jobChange(1, "JC1", "2003-02-14", 1);       // Asha's on the process date
    data.jobChange(2, "JC2", "2003-02-15", 2);       // Bruno's the day after
    data.jobChange(3, "JC3", "2003-02-20", 4, true); // Dina's later, but cancelled
    form = openNew();                                // Chen is inactive
    EXPECT_EQ(comboTexts(form->cboEmployee), QStringList({"Aaron", "Asha", "Dina"}));
    EXPECT_EQ(form->cboEmployee->currentIndex(), -1);
}

TEST_F(EntryWindow, PickingAnEmployeeShowsHisOldJobBasicCurrencyAndOnlyHisLines) {
    pick(*form, "Asha");
    EXPECT_EQ(form->cboOldGrade->currentText() + "|" + form->txtOldBasic->text(),
              "Junior - Clerk|20000.00");
    EXPECT_FALSE(form->cboOldGrade->isEnabled());
    EXPECT_EQ(form->lblOldBasic->text() + form->lblNewBasic->text(),
              "Old Basic:(Rs)New Basic:(Rs)");
    EXPECT_EQ(form->lvwAllow->topLevelItemCount(), 2);

    pick(*form, "Bruno");
    EXPECT_EQ(form->cboOldGrade->currentText(), "Senior - Officer");
    EXPECT_EQ(form->lblOldBasic->text() + form->lblNewBasic->text(), "Old Basic:($)New Basic:($)");
    // Each line in its type's currency.
    EXPECT_EQ(rows(form->lvwAllow), QStringList({"1|Medical|300.00|3|O|300.00|US Dollar|checked"}));
    EXPECT_EQ(rows(form->lvwDeduct), QStringList({"1|Income Tax|100.00|2|O|100.00|Rupee|checked"}));

    // On an inactive designation the old job stays unselected and open.
    pick(*form, "Dina");
    EXPECT_EQ(form->cboOldGrade->currentIndex(), -1);
    EXPECT_TRUE(form->cboOldGrade->isEnabled());
    EXPECT_EQ(form->lvwAllow->topLevelItemCount() + form->lvwDeduct->topLevelItemCount(), 0);
}

TEST_F(EntryWindow, TheMenuFollowsTheRowAndDeleteRemovesOnlyAddedLinesAfterTheQuestion) {
    pick(*form, "Dina");
    EXPECT_EQ(menuAt(form->lvwDeduct), "A--") << "empty list";
    addRevisionRow(form->lvwDeduct, "Income Tax", "10.00", "2", "N", "0.00", "Rupee", true);
    EXPECT_EQ(menuAt(form->lvwDeduct, 0), "AED") << "added row";
    messages.answer(ui::MsgAnswer::Yes);
    form->listCommands->mnuDelete->trigger();
    EXPECT_EQ(form->lvwDeduct->topLevelItemCount(), 0) << "the only row";
    EXPECT_EQ(menuAt(form->lvwDeduct), "A--");

    pick(*form, "Asha");
    QTreeWidget* list = form->lvwAllow;
    EXPECT_EQ(menuAt(list, 0), "AE-") << "carried-over row";
    addRevisionRow(list, "Medical", "10.00", "3", "N", "0.00", "US Dollar", true);
    addRevisionRow(list, "Bonus", "10.00", "4", "N", "0.00", "Rupee", true);
    messages.clear();
    list->setCurrentItem(list->topLevelItem(2));
    messages.answer(ui::MsgAnswer::No);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(messages.texts(), QStringList({"Are you sure you want to delete \rMedical?"}));
    EXPECT_EQ(list->topLevelItemCount(), 4);
    messages.answer(ui::MsgAnswer::Yes);
    QTest::keyClick(list, Qt::Key_Delete);
    // The rows numbered again from 1 (which rows() checks).
    ASSERT_EQ(rows(list).size(), 3);
    EXPECT_EQ(list->topLevelItem(2)->text(revcol::Description), "Bonus");
}

TEST_F(EntryWindow, SaveChecksComeInOrderWithTheirMessagesAndFocus) {
    expectRefused("Select employee", form->cboEmployee);
    pick(*form, "Asha");
    expectRefused("Select new grade", form->cboNewgrade);
    form->cboNewgrade->setCurrentIndex(form->cboNewgrade->findData(2));
    form->txtNewbasic->setText("0.00");
    expectRefused("enter new basic", form->txtNewbasic);
    form->txtNewbasic->setText("12abc");
    expectRefused("New Basic: \"12abc\" is not an amount; enter an amount greater than 0.00 and "
                  "up to 999,999,999,999.99 with at most two decimals",
                  form->txtNewbasic);
    form->txtNewbasic->setText(QStringLiteral("27,500.00"));
    EXPECT_TRUE(form->fnValidate()) << "on the process date";
    form->dtpGDate->setDate(QDate(2003, 2, 13));
    expectRefused("Grade Change Date Less than Current Date", form->dtpGDate);
    form->dtpGDate->setDate(QDate(2003, 3, 1));

    // Unchecked carried-over lines are allowed, unchecked added ones are not.
    form->lvwAllow->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form->lvwDeduct->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(form->fnValidate());
    addRevisionRow(form->lvwAllow, "Medical", "5.00", "3", "N", "0.00", "US Dollar", false);
    addRevisionRow(form->lvwDeduct, "Income Tax", "5.00", "2", "N", "0.00", "Rupee", false);
    expectRefused("New Allowances is not checked either check or delete", nullptr);
    rowOf(form->lvwAllow, "Medical")->setCheckState(0, Qt::Checked);
    expectRefused("New Dedcution is not checked either check or delete", nullptr);
    rowOf(form->lvwDeduct, "Income Tax")->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(form->fnValidate());

    // Without an old job nothing is written, nor a transaction begun.
    pick(*form, "Dina");
    form->cboNewgrade->setCurrentIndex(form->cboNewgrade->findData(2));
    int writes = 0;
    hookWrites(db.db(), [&](const QString&) { ++writes; });
    expectRefused("Select old grade", form->cboOldGrade);
    EXPECT_EQ(writes, 0);
    EXPECT_FALSE(db.db().inTransaction());
}

} // namespace
