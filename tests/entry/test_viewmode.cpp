#include "entry/revisionlistcommands.h"
#include "entryfixture.h"

#include <QLocale>

namespace {

class ViewMode : public RegisterDriven {
protected:
    // Opens the job change from the register and hands the loaded window to the check.
    void withEntry(const QString& number, const Step& check) {
        editJobChange(number, [&](frmGrade& form) {
            check(form);
            form.done(QDialog::Rejected);
        });
    }
    static bool anyCheckable(const QTreeWidget* list) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->flags() & Qt::ItemIsUserCheckable)
                return true;
        return false;
    }
};

TEST_F(ViewMode, CancelledOrSupersededSaysWhyAndEveryInputIsReadOnly) {
    // Asha: JC1, superseded by JC2 (JC3 between them cancelled); Bruno: JC4 cancelled, JC5
    // his present job; Dina: JC6, of her designation but not her grade.
    data.jobChange(1, "JC1", "2003-01-10", 1);
    data.jobChange(3, "JC3", "2003-01-20", 1, true);
    data.jobChange(2, "JC2", "2003-02-01", 1);
    data.jobChange(4, "JC4", "2003-01-05", 2, true);
    data.jobChange(5, "JC5", "2003-01-06", 2);
    data.jobChange(6, "JC6", "2003-01-06", 4, false, 3, 2);
    db.exec("update " + physical("pEmployeegradeChange") +
            " set egcCancelledRemarks = 'Clerk Two:wrong grade' where egcId = 4");
    db.insert("pempgcAllowance", {"1, 4, 1, 3, 300, 350, 'O'"});
    reloadRegister();

    const auto expectViewOnly = [this](frmGrade& form, const QString& line) {
        EXPECT_TRUE(form.lblViewOnly->isVisibleTo(&form));
        EXPECT_EQ(form.lblViewOnly->text(), line);
        EXPECT_FALSE(form.cmdOK->isEnabled());
        for (QLineEdit* box :
             {form.txtGradeNo, form.txtOldBasic, form.txtNewbasic, form.txtRemarks})
            EXPECT_TRUE(box->isReadOnly()) << box->objectName();
        EXPECT_TRUE(form.dtpGDate->isReadOnly());
        for (QComboBox* combo : {form.cboEmployee, form.cboOldGrade, form.cboNewgrade})
            EXPECT_FALSE(combo->isEnabled()) << combo->objectName();
        EXPECT_FALSE(anyCheckable(form.lvwAllow) || anyCheckable(form.lvwDeduct));
        // Double-click and the keys do not open the line editor.
        const qsizetype shown = modal.shown.size();
        form.listCommands->List_DblClick(LineKind::Allowance);
        EXPECT_EQ(modal.shown.size(), shown);
    };
    withEntry("JC4", [&](frmGrade& form) {
        expectViewOnly(form, "Cancelled: Clerk Two:wrong grade");
        EXPECT_EQ(form.lvwAllow->topLevelItemCount(), 1);
    });
    const QString feb1 = QLocale::system().toString(QDate(2003, 2, 1), QLocale::ShortFormat);
    withEntry("JC1", [&](frmGrade& form) { expectViewOnly(form, "Superseded by JC2 of " + feb1); });
    withEntry("JC3", [&](frmGrade& form) { expectViewOnly(form, "Cancelled: "); });
    withEntry("JC6", [](frmGrade& form) { EXPECT_FALSE(form.cmdOK->isEnabled()); });

    // The present job change of an employee stays open to change, without the line.
    withEntry("JC5", [&](frmGrade& form) {
        EXPECT_FALSE(form.lblViewOnly->isVisibleTo(&form));
        EXPECT_TRUE(form.cmdOK->isEnabled() && form.cboNewgrade->isEnabled());
        EXPECT_FALSE(form.txtRemarks->isReadOnly());
        EXPECT_TRUE(anyCheckable(form.lvwAllow) || form.lvwAllow->topLevelItemCount() == 0);
    });
}

} // namespace
