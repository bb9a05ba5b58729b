// The Bulk Job Change window, opened from the register and driven as a clerk would, with the
// message boxes answered by script.

#include "bulkwindow/frmbulk.h"
#include "entry/entryfixture.h"
#include "letterwindow/frmletters.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>

namespace {

QStringList previewRows(const FrmBulk& form) {
    return childTexts(form.lvwPreview->invisibleRootItem());
}

class BulkWindow : public RegisterDriven {
protected:
    void openBulk(const std::function<void(FrmBulk&)>& step) {
        modal.thenOn<FrmBulk>(step);
        ASSERT_TRUE(master->cmdBulk->isEnabled());
        master->cmdBulk->click();
    }

    static void houseRentRule(FrmBulk& form, const QString& amount) {
        form.cmdAddRule->click();
        const int row = form.tblRules->rowCount() - 1;
        auto* type = static_cast<QComboBox*>(form.tblRules->cellWidget(row, FrmBulk::RuleType));
        type->setCurrentIndex(type->findText("House Rent"));
        static_cast<QComboBox*>(form.tblRules->cellWidget(row, FrmBulk::RuleChange))
            ->setCurrentIndex(1); // plus an amount
        static_cast<QLineEdit*>(form.tblRules->cellWidget(row, FrmBulk::RuleValue))
            ->setText(amount);
    }

    QStringList registerNumbers() const { return gridColumn(*master->flexMaster, 1); }
};

TEST_F(BulkWindow, FilterPreviewUntickApplyAndTheRegisterShowsTheNewRows) {
    QTemporaryDir dir;
    openBulk([&](FrmBulk& form) {
        EXPECT_EQ(form.lblCount->text(), "3 of 3 employees selected");
        EXPECT_FALSE(form.cmdLetters->isEnabled());
        // Before any preview its list is titled with the columns every preview has.
        EXPECT_EQ(form.lvwPreview->headerItem()->text(0), "Number");
        form.cboGrade->setCurrentIndex(form.cboGrade->findText("Junior"));
        EXPECT_EQ(form.lblCount->text(), "2 of 2 employees selected") << "Asha and Dina";
        form.txtSearch->setText("E004");
        EXPECT_EQ(form.lblCount->text(), "1 of 1 employees selected");
        form.txtSearch->clear();
        form.cmdNone->click();
        EXPECT_EQ(form.lblCount->text(), "0 of 2 employees selected");
        form.cmdPreview->click();
        EXPECT_EQ(messages.texts().value(0), "Select at least one employee.");
        form.cmdAll->click();

        form.txtRemarks->setText("Increment");
        form.cboBasic->setCurrentIndex(1); // plus a percent
        form.txtBasic->setText("10,5");
        houseRentRule(form, "1,000.00");
        form.cmdPreview->click();
        EXPECT_EQ(messages.texts().value(1),
                  "Basic pay: \"10,5\" is not a percent from -100 to 1000 with at most four "
                  "decimals.");
        EXPECT_EQ(form.lvwPreview->topLevelItemCount(), 0);
        form.txtBasic->setText("10");
        form.cmdPreview->click();
        EXPECT_EQ(previewRows(form),
                  QStringList({"E001|Asha|Junior - Clerk|Junior - Clerk|Rupee|20,000.00|22,000.00|"
                               "5,000.00|6,000.00|3,000.00|Yes|",
                               "E004|Dina|Junior - Typist|Junior - Typist|Rupee|15,000.00|"
                               "16,500.00|||1,500.00|Yes|Allowance House Rent: rule did nothing",
                               "Total (Rupee)|2 employees|||Rupee|35,000.00|38,500.00|5,000.00|"
                               "6,000.00|4,500.00||"}));
        // Dina unticked: left out of the totals and of the batch.
        form.lvwPreview->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        EXPECT_EQ(previewRows(form).value(1).section('|', 10, 10), "No");
        EXPECT_EQ(previewRows(form).value(2).section('|', 1, 1), "1 employees");
        EXPECT_TRUE(form.exportPreview(dir.filePath("preview.csv")));
        EXPECT_TRUE(QFile::exists(dir.filePath("preview.csv")));
        EXPECT_FALSE(form.exportPreview(dir.path()));
        EXPECT_TRUE(messages.texts().constLast().startsWith("Cannot write " + dir.path() +
                                                            ": it is a folder"));

        messages.clear();
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdApply->click();
        EXPECT_EQ(messages.texts(), QStringList({"Save 1 job changes dated 14 Feb 2003?",
                                                 "Saved 1 job changes, JC1 to JC1."}));
        // The window stays for the letters of what it saved.
        EXPECT_FALSE(form.cmdApply->isEnabled());
        modal.thenOn<FrmLetters>([&](FrmLetters& letters) {
            EXPECT_EQ(letters.lblJobChanges->text(), "The 1 job changes just applied, JC1 to JC1");
            letters.optFolder->setChecked(true);
            letters.txtOut->setText(dir.filePath("letters"));
            letters.cmdOk->click();
        });
        ASSERT_TRUE(form.cmdLetters->isEnabled());
        form.cmdLetters->click();
        EXPECT_EQ(QDir(dir.filePath("letters")).entryList(QDir::Files),
                  QStringList{"E001_JC1.pdf"});
    });
    EXPECT_EQ(registerNumbers(), QStringList{"JC1"});
    EXPECT_EQ(db.rows("select eBasic from pay_employee where eEmpID in (1, 4) order by eEmpID"),
              QStringList({"22000", "15000"}));
}

// Another clerk raises Bruno's basic between the preview and Apply: the batch is refused with
// his name, the preview is computed again on the clerk's Yes, and then goes through.
TEST_F(BulkWindow, ARefusalNamesTheChangedEmployeeAndOffersThePreviewAgain) {
    openBulk([&](FrmBulk& form) {
        form.cboBasic->setCurrentIndex(2); // plus an amount
        form.txtBasic->setText("500");
        form.cmdPreview->click();
        ASSERT_EQ(form.previewRows().size(), 3u);
        db.exec("update pay_employee set eBasic = 3100 where eEmpID = 2");
        messages.answer(ui::MsgAnswer::Yes); // save?
        messages.answer(ui::MsgAnswer::Yes); // compute again?
        form.cmdApply->click();
        EXPECT_EQ(messages.texts().value(1),
                  "Nothing was saved: since the preview, another clerk changed these "
                  "employees:\nE002 Bruno\n\nCompute the preview again?");
        EXPECT_EQ(form.previewRows()[1].basic.newCents, 360000);
        EXPECT_EQ(form.result(), QDialog::Rejected);
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdApply->click();
        EXPECT_EQ(messages.texts().value(3), "Saved 3 job changes, JC1 to JC3.");
    });
    EXPECT_EQ(registerNumbers(), QStringList({"JC1", "JC2", "JC3"}));
}

// A file in place of the rules: the column not read is named, and a row with an error keeps
// Apply disabled until it is unticked; the template holds the employees the filters show.
TEST_F(BulkWindow, AnImportedRowWithAnErrorHoldsApplyUntilItIsUnticked) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("rev.csv"),
                          "Employee No,New Basic,Allowance: House Rent,Bonus\r\n"
                          "E001,22000,6000,1\r\nE002,\"27,5OO\",,\r\nE004,15000,,\r\n"));
    openBulk([&](FrmBulk& form) {
        form.cboGrade->setCurrentIndex(form.cboGrade->findText("Junior"));
        ASSERT_TRUE(form.exportTemplate(dir.filePath("template.csv")));
        EXPECT_EQ(QString::fromUtf8(readFile(dir.filePath("template.csv"))).count("\r\n"), 3)
            << "the titles, Asha and Dina";

        ASSERT_TRUE(form.importFile(dir.filePath("rev.csv")));
        EXPECT_EQ(messages.texts(),
                  QStringList{"Column D, \"Bonus\", is not read: the columns read are Employee "
                              "No, Name, New Basic, New Job, Remarks, \"Allowance: <type>\" and "
                              "\"Deduction: <type>\"."});
        // Asha's row reads as the rules' preview showed it; what it saves is checked below.
        EXPECT_EQ(previewRows(form).mid(1),
                  QStringList({"3|E002|Bruno|Senior - Officer|Senior - Officer|US Dollar|3,000.00|"
                               "3,000.00||||0.00|No|row 3, New Basic: \"27,5OO\" is not an amount",
                               "4|E004|Dina|Junior - Typist|Junior - Typist|Rupee|15,000.00|"
                               "15,000.00|||0.00||No|no change",
                               "|Total (Rupee)|1 employees|||Rupee|20,000.00|22,000.00|5,000.00|"
                               "6,000.00|3,000.00|||",
                               "|Total (US Dollar)|0 employees|||US Dollar|0.00|0.00||||0.00||"}));
        EXPECT_FALSE(form.cmdApply->isEnabled());
        EXPECT_EQ(form.lblSource->text(),
                  "3 rows from rev.csv, 1 with errors: untick the rows with errors, or correct "
                  "the file and import it again, to apply the others.");
        EXPECT_FALSE(form.lvwPreview->topLevelItem(2)->data(0, Qt::CheckStateRole).isValid())
            << "a row without change cannot be ticked";
        form.lvwPreview->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        EXPECT_TRUE(form.cmdApply->isEnabled());

        messages.clear();
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdApply->click();
        EXPECT_EQ(messages.texts(), QStringList({"Save 1 job changes dated 14 Feb 2003?",
                                                 "Saved 1 job changes, JC1 to JC1."}));
    });
    EXPECT_EQ(registerNumbers(), QStringList{"JC1"});
    EXPECT_EQ(db.rows("select eBasic, eaamount from pay_employee, pay_empallowances where eEmpID "
                      "= 1 and eaempid = 1 and eaallowanceid = 1",
                      {0, 1}),
              QStringList{"22000.00|6000.00"});
}

} // namespace
