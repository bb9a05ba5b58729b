#include "cancel/frmcancel.h"
#include "register/frmmaster.h"
#include "support/check.h"
#include "support/context.h"
#include "support/hooks.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "support/widgets.h"
#include "support/workspace.h"
#include "ui/flexgrid.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// Job change 33 as saved: employee 7 promoted, lines raised, kept, dropped and added.
const char* const kPromotion = R"(
insert into pay_employeegradechange values
  (33, 1, 'JC/33', '2026-11-01', 7, 2, 1, 1000.25, 5, 2, 1500.5, '', 0, null);
insert into pay_empgcallowance values (1, 33, 1, 1, 100, 150.75, 'O'),
  (1, 33, 2, 2, 200, 200, 'O'), (1, 33, 3, 3, 300.5, 0, 'R'), (1, 33, 4, 4, 0, 60, 'N');
insert into pay_empgcdeductions values (1, 33, 1, 1, 50, 0, 'R'), (1, 33, 2, 2, 25, 30, 'O'),
  (1, 33, 3, 3, 0, 12.5, 'N');
update pay_employee set eDesigID = 5, eGradeID = 2, eBasic = 1500.5 where eEmpID = 7;
delete from pay_empallowances where eaempid = 7;
insert into pay_empallowances values (1, 7, 1, 1, 150.75), (1, 7, 2, 2, 200), (1, 7, 4, 4, 60);
delete from pay_empdeductions where edempid = 7;
insert into pay_empdeductions values (1, 7, 2, 2, 30), (1, 7, 3, 3, 12.5);
)";

class Cancel : public ::testing::Test {
protected:
    void SetUp() override {
        db.execAll(R"(
insert into pay_settings values (1, 0);
insert into pay_grades values (1, 1, 'Junior'), (2, 1, 'Associate');
insert into pay_designation values (2, 1, 1, 'Clerk', 1), (5, 1, 2, 'Accountant', 1),
  (6, 1, 2, 'Engineer', 1);
insert into pay_users values (1, 1, '  D''Souza  ');
insert into pay_employee values (1, 7, 'E7', 'Ravi', 2, 1, 1000.25, 1, 1),
  (1, 8, 'E8', 'Meena', 5, 2, 2000, 1, 1);
insert into pay_empallowances values (1, 7, 1, 1, 100), (1, 7, 2, 2, 200), (1, 7, 3, 3, 300.5),
  (1, 8, 1, 1, 500);
insert into pay_empdeductions values (1, 7, 1, 1, 50), (1, 7, 2, 2, 25), (1, 8, 1, 1, 80);
)");
        useContext(db, 1, 1, QDate(2026, 11, 30));
        original = employees();
        db.execAll(kPromotion);
        before = db.snapshot();
    }

    QStringList employees() {
        const auto all = db.snapshot();
        return all["pay_employee"] + all["pay_empallowances"] + all["pay_empdeductions"];
    }
    int select(int id) {
        const int row = gridRow(*form->flexMaster, 0, QString::number(id));
        form->flexMaster->selectRowAcross(row);
        return row;
    }
    // Types the reason and presses OK; true when the window closed itself.
    static bool cancelWith(frmCancel& window, const QString& reason) {
        window.txtcanreason->setText(reason);
        window.cmdOK->click();
        return window.result() == QDialog::Accepted;
    }
    void deleteRow(int id) {
        select(id);
        messages.answer(ui::MsgAnswer::Yes);
        modal.thenOn<frmCancel>([](frmCancel& window) { cancelWith(window, "withdrawn"); });
        form->CmdDelete->click();
    }

    TestDatabase db;
    ScriptedMessages messages;
    ScriptedModal modal;
    std::unique_ptr<FrmMaster> form;
    QStringList original;
    QMap<QString, QStringList> before;
};

// Blank reason refused; a failure leaves all as it was and the reason typed; then the
// trimmed user name and reason are stored as typed and the employee is put back.
TEST_F(Cancel, WindowRefusesBlankSurvivesFailuresAndPutsTheEmployeeBack) {
    frmCancel window(contextWorkspace(), 33);
    EXPECT_FALSE(cancelWith(window, "   "));
    EXPECT_EQ(messages.texts(), QStringList{"Enter reason for deletion"});
    EXPECT_EQ(db.snapshot(), before);
    window.txtcanreason->insert(QString::fromUtf8("wrong\0", 6));
    EXPECT_EQ(messages.texts().value(1),
              "Reason: a NUL character cannot be saved; the text was not taken");
    EXPECT_EQ(window.txtcanreason->text(), "   ");
    messages.clear();

    // A failure is shown and leaves all as it was, the reason still typed.
    const QString typed = "  it's \"wrong\"',egcCancelled=0 where egcId='40' --  twice  ";
    for (const bool atCommit : {false, true}) {
        hookWrites(db.db(), [atCommit](const QString& sql) {
            if (!atCommit || sql == "commit")
                throw data::DbError(data::kErrGeneric, "test", "disk full");
        });
        EXPECT_FALSE(cancelWith(window, typed));
        db.db().setStatementHook({});
    }
    EXPECT_EQ(messages.texts(), QStringList({"disk full", "disk full"}));
    EXPECT_EQ(window.txtcanreason->text(), typed);
    EXPECT_EQ(db.snapshot(), before);
    EXPECT_TRUE(cancelWith(window, typed));
    EXPECT_EQ(data::textOf(db.scalar("select egcCancelled || ':' || egcCancelledRemarks from "
                                     "pay_employeegradechange where egcId = 33")),
              "1:D'Souza:" + typed.trimmed());
    EXPECT_EQ(employees(), original);
}

// A (33) waits until B (40, later, no lines) is cancelled; later job changes of employee 8, or of
// employee 7 in company 2, never block.
TEST_F(Cancel, DeleteCancelsFromTheLatestJobChangeBackwards) {
    db.exec("insert into pay_employeegradechange values (40, 1, 'JC/40', '2026-11-01', 7, 5, 2, "
            "1500.5, 6, 2, 1800, '', 0, null), (50, 1, 'JC/50', '2026-11-01', 8, 5, 2, 2000, 5, 2, "
            "2000, '', 0, null), (60, 2, 'JC/60', '2026-11-01', 7, 5, 2, 1, 5, 2, 1, '', 0, null)");
    db.exec("update pay_employee set eDesigID = 6, eBasic = 1800 where eEmpID = 7");
    form = std::make_unique<FrmMaster>();
    form->Form_Load();
    select(33);
    form->CmdDelete->click();
    EXPECT_EQ(messages.texts(), QStringList{"Can not delete, Succeeding transaction exists"});

    // On B: No to the question, then Yes and the window closed without OK, change nothing.
    const int rowB = select(40);
    const auto saved = db.snapshot();
    messages.clear();
    messages.answer(ui::MsgAnswer::No);
    form->CmdDelete->click();
    messages.answer(ui::MsgAnswer::Yes);
    form->CmdDelete->click();
    ASSERT_EQ(messages.boxes(),
              QStringList(2, "Payroll|Critical|YesNo|Are you sure you want to delete the entry - "
                             "JC/40"));
    EXPECT_EQ(modal.shown, QStringList{"frmCancel"});
    EXPECT_EQ(db.snapshot(), saved);
    EXPECT_EQ(form->flexMaster->textMatrix(rowB, 6), "No");
    EXPECT_FALSE(form->flexMaster->rowForeColor(rowB).isValid());
    EXPECT_TRUE(form->CmdDelete->isEnabled());

    deleteRow(40);
    EXPECT_EQ(form->flexMaster->row(), rowB);
    EXPECT_EQ(form->flexMaster->textMatrix(rowB, 6), "Yes");
    EXPECT_EQ(form->flexMaster->rowForeColor(rowB), QColor(255, 0, 0));
    EXPECT_FALSE(form->CmdDelete->isEnabled());

    deleteRow(33);
    EXPECT_EQ(form->flexMaster->textMatrix(select(33), 6), "Yes");
    EXPECT_EQ(employees(), original);
}

} // namespace
