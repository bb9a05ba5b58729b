// Another clerk commits, on a connection of their own, while this clerk's window is open: the
// window's action is refused with its message and leaves every table as the other clerk left it;
// without the other clerk's commit the same action goes through.

#include "cancel/frmcancel.h"
#include "jobchange/servicefixture.h"
#include "jobchange/staleness.h"

namespace {

using jobchange::JobChangeWriter;
using jobchange::WriteResult;

// Asha, promoted as JC1, moved back to Clerk with a raise, her lines kept.
jobchange::JobChangeDraft ashaMovedBack() {
    jobchange::JobChangeDraft draft = ashaPromoted();
    draft.oldDesignationId = 2;
    draft.newDesignationId = 1;
    draft.oldBasic = money("1500.50");
    draft.newBasic = money("1600");
    draft.linesOf(LineKind::Allowance) = {line(1, 'O', 5500, 5500), line(3, 'O', 300, 300)};
    return draft;
}

// Another clerk's program: a connection and a writer of its own, as user 1 (every right).
struct OtherClerk {
    data::ConnectionPtr connection;
    JobChangeWriter writer{
        jobchange::Workspace::open(connection, 1, 1, 91004, QDate(2003, 2, 14), "Payroll")};
    ~OtherClerk() { connection->close(); }
};

enum class Window { New, Edit, Cancel };

struct Case {
    const char* name;
    Window window;
    std::function<WriteResult(const JobChangeWriter&)> theirs;
    QString refusal;
    bool theyCancel = false;
};

const QString kEmployeeChanged = "Employee changed by another user, select the employee again";
const QString kCancelled = "Job change already cancelled by another user";

const Case kCases[] = {
    // Both pick Asha; the other clerk saves first, on the process date or after it.
    {"NewForAnEmployeeTheyMoved", Window::New,
     [](const JobChangeWriter& s) { return s.saveNew(ashaPromoted()); }, kEmployeeChanged},
    {"NewForAnEmployeeNoLongerEligible", Window::New,
     [](const JobChangeWriter& s) {
         jobchange::JobChangeDraft later = ashaPromoted();
         later.date = QDate(2003, 3, 1);
         return s.saveNew(later);
     },
     kEmployeeChanged},
    {"CancelWhatTheyCancelled", Window::Cancel,
     [](const JobChangeWriter& s) { return s.cancel(1, "theirs"); }, kCancelled, true},
    {"CancelUnderTheirLaterJobChange", Window::Cancel,
     [](const JobChangeWriter& s) { return s.saveNew(ashaMovedBack()); },
     "Can not delete, Succeeding transaction exists"},
    {"EditUnderTheirLaterJobChange", Window::Edit,
     [](const JobChangeWriter& s) { return s.saveNew(ashaMovedBack()); },
     "Can not save, Succeeding transaction exists"},
    {"EditWhatTheyCancelled", Window::Edit,
     [](const JobChangeWriter& s) { return s.cancel(1, "theirs"); }, kCancelled, true},
    {"EditWhatTheyEdited", Window::Edit,
     [](const JobChangeWriter& s) {
         jobchange::JobChangeDraft theirs = ashaPromoted();
         theirs.remarks = "Theirs";
         return s.saveEdit(1, theirs);
     },
     "Job change changed by another user, open it again"},
};

// The parameter: the case, and whether the other clerk commits while the window is open.
class OtherClerkCommits : public RegisterDriven,
                          public ::testing::WithParamInterface<std::tuple<Case, bool>> {
protected:
    const Case& theCase() const { return std::get<0>(GetParam()); }
    bool theyCommit() const { return std::get<1>(GetParam()); }

    // Asha promoted through the register (JC1), the register reloaded on it.
    void promoteAsha() {
        newJobChange([](frmGrade& form) {
            ashaPromoted(form);
            form.cmdOK->click();
        });
        ASSERT_EQ(db.rows("select egcNo from pay_employeegradechange"), QStringList{"JC1"});
        reloadRegister();
        messages.clear();
    }

    // Types into the box and presses Ok, the other clerk's commit made first when they commit:
    // then Ok is refused with the message, the window stays open with what was typed and the
    // tables are as the other clerk left them; else it goes through.
    void press(const QDialog& window, QPushButton* ok, QLineEdit* box, const QString& typed) {
        box->setText(typed);
        messages.clear();
        if (!theyCommit()) {
            ok->click();
            EXPECT_EQ(messages.texts(), QStringList{});
            EXPECT_EQ(window.result(), QDialog::Accepted);
            return;
        }
        const WriteResult theirs = theCase().theirs(other.writer);
        ASSERT_TRUE(theirs.ok) << theirs.error;
        const QMap<QString, QStringList> left = db.snapshot();
        ok->click();
        ASSERT_EQ(messages.boxes(), QStringList{"Payroll|Information|Ok|" + theCase().refusal});
        EXPECT_NE(window.result(), QDialog::Accepted);
        EXPECT_EQ(db.snapshot(), left);
        EXPECT_EQ(box->text(), typed);
        if (theCase().window != Window::New)
            expectJc1Cancelled(theCase().theyCancel); // the register shows it already
    }

    int jc1Row() const { return gridRow(*master->flexMaster, 1, "JC1"); }

    void expectJc1Cancelled(bool cancelled) {
        const int row = jc1Row();
        EXPECT_EQ(master->flexMaster->textMatrix(row, 6), cancelled ? "Yes" : "No");
        EXPECT_EQ(master->flexMaster->rowForeColor(row) == QColor(255, 0, 0), cancelled);
    }

    OtherClerk other{db.another()};
};

TEST_P(OtherClerkCommits, OkIsRefusedOnlyAfterTheirCommit) {
    const Case& c = theCase();
    if (c.window == Window::New) {
        newJobChange([this](frmGrade& form) {
            ashaPromoted(form);
            press(form, form.cmdOK, form.txtNewbasic, "1500.50");
        });
        return;
    }
    promoteAsha();
    if (c.window == Window::Edit) {
        editJobChange("JC1", [this](frmGrade& form) {
            press(form, form.cmdOK, form.txtNewbasic, "1600.00");
        });
    } else {
        master->flexMaster->selectRowAcross(jc1Row());
        messages.answer(ui::MsgAnswer::Yes);
        modal.thenOn<frmCancel>([this](frmCancel& window) {
            press(window, window.cmdOK, window.txtcanreason, "mine");
        });
        master->CmdDelete_Click();
    }
    expectJc1Cancelled(theyCommit() ? c.theyCancel : c.window == Window::Cancel);
}

INSTANTIATE_TEST_SUITE_P(, OtherClerkCommits,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Refused" : "GoesThrough");
                         });

// The other clerk commits a change while this clerk's window is reading what it shows, and undoes
// it before Ok: the window showed values the database never held together, and Ok is refused
// rather than storing them as the old pay.
class ChangedWhileTheWindowReads : public RegisterDriven {
protected:
    // Runs their step once, before this clerk's connection sends a select from the table.
    void whenReading(const QString& logical, std::function<void()> theirs) {
        pending_ = std::move(theirs);
        db.db().setStatementHook([this, table = physical(logical)](const QString& sql) {
            if (sql.trimmed().startsWith("select") && sql.contains(table)) {
                ChangedWhileTheWindowReads* self = this; // the hook, and what it holds, goes next
                self->db.db().setStatementHook({});
                self->pending_();
            }
        });
    }
    // Ok after the undo: refused with the message, every table as it was before Ok.
    void expectOkRefused(frmGrade& form, const QString& message) {
        db.db().setStatementHook({});
        const QMap<QString, QStringList> before = db.snapshot();
        messages.clear();
        form.cmdOK->click();
        EXPECT_EQ(messages.texts(), QStringList{message});
        EXPECT_NE(form.result(), QDialog::Accepted);
        EXPECT_EQ(db.snapshot(), before);
    }
    static void ok(const WriteResult& result) { ASSERT_TRUE(result.ok) << result.error; }

    OtherClerk other{db.another()};
    std::function<void()> pending_;
};

TEST_F(ChangedWhileTheWindowReads, NewIsRefusedAfterTheirRaiseAndItsUndo) {
    jobchange::JobChangeDraft raise; // House Rent 5000 to 6000, nothing else
    raise.employeeId = 1;
    raise.oldDesignationId = raise.newDesignationId = 1;
    raise.oldBasic = raise.newBasic = money("20000");
    raise.date = QDate(2003, 2, 14);
    raise.linesOf(LineKind::Allowance) = {line(1, 'O', 5000, 6000), line(2, 'O', 800, 800)};
    raise.linesOf(LineKind::Deduction) = {line(1, 'O', 1200, 1200)};
    newJobChange([&](frmGrade& form) {
        // The master is read before their commit, the allowances after it.
        whenReading("pempallowances", [&] { ok(other.writer.saveNew(raise)); });
        ashaPromoted(form);
        EXPECT_EQ(rowOf(form.lvwAllow, "House Rent")->text(revcol::OldAmount), "6000.00");
        EXPECT_EQ(form.txtOldBasic->text(), "20000.00");
        ok(other.writer.cancel(1, "undone"));
        expectOkRefused(form, jobchange::kEmployeeChangedMessage);
    });
}

TEST_F(ChangedWhileTheWindowReads, EditIsRefusedAfterTheirEditAndItsUndo) {
    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
    });
    reloadRegister();
    jobchange::JobChangeDraft theirs = ::ashaPromoted();
    theirs.linesOf(LineKind::Allowance)[0] = line(1, 'O', 5000, 5600);
    // The header is read before their edit, the allowance lines after it.
    whenReading("pempgcAllowance", [&] { ok(other.writer.saveEdit(1, theirs)); });
    editJobChange("JC1", [&](frmGrade& form) {
        EXPECT_EQ(rowOf(form.lvwAllow, "House Rent")->text(revcol::RevisedAmount), "5600.00");
        ok(other.writer.saveEdit(1, ::ashaPromoted()));
        form.txtNewbasic->setText("1600.00");
        expectOkRefused(form, jobchange::kJobChangeChangedMessage);
    });
}

} // namespace
