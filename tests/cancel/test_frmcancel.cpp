#include "cancel/frmcancel.h"
#include "cancel/jobchanges.h"
#include "component/basgrade.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace jobchanges;

class CancelWindow : public ::testing::Test {
protected:
    void SetUp() override {
        loadPayroll(db);
        db.useContext(1, 1, QDate(2026, 11, 30));
        grid.clearGrid(7, 2);
        BasGrade().registerGrid = &grid;
    }
    void TearDown() override { BasGrade().registerGrid = nullptr; }

    // The register's selected row holds the job change to cancel.
    void select(int id) {
        grid.setTextMatrix(1, 0, QString::number(id));
        grid.setTextMatrix(1, 6, "No");
        grid.selectRowAcross(1);
    }
    // Types the reason and presses OK; true when the window closed itself.
    bool cancelWith(frmCancel& window, const QString& reason) {
        window.txtcanreason->setText(reason);
        QTest::mouseClick(window.cmdOK, Qt::LeftButton);
        return window.result() == QDialog::Accepted;
    }
    QString header(const QString& column, int id = 33) {
        return data::textOf(
            db.scalar("select " + column + " from " + physical("pEmployeegradeChange") +
                      " where egcCompanyID = 1 and egcId = " + QString::number(id)));
    }

    TestDatabase db;
    ScriptedMessages messages;
    ui::FlexGrid grid;
};

TEST_F(CancelWindow, ShowsItsCaptionAndRefusesABlankReason) {
    saveJobChange(db, promotion());
    select(33);
    const auto before = db.snapshot();
    frmCancel window;
    EXPECT_EQ(window.objectName(), "frmCancel");
    EXPECT_EQ(window.windowTitle(), "Reason For Deletion");

    EXPECT_FALSE(cancelWith(window, "   "));
    ASSERT_EQ(messages.texts(), QStringList{"Enter reason for deletion"});
    EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Information);
    EXPECT_EQ(messages.shown[0].title, "Payroll");
    EXPECT_EQ(db.snapshot(), before);
}

TEST_F(CancelWindow, RemarkIsTheTrimmedUserNameAndReasonWithInnerBlanksKept) {
    saveJobChange(db, promotion());
    select(33);
    frmCancel window;
    ASSERT_TRUE(cancelWith(window, "  wrong  grade  "));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(header("egcCancelled"), "1");
    EXPECT_EQ(header("egcCancelledRemarks"), "Asha Rao:wrong  grade");
}

TEST_F(CancelWindow, QuotesInTheReasonAndUserNameAreStoredAsTyped) {
    db.exec("update pay_users set username = 'D''Souza' where userid = 1");
    saveJobChange(db, promotion());
    JobChange other = promotion(34, "JC/34");
    other.empId = 8;
    other.oldDesig = 5;
    other.oldGrade = 2;
    other.oldBasic = 2000;
    other.allowances.clear();
    other.deductions.clear();
    saveJobChange(db, other);
    select(33);
    const QString reason = "it's \"wrong\"', egcCancelled=0 where egcId='34' --";
    frmCancel window;
    ASSERT_TRUE(cancelWith(window, reason));
    EXPECT_EQ(header("egcCancelledRemarks"), "D'Souza:" + reason);
    EXPECT_EQ(header("egcCancelled", 34), "0");
    EXPECT_EQ(header("egcCancelledRemarks", 34), "");
}

TEST_F(CancelWindow, UnknownUserStillCancelsWithAnEmptyRemark) {
    db.exec("delete from pay_users");
    saveJobChange(db, promotion());
    select(33);
    frmCancel window;
    ASSERT_TRUE(cancelWith(window, "typo"));
    EXPECT_EQ(header("egcCancelled"), "1");
    EXPECT_EQ(header("egcCancelledRemarks"), "");
}

// Snapshot, save a job change that keeps, raises, drops and adds lines, cancel it: the
// employee is exactly as before, and the other employee was never touched.
TEST_F(CancelWindow, CancellingPutsTheEmployeeBackAsBeforeTheJobChange) {
    const auto before = employees(db);
    saveJobChange(db, promotion());
    ASSERT_NE(employees(db), before);
    const auto jobChangeLines = db.snapshot().value(physical("pempgcAllowance"));
    select(33);
    frmCancel window;
    ASSERT_TRUE(cancelWith(window, "withdrawn"));
    EXPECT_EQ(employees(db), before);
    EXPECT_EQ(db.snapshot().value(physical("pempgcAllowance")), jobChangeLines);
}

// The job change's lines, not the employee's present lines, decide what comes back: an
// employee edited since still gets the replaced lines in line order, numbered 1 to n.
TEST_F(CancelWindow, StandingLinesComeBackFromTheJobChangesOwnLinesInOrder) {
    JobChange jc = promotion();
    jc.allowances = {{3, 30, 35, "O"}, {9, 0, 5, "N"}, {1, 10, 0, "R"}};
    saveJobChange(db, jc);
    db.exec("update pay_employee set eBasic = 1, eDesigID = 6 where eCompanyID = 1 and eEmpID = 7");
    select(33);
    frmCancel window;
    ASSERT_TRUE(cancelWith(window, "x"));
    EXPECT_EQ(db.snapshot().value(physical("pempallowances")),
              (QStringList{
                  "eacompanyid=1|eaempid=7|eadetailid=1|eaallowanceid=3|eaamount=30",
                  "eacompanyid=1|eaempid=7|eadetailid=2|eaallowanceid=1|eaamount=10",
                  "eacompanyid=1|eaempid=8|eadetailid=1|eaallowanceid=1|eaamount=500",
              }));
    const QString employee = " from pay_employee where eCompanyID = 1 and eEmpID = 7";
    EXPECT_EQ(data::textOf(db.scalar("select eBasic" + employee)), "1000.25");
    EXPECT_EQ(data::textOf(db.scalar("select eDesigID" + employee)), "2");
    EXPECT_EQ(data::textOf(db.scalar("select eGradeID" + employee)), "1");
}

// Every write of the cancellation, failing in turn, leaves the database as it was and the
// window open with the reason typed; then the cancellation goes through.
TEST_F(CancelWindow, AFailureAtAnyWriteLeavesTheDatabaseAsItWas) {
    saveJobChange(db, promotion());
    select(33);
    const auto before = db.snapshot();
    frmCancel window;
    window.txtcanreason->setText("withdrawn");
    int failAt = 1;
    for (;; ++failAt) {
        int writes = 0;
        bool failed = false;
        db.db().setWriteHook([&](const QString&) {
            if (++writes == failAt) {
                failed = true;
                throw data::DbError(data::kErrGeneric, "test",
                                    "disk full at write " + QString::number(failAt));
            }
        });
        messages.clear();
        QTest::mouseClick(window.cmdOK, Qt::LeftButton);
        if (!failed)
            break;
        SCOPED_TRACE(failAt);
        EXPECT_EQ(messages.texts(), QStringList{"disk full at write " + QString::number(failAt)});
        EXPECT_NE(window.result(), QDialog::Accepted);
        EXPECT_EQ(window.txtcanreason->text(), "withdrawn");
        EXPECT_EQ(db.snapshot(), before);
        EXPECT_FALSE(db.db().inTransaction());
    }
    db.db().setWriteHook({});
    // mark, employee, two deletes, three allowances and two deductions restored
    EXPECT_EQ(failAt, 10);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(header("egcCancelled"), "1");
}

TEST_F(CancelWindow, EnterInTheReasonMovesToOkAndEnterOnOkCancels) {
    saveJobChange(db, promotion());
    select(33);
    frmCancel window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.txtcanreason->setFocus();
    QTest::keyClicks(window.txtcanreason, "done");
    QTest::keyClick(window.txtcanreason, Qt::Key_Return);
    EXPECT_TRUE(window.cmdOK->hasFocus());
    EXPECT_EQ(window.txtcanreason->text(), "done");
    EXPECT_EQ(header("egcCancelled"), "0");
    EXPECT_TRUE(window.isVisible());

    QTest::keyClick(window.cmdOK, Qt::Key_Return);
    EXPECT_EQ(header("egcCancelled"), "1");
    EXPECT_FALSE(window.isVisible());
}

} // namespace
