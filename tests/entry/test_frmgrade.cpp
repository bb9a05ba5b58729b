#include "entry/frmgrade.h"
#include "entryfixture.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class EntryLoad : public ::testing::Test {
protected:
    TestDatabase db;
    EntryData data{db};
    ScriptedMessages messages;
};

TEST_F(EntryLoad, OffersActiveEmployeesWithoutAnUncancelledJobChangeAfterTheProcessDate) {
    data.insert("pemployee",
                "eCompanyID, eEmpID, eempno, eName, eDesigID, eGradeID, eBasic, ecurrencyid, "
                "eActive",
                {"1, 5, 'E005', 'Eve', 1, 1, 100, 1, 1", "1, 6, 'E006', 'Finn', 1, 1, 100, 1, 1",
                 "1, 7, 'E007', 'Gus', 1, 1, 100, 1, 1", "2, 8, 'E008', 'Other', 1, 1, 100, 1, 1"});
    data.jobChange(1, "JC1", "2003-02-14", 5);        // on the process date
    data.jobChange(2, "JC2", "2003-02-15", 6);        // the day after
    data.jobChange(3, "JC3", "2003-02-20", 7, true);  // later, but cancelled
    data.jobChange(4, "JC4", "2003-01-10", 6, false); // earlier ones never matter

    auto form = openNew();
    QStringList offered = entries(form->cboEmployee);
    offered.sort();
    EXPECT_EQ(offered, QStringList({"Asha", "Bruno", "Dina", "Eve", "Gus"}));
    EXPECT_EQ(form->cboEmployee->currentIndex(), -1);
    EXPECT_EQ(form->dtpGDate->date(), EntryData::kProcessDate);
    EXPECT_EQ(form->txtGradeNo->text(), "");
    EXPECT_EQ(form->cboOldGrade->count(), 0);
    EXPECT_EQ(form->SSTab1->currentIndex(), 0);
}

TEST_F(EntryLoad, PickingAnEmployeeShowsTheOldJobBasicCurrencyAndStandingLines) {
    auto form = openNew();
    pick(*form, "Asha");
    EXPECT_EQ(form->cboOldGrade->currentText(), "Junior - Clerk");
    EXPECT_EQ(form->cboOldGrade->currentData().toInt(), 1);
    EXPECT_FALSE(form->cboOldGrade->isEnabled());
    EXPECT_EQ(form->txtOldBasic->text(), "20000");
    EXPECT_EQ(form->lblOldBasic->text(), "Old Basic:(Rs)");
    EXPECT_EQ(form->lblNewBasic->text(), "New Basic:(Rs)");
    EXPECT_EQ(entries(form->cboNewgrade), QStringList({"Junior - Clerk", "Senior - Officer"}));
    EXPECT_EQ(form->cboNewgrade->currentIndex(), -1);

    EXPECT_EQ(unordered(form->lvwAllow), QStringList({"Conveyance|800.00|2|O|800.00||checked",
                                                      "House Rent|5000.00|1|O|5000.00||checked"}));
    EXPECT_EQ(rows(form->lvwDeduct),
              QStringList({"1|Provident Fund|1200.00|1|O|1200.00||checked"}));
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(EntryLoad, PickingAnotherEmployeeReplacesEverythingAndNumbersFromOne) {
    auto form = openNew();
    pick(*form, "Asha");
    pick(*form, "Bruno");
    EXPECT_EQ(form->cboOldGrade->currentText(), "Senior - Officer");
    EXPECT_EQ(form->txtOldBasic->text(), "3000");
    EXPECT_EQ(form->lblOldBasic->text(), "Old Basic:($)");
    EXPECT_EQ(form->lblNewBasic->text(), "New Basic:($)");
    EXPECT_EQ(rows(form->lvwAllow), QStringList({"1|Medical|300.00|3|O|300.00||checked"}));
    EXPECT_EQ(rows(form->lvwDeduct), QStringList({"1|Income Tax|100.00|2|O|100.00||checked"}));
}

TEST_F(EntryLoad, AnEmployeeOnAnInactiveDesignationLeavesTheOldJobOpen) {
    auto form = openNew();
    pick(*form, "Dina");
    EXPECT_EQ(form->cboOldGrade->currentIndex(), -1);
    EXPECT_TRUE(form->cboOldGrade->isEnabled());
    EXPECT_EQ(form->txtOldBasic->text(), "15000");
    EXPECT_EQ(form->lvwAllow->topLevelItemCount(), 0);
    EXPECT_EQ(form->lvwDeduct->topLevelItemCount(), 0);

    // Also after another employee's pick had locked it.
    auto second = openNew();
    pick(*second, "Asha");
    pick(*second, "Dina");
    EXPECT_EQ(second->cboOldGrade->currentIndex(), -1);
    EXPECT_TRUE(second->cboOldGrade->isEnabled());
}

TEST_F(EntryLoad, AFailingStatementDuringSelectionIsShownNotRaised) {
    auto form = openNew();
    db.exec("drop table pay_empdeductions");
    pick(*form, "Asha");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Payroll");
    EXPECT_EQ(form->lvwAllow->topLevelItemCount(), 2) << "allowances were filled before";
}

class EntryKeys : public EntryLoad {
protected:
    void SetUp() override {
        form = openNew();
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    std::unique_ptr<frmGrade> form;
};

TEST_F(EntryKeys, EnterInAHeaderFieldMovesToTheNextField) {
    const QList<QWidget*> order{form->dtpGDate,    form->cboEmployee, form->cboOldGrade,
                                form->cboNewgrade, form->txtOldBasic, form->txtNewbasic,
                                form->txtRemarks};
    order.first()->setFocus();
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        ASSERT_TRUE(order[i]->hasFocus()) << order[i]->objectName().toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    EXPECT_TRUE(form->txtRemarks->hasFocus());
    QTest::keyClick(form->txtRemarks, Qt::Key_Return);
    EXPECT_FALSE(form->txtRemarks->hasFocus());
    EXPECT_TRUE(form->isVisible()) << "Enter never presses a button";
}

TEST_F(EntryKeys, BasicPayTakesOnlyNumbersWithTwoDecimalsAndNewBasicSelectsOnFocus) {
    form->txtOldBasic->setFocus();
    QTest::keyClicks(form->txtOldBasic, "12a.3x45");
    EXPECT_EQ(form->txtOldBasic->text(), "12.34");
    form->txtNewbasic->setText(QStringLiteral("1500.50"));
    form->txtNewbasic->setFocus();
    EXPECT_EQ(form->txtNewbasic->selectedText(), "1500.50");
    QTest::keyClicks(form->txtNewbasic, "7");
    EXPECT_EQ(form->txtNewbasic->text(), "7");
}

} // namespace
