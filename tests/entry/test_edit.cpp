#include "entryfixture.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

class EditJobChange : public RegisterDriven {};

TEST_F(EditJobChange, ACancelledJobChangeOpensFilledAndReadOnly) {
    // Its new job is Asha's present one, so only the cancellation disables Save.
    data.jobChange(1, "JC1", "2003-01-10", 1, true, 1, 1);
    reloadRegister();
    editJobChange("JC1", [](frmGrade& form) {
        EXPECT_EQ(form.txtGradeNo->text(), "JC1");
        EXPECT_EQ(form.dtpGDate->date(), QDate(2003, 1, 10));
        EXPECT_EQ(form.cboEmployee->currentText(), "Asha-E001 - Rs");
        EXPECT_FALSE(form.cboEmployee->isEnabled());
        EXPECT_EQ(form.lblOldBasic->text(), "Old Basic:- Rs");
        EXPECT_EQ(form.lblNewBasic->text(), "New Basic:- Rs");
        EXPECT_EQ(form.cboOldGrade->currentText(), "Junior - Clerk");
        EXPECT_FALSE(form.cboOldGrade->isEnabled());
        EXPECT_EQ(form.cboNewgrade->currentText(), "Junior - Clerk");
        EXPECT_EQ(form.txtOldBasic->text(), "20000");
        EXPECT_EQ(form.txtNewbasic->text(), "25000");
        EXPECT_EQ(form.txtRemarks->text(), "Promoted");
        EXPECT_FALSE(form.cmdOK->isEnabled());
        EXPECT_EQ(form.lvwAllow->topLevelItemCount(), 0);
        EXPECT_EQ(form.lvwDeduct->topLevelItemCount(), 0);
        // Viewing only: a change never brings up the question.
        form.txtRemarks->setText(QStringLiteral("changed"));
        form.cmdCancel->click();
    });
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(BasGrade().strEntryMode, "E");
}

TEST_F(EditJobChange, OnlyTheJobChangeMatchingTheEmployeesPresentJobMayBeSaved) {
    data.jobChange(1, "JC1", "2003-01-10", 1, false, 2, 2); // Asha is not an Officer now
    data.jobChange(2, "JC2", "2003-01-05", 1, false, 1, 1); // earlier, but matches
    data.jobChange(3, "JC3", "2003-01-05", 1, false, 1,
                   2); // the designation matches, the grade not
    reloadRegister();
    QStringList saveEnabled;
    for (const char* number : {"JC1", "JC2", "JC3"})
        editJobChange(number, [&](frmGrade& form) {
            saveEnabled << QStringLiteral("%1:%2").arg(number).arg(form.cmdOK->isEnabled());
        });
    EXPECT_EQ(saveEnabled, QStringList({"JC1:0", "JC2:1", "JC3:0"}));
}

TEST_F(EditJobChange, AnInactiveEmployeesJobChangeShowsNoEmployeeAndNoSymbol) {
    data.jobChange(1, "JC1", "2003-01-10", 3, false, 1, 1); // Chen, inactive
    reloadRegister();
    editJobChange("JC1", [](frmGrade& form) {
        EXPECT_EQ(form.cboEmployee->currentIndex(), -1);
        EXPECT_EQ(form.lblOldBasic->text(), "Old Basic:");
        EXPECT_EQ(form.lblNewBasic->text(), "New Basic:");
        EXPECT_EQ(form.txtRemarks->text(), "Promoted");
    });
}

TEST_F(EditJobChange, StoredLinesComeBackAndRemovedOnesRoundTripUnchanged) {
    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
    });
    const QMap<QString, QStringList> saved = db.snapshot();
    editJobChange("JC1", [](frmGrade& form) {
        EXPECT_TRUE(form.cmdOK->isEnabled());
        EXPECT_EQ(unordered(form.lvwAllow),
                  QStringList({"Conveyance|800.00|2|O|800.00|Rupee|unchecked",
                               "House Rent|5500.00|1|O|5000.00|Rupee|checked",
                               "Medical|300.00|3|N|0.00|US Dollar|checked"}));
        EXPECT_EQ(unordered(form.lvwDeduct),
                  QStringList({"Provident Fund|1200.00|1|O|1200.00|Rupee|checked"}));
        form.cmdOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(db.snapshot(), saved);
}

TEST_F(EditJobChange, SavingAnEditKeepsNumberDateAndOldJobAndRewritesTheRest) {
    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
    });
    editJobChange("JC1", [](frmGrade& form) {
        form.dtpGDate->setDate(QDate(2003, 3, 1));
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(1));
        form.txtNewbasic->setText(QStringLiteral("21000"));
        form.txtRemarks->setText(QStringLiteral("Corrected"));
        rowOf(form.lvwAllow, "House Rent")->setText(revcol::RevisedAmount, "6000.00");
        rowOf(form.lvwAllow, "Conveyance")->setCheckState(0, Qt::Checked);
        form.cmdOK->click();
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(query(db, "select egcId, egcNo, egcDate, egcOldDesigID, egcOldGradeID, "
                        "egcOldBasic, egcNewDesigID, egcNewGradeID, egcNewBasic, egcremarks "
                        "from pay_employeegradechange"),
              QStringList({"1|JC1|2003-02-14|1|1|20000|1|1|21000|Corrected"}));
    EXPECT_EQ(query(db, "select eBasic, eGradeID, eDesigID from pay_employee where eEmpID = 1"),
              QStringList({"21000|1|1"}));
    EXPECT_EQ(query(db, "select egcaallowanceid, egcatype, egcarevamount from "
                        "pay_empgcallowance order by egcaallowanceid"),
              QStringList({"1|O|6000", "2|O|800", "3|N|300"}));
    EXPECT_EQ(query(db, "select eaallowanceid, eaamount from pay_empallowances where eaempid = 1 "
                        "order by eaallowanceid"),
              QStringList({"1|6000", "2|800", "3|300"}));
    EXPECT_EQ(master->flexMaster->rows(), 2);
    EXPECT_EQ(master->flexMaster->textMatrix(1, 5), "Junior Clerk");
}

TEST_F(EditJobChange, ClosingAfterChangingOnlyTheRemarksAsksAndNoDiscards) {
    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
    });
    const QMap<QString, QStringList> saved = db.snapshot();
    editJobChange("JC1", [this](frmGrade& form) {
        form.cmdCancel->click();
        EXPECT_TRUE(messages.shown.empty()) << "nothing changed yet";
        form.txtRemarks->setText(QStringLiteral("Second thoughts"));
        messages.answer(ui::MsgAnswer::No);
        form.cmdCancel->click();
    });
    EXPECT_EQ(messages.texts(), QStringList({"Save Changes?"}));
    EXPECT_EQ(db.snapshot(), saved);
}

} // namespace
