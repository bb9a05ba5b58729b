#include "cancel/frmcancel.h"
#include "component/basgrade.h"
#include "register/frmmaster.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

namespace {

struct Line {
    int typeId;
    double oldAmount, revAmount;
    const char* type; // "O" kept, "R" removed, "N" added
};
struct JobChange {
    int id, empId, oldDesig, oldGrade;
    double oldBasic;
    int newDesig, newGrade;
    double newBasic;
    std::vector<Line> allowances, deductions;
};

// clang-format off
// Employee 7: Accounts Assistant (Junior) to Accountant (Associate); allowance 1 raised, 2 kept,
// 3 dropped, 4 added; deduction 1 dropped, 2 raised, 3 added.
const JobChange kPromotion{33, 7, 2, 1, 1000.25, 5, 2, 1500.5,
    {{1, 100, 150.75, "O"}, {2, 200, 200, "O"}, {3, 300.5, 0, "R"}, {4, 0, 60, "N"}},
    {{1, 50, 0, "R"}, {2, 25, 30, "O"}, {3, 0, 12.5, "N"}}};
// Then Accountant to Engineer, every line kept.
const JobChange kSecondMove{40, 7, 5, 2, 1500.5, 6, 2, 1800,
    {{1, 150.75, 150.75, "O"}, {2, 200, 200, "O"}, {4, 60, 60, "O"}},
    {{2, 30, 30, "O"}, {3, 12.5, 12.5, "O"}}};
// clang-format on

QString values(std::initializer_list<double> numbers) {
    QStringList texts;
    for (double number : numbers)
        texts << QString::number(number);
    return texts.join(", ");
}

class Cancel : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* sql : {
                 "insert into pay_settings values (1, 0)",
                 "insert into pay_grades values (1, 1, 'Junior'), (2, 1, 'Associate')",
                 "insert into pay_designation values (2, 1, 1, 'Accounts Assistant', 1), "
                 "(5, 1, 2, 'Accountant', 1), (6, 1, 2, 'Engineer', 1)",
                 "insert into pay_users values (1, 1, '  D''Souza  ')",
                 "insert into pay_employee values (1, 7, 'E7', 'Ravi', 2, 1, 1000.25, 1, 1), "
                 "(1, 8, 'E8', 'Meena', 5, 2, 2000, 1, 1)",
                 "insert into pay_empallowances values (1, 7, 1, 1, 100), (1, 7, 2, 2, 200), "
                 "(1, 7, 3, 3, 300.5), (1, 8, 1, 1, 500)",
                 "insert into pay_empdeductions values (1, 7, 1, 1, 50), (1, 7, 2, 2, 25), "
                 "(1, 8, 1, 1, 80)",
             })
            db.exec(sql);
        db.useContext(1, 1, QDate(2026, 11, 30));
        original = employees();
    }

    // The rows the entry window's save writes for a job change.
    void save(const JobChange& jc) {
        db.exec("insert into pay_employeegradechange values (" + values({1.0 * jc.id, 1}) +
                ", 'JC/" + QString::number(jc.id) + "', '2026-11-01', " +
                values({1.0 * jc.empId, 1.0 * jc.oldDesig, 1.0 * jc.oldGrade, jc.oldBasic,
                        1.0 * jc.newDesig, 1.0 * jc.newGrade, jc.newBasic}) +
                ", '', 0, null)");
        db.exec(QString("update pay_employee set eBasic = %1, eDesigID = %2, eGradeID = %3 "
                        "where eEmpID = %4")
                    .arg(jc.newBasic)
                    .arg(jc.newDesig)
                    .arg(jc.newGrade)
                    .arg(jc.empId));
        for (const auto& [lines, gcTable, empTable, empColumn] :
             {std::tuple(&jc.allowances, "pay_empgcallowance", "pay_empallowances", "eaempid"),
              std::tuple(&jc.deductions, "pay_empgcdeductions", "pay_empdeductions", "edempid")}) {
            db.exec(QString("delete from %1 where %2 = %3").arg(empTable, empColumn).arg(jc.empId));
            double position = 0;
            for (const Line& line : *lines) {
                ++position;
                db.exec(QString("insert into %1 values (%2, %3, '%4')")
                            .arg(gcTable, values({1, 1.0 * jc.id, position, 1.0 * line.typeId}),
                                 values({line.oldAmount, line.revAmount}), line.type));
                if (QString(line.type) != "R")
                    db.exec(QString("insert into %1 values (%2)")
                                .arg(empTable, values({1, 1.0 * jc.empId, position,
                                                       1.0 * line.typeId, line.revAmount})));
            }
        }
    }

    // Employee master rows and standing lines of every employee.
    QMap<QString, QStringList> employees() {
        QMap<QString, QStringList> all = db.snapshot();
        for (const QString& table : all.keys())
            if (!QStringList{"pay_employee", "pay_empallowances", "pay_empdeductions"}.contains(
                    table))
                all.remove(table);
        return all;
    }
    QString header(const QString& column, int id = 33) {
        return data::textOf(
            db.scalar("select " + column +
                      " from pay_employeegradechange where egcId = " + QString::number(id)));
    }

    void load() {
        form = std::make_unique<FrmMaster>();
        form->Form_Load();
    }
    int select(int id) {
        for (int row = 1; row < form->flexMaster->rows(); ++row)
            if (form->flexMaster->textMatrix(row, 0) == QString::number(id)) {
                form->flexMaster->selectRowAcross(row);
                return row;
            }
        ADD_FAILURE() << "no row for " << id;
        return 0;
    }
    // Types the reason and presses OK; true when the window closed itself.
    static bool cancelWith(frmCancel& window, const QString& reason) {
        window.txtcanreason->setText(reason);
        window.cmdOK->click();
        return window.result() == QDialog::Accepted;
    }
    // Delete on the row: Yes to the question, a reason and OK in the window.
    void deleteRow(int id) {
        select(id);
        messages.answer(ui::MsgAnswer::Yes);
        modal.then([](QDialog& dialog) {
            cancelWith(static_cast<frmCancel&>(dialog), "withdrawn");
            return dialog.result();
        });
        form->CmdDelete->click();
    }
    QString cancelledCell(int row) { return form->flexMaster->textMatrix(row, 6); }

    TestDatabase db;
    ScriptedMessages messages;
    ScriptedModal modal;
    std::unique_ptr<FrmMaster> form;
    QMap<QString, QStringList> original;
};

TEST_F(Cancel, BlankReasonIsRefusedAndTheRemarkKeepsWhatWasTypedTrimmed) {
    save(kPromotion);
    load();
    select(33);
    const auto before = db.snapshot();
    frmCancel window;
    EXPECT_EQ(window.windowTitle(), "Reason For Deletion");
    EXPECT_FALSE(cancelWith(window, "   "));
    EXPECT_EQ(messages.texts(), QStringList{"Enter reason for deletion"});
    EXPECT_EQ(db.snapshot(), before);

    const QString reason = "it's \"wrong\"',egcCancelled=0 where egcId='40' --  twice";
    ASSERT_TRUE(cancelWith(window, "  " + reason + "  "));
    EXPECT_EQ(header("egcCancelled"), "1");
    EXPECT_EQ(header("egcCancelledRemarks"), "D'Souza:" + reason);
}

// Save a job change that keeps, raises, drops and adds lines, cancel it: every employee is as
// before the save.
TEST_F(Cancel, CancellingPutsTheEmployeeBackExactly) {
    save(kPromotion);
    ASSERT_NE(employees(), original);
    load();
    select(33);
    frmCancel window;
    ASSERT_TRUE(cancelWith(window, "withdrawn"));
    EXPECT_EQ(employees(), original);
}

// Every write of the cancellation failing in turn leaves the database as it was and the window
// open with the reason typed.
TEST_F(Cancel, AFailureAtAnyWriteLeavesTheDatabaseAsItWas) {
    save(kPromotion);
    load();
    select(33);
    const auto before = db.snapshot();
    frmCancel window;
    int failAt = 0;
    while (failAt < 20) {
        ++failAt;
        int writes = 0;
        db.db().setWriteHook([&](const QString&) {
            if (++writes == failAt)
                throw data::DbError(data::kErrGeneric, "test", "disk full");
        });
        messages.clear();
        if (cancelWith(window, "withdrawn"))
            break;
        SCOPED_TRACE(failAt);
        EXPECT_EQ(messages.texts(), QStringList{"disk full"});
        EXPECT_EQ(window.txtcanreason->text(), "withdrawn");
        EXPECT_EQ(db.snapshot(), before);
    }
    EXPECT_EQ(failAt, 10); // mark, employee, two deletes, five lines restored
}

TEST_F(Cancel, EnterInTheReasonMovesToOkAndEnterOnOkCancels) {
    save(kPromotion);
    load();
    select(33);
    frmCancel window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.txtcanreason->setFocus();
    QTest::keyClicks(window.txtcanreason, "done");
    QTest::keyClick(window.txtcanreason, Qt::Key_Return);
    EXPECT_TRUE(window.cmdOK->hasFocus());
    EXPECT_EQ(header("egcCancelled"), "0");
    QTest::keyClick(window.cmdOK, Qt::Key_Return);
    EXPECT_EQ(header("egcCancelled"), "1");
}

// A earlier and B later for one employee: A waits until B is cancelled, and then the employee
// is as before both. Another employee's later job change, and the same employee id's in
// another company, never block.
TEST_F(Cancel, DeleteCancelsFromTheLatestJobChangeBackwards) {
    save(kPromotion);
    save(kSecondMove);
    save({50, 8, 5, 2, 2000, 5, 2, 2000, {{1, 500, 500, "O"}}, {{1, 80, 80, "O"}}});
    db.exec("insert into pay_employeegradechange (egcId, egcCompanyID, egcNo, egcEmpID, "
            "egcCancelled) values (60, 2, 'JC/60', 7, 0)");
    load();
    const int rowA = select(33);
    form->CmdDelete->click();
    EXPECT_EQ(messages.texts(), QStringList{"Can not delete, Succeeding transaction exists"});
    EXPECT_TRUE(modal.shown.isEmpty());

    messages.clear();
    deleteRow(40);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Are you sure you want to delete the entry - JC/40");
    EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Critical);
    EXPECT_EQ(messages.shown[0].buttons, ui::MsgButtons::YesNo);
    EXPECT_EQ(modal.shown, QStringList{"frmCancel"});
    const int rowB = form->flexMaster->row();
    EXPECT_EQ(cancelledCell(rowB), "Yes");
    EXPECT_EQ(form->flexMaster->rowForeColor(rowB), QColor(255, 0, 0));
    EXPECT_FALSE(form->CmdDelete->isEnabled());

    deleteRow(33);
    EXPECT_EQ(cancelledCell(rowA), "Yes");
    EXPECT_EQ(employees(), original);
}

TEST_F(Cancel, DeleteOnACancelledRowAsksNothingAndEndsDisabled) {
    save(kPromotion);
    db.exec("update pay_employeegradechange set egcCancelled = 1");
    load();
    select(33);
    form->CmdDelete_Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_FALSE(form->CmdDelete->isEnabled());
}

// No to the question, then Yes and the window closed without OK: nothing changes.
TEST_F(Cancel, DeleteAnsweredNoOrWindowClosedChangesNothing) {
    save(kPromotion);
    load();
    const int row = select(33);
    const auto before = db.snapshot();
    messages.answer(ui::MsgAnswer::No);
    messages.answer(ui::MsgAnswer::Yes);
    form->CmdDelete->click();
    EXPECT_TRUE(modal.shown.isEmpty());
    form->CmdDelete->click();
    EXPECT_EQ(modal.shown, QStringList{"frmCancel"});
    EXPECT_EQ(db.snapshot(), before);
    EXPECT_EQ(cancelledCell(row), "No");
    EXPECT_FALSE(form->flexMaster->rowForeColor(row).isValid());
    EXPECT_TRUE(form->CmdDelete->isEnabled());
    EXPECT_EQ(form->flexMaster->row(), row);
}

} // namespace
