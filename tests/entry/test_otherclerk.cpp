// Another clerk commits, on a connection of their own, while this clerk's window is open: the
// window's action is refused with its message and leaves every table as the other clerk left it;
// without the other clerk's commit the same action goes through.

#include "cancel/frmcancel.h"
#include "data/money.h"
#include "entry/entryfixture.h"
#include "jobchange/jobchangeservice.h"

#include <QPushButton>
#include <type_traits>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

namespace {

using jobchange::DraftLine;
using jobchange::JobChangeDraft;

// A second clerk on the test's database.
class OtherClerk {
public:
    explicit OtherClerk(const TestDatabase& db)
        : connection_(std::make_shared<data::Connection>()) {
        const QStringList where = db.hostArguments();
        if (where[0] == "--pg")
            connection_->openPostgres(where[1]);
        else if (where[0] == "--odbc")
            connection_->openOdbc(where[1]);
        else
            connection_->openSqlite(where[1]);
        service_.emplace(
            jobchange::Workspace::open(connection_, 1, 2, 91004, QDate(2003, 2, 14), "Payroll"));
    }
    ~OtherClerk() { connection_->close(); }

    const jobchange::JobChangeService& service() const { return *service_; }

    void commit(const jobchange::WriteResult& r) const {
        ASSERT_TRUE(r.ok) << r.error.toStdString();
    }

private:
    data::ConnectionPtr connection_;
    std::optional<jobchange::JobChangeService> service_;
};

// An amount of whole cents in the type the service takes amounts in, double or exact.
template <class Amount = jobchange::Amount> Amount amount(double value) {
    if constexpr (std::is_same_v<Amount, double>)
        return value;
    else
        return *data::parseMoney(QString::number(value, 'f', 2), QLocale::c()).value;
}

DraftLine line(qint64 type, char letter, double oldAmount, double revised) {
    return {type, QLatin1Char(letter), amount(oldAmount), amount(revised)};
}

// Asha from one job to another on the process date, her lines kept as they stand.
JobChangeDraft ashaMoved(qint32 from, qint32 to, double basic, double newBasic,
                         std::vector<DraftLine> allowances) {
    JobChangeDraft draft;
    draft.employeeId = 1;
    draft.oldDesignationId = from;
    draft.newDesignationId = to;
    draft.oldBasic = amount(basic);
    draft.newBasic = amount(newBasic);
    draft.date = QDate(2003, 2, 14);
    draft.remarks = QStringLiteral("Moved by the other clerk");
    draft.linesOf(LineKind::Allowance) = std::move(allowances);
    draft.linesOf(LineKind::Deduction) = {line(1, 'O', 1200, 1200)};
    return draft;
}

// The parameter: whether the other clerk commits while the window is open.
class OtherClerkCommits : public RegisterDriven, public ::testing::WithParamInterface<bool> {
protected:
    // Asha promoted through the register (JC1): Officer on 1500.50 with House Rent 5500 and
    // Medical 300; the register reloaded on it.
    void promoteAsha() {
        newJobChange([](frmGrade& form) {
            ashaPromoted(form);
            form.cmdOK->click();
        });
        ASSERT_EQ(query(db, "select egcNo from pay_employeegradechange"), QStringList{"JC1"});
        reloadRegister();
        messages.clear();
    }
    // Her next job change, by the other clerk: back to Clerk, a raise, her lines kept.
    JobChangeDraft ashaMovedBack() const {
        return ashaMoved(2, 1, 1500.5, 1600, {line(1, 'O', 5500, 5500), line(3, 'O', 300, 300)});
    }
    int rowOf(const QString& number) const {
        int row = 1;
        while (row < master->flexMaster->rows() && master->flexMaster->textMatrix(row, 1) != number)
            ++row;
        return row;
    }

    // Presses the window's button, the other clerk's commit made first when the parameter says
    // so: then it is refused with the message, the window stays open and the tables are as the
    // other clerk left them; else it goes through.
    void press(QPushButton* ok, const QDialog& window, const std::function<void()>& otherCommit,
               const QString& refusal) {
        messages.clear();
        if (!GetParam()) {
            ok->click();
            EXPECT_EQ(messages.texts(), QStringList{});
            EXPECT_EQ(window.result(), QDialog::Accepted);
            return;
        }
        otherCommit();
        const QMap<QString, QStringList> left = db.snapshot();
        ok->click();
        ASSERT_EQ(messages.texts(), QStringList{refusal});
        EXPECT_EQ(messages.shown[0].title, "Payroll");
        EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Information);
        EXPECT_EQ(messages.shown[0].buttons, ui::MsgButtons::Ok);
        EXPECT_NE(window.result(), QDialog::Accepted);
        EXPECT_EQ(db.snapshot(), left);
    }

    // Delete on the job change's row, answered Yes, then the step on the cancellation window.
    void cancelJobChange(const QString& number, const std::function<void(frmCancel&)>& step) {
        master->flexMaster->selectRowAcross(rowOf(number));
        messages.answer(ui::MsgAnswer::Yes);
        modal.then([step](QDialog& dialog) {
            step(dynamic_cast<frmCancel&>(dialog));
            return dialog.result();
        });
        master->CmdDelete_Click();
    }

    void expectRowCancelled(const QString& number, bool cancelled) {
        const int row = rowOf(number);
        EXPECT_EQ(master->flexMaster->textMatrix(row, 6), cancelled ? "Yes" : "No");
        EXPECT_EQ(master->flexMaster->rowForeColor(row) == QColor(255, 0, 0), cancelled);
    }

    OtherClerk other{db};
};

INSTANTIATE_TEST_SUITE_P(, OtherClerkCommits, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Refused" : "GoesThrough"; });

// Both pick Asha; the other clerk saves first.
TEST_P(OtherClerkCommits, NewForAnEmployeeTheOtherClerkJustMovedIsRefused) {
    newJobChange([this](frmGrade& form) {
        ashaPromoted(form);
        press(
            form.cmdOK, form,
            [this] {
                other.commit(other.service().saveNew(ashaMoved(
                    1, 2, 20000, 22000, {line(1, 'O', 5000, 5100), line(2, 'O', 800, 800)})));
            },
            "Employee changed by another user, select the employee again");
        if (GetParam()) {
            EXPECT_EQ(form.cboEmployee->currentText().left(4), "Asha");
            EXPECT_EQ(form.txtNewbasic->text(), "1500.50");
            EXPECT_EQ(form.lvwAllow->topLevelItemCount(), 3);
        }
    });
    EXPECT_EQ(query(db, "select count(*) from pay_employeegradechange"), QStringList{"1"});
}

// The other clerk dates Asha's move after the process date: she may no longer be picked.
TEST_P(OtherClerkCommits, NewForAnEmployeeNoLongerEligibleIsRefused) {
    newJobChange([this](frmGrade& form) {
        ashaPromoted(form);
        press(
            form.cmdOK, form,
            [this] {
                JobChangeDraft later = ashaMoved(
                    1, 2, 20000, 22000, {line(1, 'O', 5000, 5000), line(2, 'O', 800, 800)});
                later.date = QDate(2003, 3, 1);
                other.commit(other.service().saveNew(later));
            },
            "Employee changed by another user, select the employee again");
    });
}

TEST_P(OtherClerkCommits, CancellingWhatTheOtherClerkCancelledIsRefusedAndTheRowTurnsRed) {
    promoteAsha();
    cancelJobChange("JC1", [this](frmCancel& window) {
        window.txtcanreason->setText("mine");
        press(
            window.cmdOK, window, [this] { other.commit(other.service().cancel(1, "theirs")); },
            "Job change already cancelled by another user");
        if (GetParam()) {
            EXPECT_EQ(window.txtcanreason->text(), "mine");
            expectRowCancelled("JC1", true);
        }
    });
    expectRowCancelled("JC1", true);
}

TEST_P(OtherClerkCommits, CancellingUnderALaterJobChangeIsRefused) {
    promoteAsha();
    cancelJobChange("JC1", [this](frmCancel& window) {
        window.txtcanreason->setText("mine");
        press(
            window.cmdOK, window,
            [this] { other.commit(other.service().saveNew(ashaMovedBack())); },
            "Can not delete, Succeeding transaction exists");
    });
    expectRowCancelled("JC1", !GetParam());
}

TEST_P(OtherClerkCommits, EditingUnderALaterJobChangeIsRefused) {
    promoteAsha();
    editJobChange("JC1", [this](frmGrade& form) {
        form.txtNewbasic->setText("1600.00");
        press(
            form.cmdOK, form, [this] { other.commit(other.service().saveNew(ashaMovedBack())); },
            "Can not save, Succeeding transaction exists");
    });
}

TEST_P(OtherClerkCommits, EditingWhatTheOtherClerkCancelledIsRefusedAndTheRowTurnsRed) {
    promoteAsha();
    editJobChange("JC1", [this](frmGrade& form) {
        form.txtNewbasic->setText("1600.00");
        press(
            form.cmdOK, form, [this] { other.commit(other.service().cancel(1, "theirs")); },
            "Job change already cancelled by another user");
        if (GetParam()) {
            EXPECT_EQ(form.txtNewbasic->text(), "1600.00");
            expectRowCancelled("JC1", true);
        }
    });
    expectRowCancelled("JC1", GetParam());
}

TEST_P(OtherClerkCommits, EditingWhatTheOtherClerkEditedIsRefused) {
    promoteAsha();
    editJobChange("JC1", [this](frmGrade& form) {
        form.txtRemarks->setText("Mine");
        press(
            form.cmdOK, form,
            [this] {
                JobChangeDraft theirs = ashaMoved(
                    1, 2, 20000, 1500.5,
                    {line(1, 'O', 5000, 5500), line(2, 'R', 800, 800), line(3, 'N', 0, 300)});
                theirs.remarks = "Theirs";
                other.commit(other.service().saveEdit(1, theirs));
            },
            "Job change changed by another user, open it again");
    });
    EXPECT_EQ(query(db, "select egcremarks from pay_employeegradechange"),
              QStringList{GetParam() ? "Theirs" : "Mine"});
}

} // namespace
