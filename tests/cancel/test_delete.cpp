#include "cancel/frmcancel.h"
#include "cancel/jobchanges.h"
#include "component/basgrade.h"
#include "register/frmmaster.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

using namespace jobchanges;

// Employee 7 moved again after the promotion: Accountant to Engineer, lines kept.
JobChange secondMove() {
    return JobChange{40,
                     "JC/40",
                     QDate(2026, 11, 20),
                     7,
                     5,
                     2,
                     1500.5,
                     6,
                     2,
                     1800,
                     {{1, 150.75, 150.75, "O"}, {2, 200, 200, "O"}, {4, 60, 60, "O"}},
                     {{2, 30, 30, "O"}, {3, 12.5, 12.5, "O"}}};
}

class DeleteOnRegister : public ::testing::Test {
protected:
    void SetUp() override {
        loadPayroll(db);
        db.useContext(1, 1, QDate(2026, 11, 30));
        original = employee(db, 7);
        ASSERT_EQ(original.value(physical("pempallowances")).size(), 3);
    }

    // Loads the register and selects the job change with the given number.
    void load() {
        form = std::make_unique<FrmMaster>();
        form->Form_Load();
    }
    int select(const QString& number) {
        for (int row = 1; row < form->flexMaster->rows(); ++row) {
            if (form->flexMaster->textMatrix(row, 1) == number) {
                form->flexMaster->selectRowAcross(row);
                return row;
            }
        }
        ADD_FAILURE() << "no row " << number.toStdString();
        return 0;
    }
    // Delete on the row: Yes to the question, then the reason and OK in the window.
    void cancel(const QString& number) {
        select(number);
        messages.answer(ui::MsgAnswer::Yes);
        modal.then([](QDialog& dialog) {
            auto& window = static_cast<frmCancel&>(dialog);
            window.txtcanreason->setText("withdrawn");
            window.cmdOK->click();
            return window.result();
        });
        ASSERT_TRUE(form->CmdDelete->isEnabled());
        form->CmdDelete->click();
    }
    QString cancelledCell(int row) { return form->flexMaster->textMatrix(row, 6); }
    QColor colour(int row) { return form->flexMaster->rowForeColor(row); }

    TestDatabase db;
    ScriptedMessages messages;
    ScriptedModal modal;
    std::unique_ptr<FrmMaster> form;
    QMap<QString, QStringList> original;
};

// A earlier and B later for one employee: A is refused until B is cancelled. Later job
// changes of another employee, and of the same employee id in another company, never block.
TEST_F(DeleteOnRegister, AnEarlierJobChangeWaitsUntilTheLaterOneIsCancelled) {
    saveJobChange(db, promotion());
    saveJobChange(db, secondMove());
    JobChange otherEmployee = secondMove();
    otherEmployee.id = 50;
    otherEmployee.no = "JC/50";
    otherEmployee.empId = 8;
    otherEmployee.allowances.clear();
    otherEmployee.deductions.clear();
    saveJobChange(db, otherEmployee);
    db.exec("insert into pay_employeegradechange (egcId, egcCompanyID, egcNo, egcEmpID, "
            "egcCancelled) values (60, 2, 'JC/60', 7, 0)");
    load();

    const int rowA = select("JC/33");
    const auto before = db.snapshot();
    form->CmdDelete->click();
    EXPECT_EQ(messages.texts(), QStringList{"Can not delete, Succeeding transaction exists"});
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_EQ(db.snapshot(), before);

    messages.clear();
    cancel("JC/40");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Are you sure you want to delete the entry - JC/40");
    EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Critical);
    EXPECT_EQ(messages.shown[0].buttons, ui::MsgButtons::YesNo);
    EXPECT_EQ(messages.shown[0].title, "Payroll");
    EXPECT_EQ(modal.shown, QStringList{"frmCancel"});
    const int rowB = form->flexMaster->row();
    EXPECT_EQ(form->flexMaster->textMatrix(rowB, 1), "JC/40");
    EXPECT_EQ(cancelledCell(rowB), "Yes");
    EXPECT_EQ(colour(rowB), QColor(255, 0, 0));
    EXPECT_FALSE(form->CmdDelete->isEnabled());
    EXPECT_TRUE(form->CmdEdit->isEnabled());
    EXPECT_EQ(BasGrade().strEntryMode, "E");

    messages.clear();
    cancel("JC/33");
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure you want to delete the entry - JC/33"});
    EXPECT_EQ(cancelledCell(rowA), "Yes");
    EXPECT_EQ(colour(rowA), QColor(255, 0, 0));
    EXPECT_EQ(employee(db, 7), original);
}

TEST_F(DeleteOnRegister, AnAlreadyCancelledRowAsksNothingAndEndsWithDeleteDisabled) {
    saveJobChange(db, promotion());
    db.exec("update pay_employeegradechange set egcCancelled = 1 where egcId = 33");
    load();
    const int row = select("JC/33");
    const auto before = db.snapshot();
    form->CmdDelete_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_FALSE(form->CmdDelete->isEnabled());
    EXPECT_TRUE(form->CmdEdit->isEnabled());
    EXPECT_EQ(form->flexMaster->row(), row);
    EXPECT_EQ(db.snapshot(), before);
}

TEST_F(DeleteOnRegister, NoToTheQuestionChangesNothing) {
    saveJobChange(db, promotion());
    load();
    const int row = select("JC/33");
    const auto before = db.snapshot();
    messages.answer(ui::MsgAnswer::No);
    form->CmdDelete->click();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_EQ(db.snapshot(), before);
    EXPECT_EQ(cancelledCell(row), "No");
    EXPECT_FALSE(colour(row).isValid());
    EXPECT_TRUE(form->CmdDelete->isEnabled());
    EXPECT_EQ(form->flexMaster->row(), row);
}

TEST_F(DeleteOnRegister, ClosingTheWindowWithoutOkLeavesTheRowNoAndUncoloured) {
    saveJobChange(db, promotion());
    load();
    const int row = select("JC/33");
    const auto before = db.snapshot();
    messages.answer(ui::MsgAnswer::Yes);
    form->CmdDelete->click(); // the window is closed unseen
    EXPECT_EQ(modal.shown, QStringList{"frmCancel"});
    EXPECT_EQ(db.snapshot(), before);
    EXPECT_EQ(cancelledCell(row), "No");
    EXPECT_FALSE(colour(row).isValid());
    EXPECT_TRUE(form->CmdDelete->isEnabled());
    EXPECT_EQ(form->flexMaster->row(), row);
}

} // namespace
