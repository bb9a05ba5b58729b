// A failure at each write of a save (new and edit, with and without lines, lines unchecked and
// added) and of a cancellation leaves the database exactly as it was and is reported; a save
// that loses a race is tried again and gets through, up to its bound.

#include "cancel/frmcancel.h"
#include "entry/entryfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <iostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

namespace {

int faultsInjected = 0;

class Faults : public RegisterDriven {
protected:
    void SetUp() override {
        RegisterDriven::SetUp();
        // Eli: a Clerk with no standing lines.
        data.insert("pemployee",
                    "eCompanyID, eEmpID, eempno, eName, eDesigID, eGradeID, eBasic, ecurrencyid, "
                    "eActive",
                    {"1, 5, 'E005', 'Eli', 1, 1, 16000, 1, 1"});
        data.insert("pusers", "companyid, userid, username", {"1, 1, 'Admin'"});
    }

    // Makes write k of the attempt fail, for k = 1, 2, ... until an attempt gets through. Each
    // failed attempt must be reported with the failure's text and leave the database, the
    // register and the window as they were. Returns the number of failures injected.
    int failEachWrite(const std::function<bool()>& attempt, const QString& what) {
        const QMap<QString, QStringList> before = db.snapshot();
        const int registerRows = master->flexMaster->rows();
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE((what + QStringLiteral(", write %1").arg(failAt)).toStdString());
            int writes = 0;
            const QString injected = QStringLiteral("Disk full at write %1").arg(failAt);
            db.db().setWriteHook([&](const QString&) {
                if (++writes == failAt)
                    throw data::DbError(data::kErrGeneric, "test", injected);
            });
            messages.clear();
            const bool through = attempt();
            db.db().setWriteHook({});
            if (writes < failAt) {
                EXPECT_TRUE(through);
                EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
                EXPECT_NE(db.snapshot(), before);
                faultsInjected += failAt - 1;
                return failAt - 1;
            }
            EXPECT_FALSE(through);
            EXPECT_EQ(messages.texts(), QStringList{injected});
            EXPECT_EQ(db.snapshot(), before);
            EXPECT_FALSE(db.db().inTransaction());
            EXPECT_EQ(master->flexMaster->rows(), registerRows);
            if (failAt > 40 || HasFatalFailure()) {
                ADD_FAILURE() << "never got through";
                return failAt;
            }
        }
    }

    static bool save(frmGrade& form) {
        form.cmdOK->click();
        return form.result() == QDialog::Accepted;
    }

    // Delete on the job change's row, answered Yes, with the window's OK pressed until it
    // closes.
    int cancelFailingEachWrite(const QString& number) {
        ui::FlexGrid* grid = master->flexMaster;
        for (int row = 1; row < grid->rows(); ++row)
            if (grid->textMatrix(row, 1) == number)
                grid->selectRowAcross(row);
        int injected = 0;
        messages.answer(ui::MsgAnswer::Yes);
        modal.then([&](QDialog& dialog) {
            auto& window = static_cast<frmCancel&>(dialog);
            messages.clear();
            injected = failEachWrite(
                [&] {
                    window.txtcanreason->setText(QStringLiteral("withdrawn"));
                    window.cmdOK->click();
                    return window.result() == QDialog::Accepted;
                },
                QStringLiteral("cancelling ") + number);
            return window.result();
        });
        master->CmdDelete->click();
        return injected;
    }

    QString headerOf(const QString& number, const QString& columns) const {
        return query(db, "select " + columns + " from pay_employeegradechange where egcNo = '" +
                             number + "'")
            .join(';');
    }
};

TEST_F(Faults, ANewSaveWithoutLinesAndItsCancellation) {
    int saveFaults = 0;
    newJobChange([&](frmGrade& form) {
        pick(form, "Eli");
        ASSERT_EQ(form.lvwAllow->topLevelItemCount() + form.lvwDeduct->topLevelItemCount(), 0);
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
        form.txtNewbasic->setText(QStringLiteral("17000"));
        saveFaults = failEachWrite([&] { return save(form); }, "new save without lines");
    });
    // header, employee, and the two deletions of standing lines
    EXPECT_EQ(saveFaults, 4);
    EXPECT_EQ(headerOf("JC1", "egcEmpID, egcNewBasic"), "5|17000");

    // cancellation: mark, employee, and the two deletions
    EXPECT_EQ(cancelFailingEachWrite("JC1"), 4);
    EXPECT_EQ(headerOf("JC1", "egcCancelled, egcCancelledRemarks"), "1|Admin:withdrawn");
    EXPECT_EQ(query(db, "select eBasic, eDesigID from pay_employee where eEmpID = 5"),
              QStringList{"16000|1"});
}

TEST_F(Faults, ANewSaveThatDropsAndAddsLinesOfBothKindsAndItsCancellation) {
    int saveFaults = 0;
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form); // House Rent raised, Conveyance dropped, Medical added
        rowOf(form.lvwDeduct, "Provident Fund")->setCheckState(0, Qt::Unchecked);
        addRevisionRow(form.lvwDeduct, "Income Tax", "75.00", "2", "N", "0.00", "Rupee", true);
        saveFaults = failEachWrite([&] { return save(form); }, "new save");
    });
    // header, employee, 3 + 2 lines, 2 deletions, 2 + 1 standing lines
    EXPECT_EQ(saveFaults, 12);
    EXPECT_EQ(query(db, "select eddeductionid, edamount from pay_empdeductions where edempid = 1"),
              QStringList{"2|75"});

    // mark, employee, 2 deletions, House Rent and Conveyance, Provident Fund
    EXPECT_EQ(cancelFailingEachWrite("JC1"), 7);
    EXPECT_EQ(query(db, "select eaallowanceid, eaamount from pay_empallowances where eaempid = "
                        "1 order by eaallowanceid"),
              QStringList({"1|5000", "2|800"}));
    EXPECT_EQ(query(db, "select eddeductionid, edamount from pay_empdeductions where edempid = 1"),
              QStringList{"1|1200"});
}

TEST_F(Faults, AnEditThatUnchecksLinesAndAddsOne) {
    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
    });
    int editFaults = 0;
    editJobChange("JC1", [&](frmGrade& form) {
        rowOf(form.lvwAllow, "House Rent")->setCheckState(0, Qt::Unchecked);
        rowOf(form.lvwDeduct, "Provident Fund")->setCheckState(0, Qt::Unchecked);
        addRevisionRow(form.lvwDeduct, "Income Tax", "90.00", "2", "N", "0.00", "Rupee", true);
        form.txtNewbasic->setText(QStringLiteral("1600"));
        editFaults = failEachWrite([&] { return save(form); }, "edit");
    });
    // header, employee, 2 deletions and 3 + 2 lines, 2 deletions and 1 + 1 standing lines
    EXPECT_EQ(editFaults, 13);
    EXPECT_EQ(query(db, "select egcaallowanceid, egcatype from pay_empgcallowance order by "
                        "egcaallowanceid"),
              QStringList({"1|R", "2|R", "3|N"}));
    EXPECT_EQ(query(db, "select egcddeductionid, egcdtype from pay_empgcdeductions order by "
                        "egcddeductionid"),
              QStringList({"1|R", "2|N"}));
    EXPECT_EQ(query(db, "select eaallowanceid from pay_empallowances where eaempid = 1"),
              QStringList{"3"});
    EXPECT_EQ(query(db, "select eddeductionid, edamount from pay_empdeductions where edempid = 1"),
              QStringList{"2|90"});
    EXPECT_EQ(query(db, "select eBasic from pay_employee where eEmpID = 1"), QStringList{"1600"});
}

TEST_F(Faults, AnEditOfAJobChangeWithoutLines) {
    newJobChange([](frmGrade& form) {
        pick(form, "Eli");
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
        form.txtNewbasic->setText(QStringLiteral("17000"));
        form.cmdOK->click();
    });
    int editFaults = 0;
    editJobChange("JC1", [&](frmGrade& form) {
        form.txtRemarks->setText(QStringLiteral("Corrected"));
        editFaults = failEachWrite([&] { return save(form); }, "edit without lines");
    });
    // header, employee, 2 deletions of the job change's lines, 2 of the standing lines
    EXPECT_EQ(editFaults, 6);
    EXPECT_EQ(headerOf("JC1", "egcremarks"), "Corrected");
}

// The server itself refuses a statement halfway through the save or the cancellation (the
// deduction table has gone away): everything written before it is taken back, whatever the
// server does with a failed transaction.
TEST_F(Faults, AStatementTheServerRefusesHalfwayTakesTheWholeSaveBack) {
    const QMap<QString, QStringList> before = db.snapshot();
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        db.exec("alter table pay_empdeductions rename to pay_empdeductions_away");
        EXPECT_FALSE(save(form));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_FALSE(messages.shown[0].text.isEmpty());
        EXPECT_FALSE(db.db().inTransaction());
        ++faultsInjected;
        db.exec("alter table pay_empdeductions_away rename to pay_empdeductions");
        EXPECT_EQ(db.snapshot(), before);
        EXPECT_EQ(master->flexMaster->textMatrix(1, 1), "");
        messages.clear();
        EXPECT_TRUE(save(form));
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(master->flexMaster->textMatrix(1, 1), "JC1");

    // The same in the cancellation, which restores the deductions last.
    const QMap<QString, QStringList> saved = db.snapshot();
    master->flexMaster->selectRowAcross(1);
    messages.answer(ui::MsgAnswer::Yes);
    modal.then([&](QDialog& dialog) {
        auto& window = static_cast<frmCancel&>(dialog);
        db.exec("alter table pay_empdeductions rename to pay_empdeductions_away");
        messages.clear();
        window.txtcanreason->setText(QStringLiteral("withdrawn"));
        window.cmdOK->click();
        EXPECT_EQ(window.result(), QDialog::Rejected);
        EXPECT_EQ(messages.shown.size(), 1u);
        ++faultsInjected;
        db.exec("alter table pay_empdeductions_away rename to pay_empdeductions");
        EXPECT_EQ(db.snapshot(), saved);
        window.cmdOK->click();
        return window.result();
    });
    master->CmdDelete->click();
    EXPECT_EQ(master->flexMaster->textMatrix(1, 6), "Yes");
    EXPECT_EQ(query(db, "select eBasic from pay_employee where eEmpID = 1"), QStringList{"20000"});
}

// A lost race (the id or number taken meanwhile, or the database locked) is tried again with
// fresh numbers and gets through without troubling the clerk; one that keeps losing is
// reported after the bound, with nothing written.
TEST_F(Faults, ASaveThatLosesARaceIsTriedAgainUpToItsBound) {
    data.jobChange(7, "JC7", "2003-01-10", 2, false, 2, 2);
    reloadRegister();
    const QMap<QString, QStringList> before = db.snapshot();
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        int attempts = 0;
        db.db().setWriteHook([&](const QString& sql) {
            if (sql.startsWith("insert into pay_employeegradechange"))
                ++attempts;
            throw data::DbError(data::kErrIntegrityViolation, "test", "duplicate key");
        });
        form.cmdOK->click();
        db.db().setWriteHook({});
        EXPECT_EQ(attempts, 5);
        EXPECT_EQ(form.intSaveRetries, 4);
        EXPECT_EQ(messages.texts(), QStringList{"duplicate key"});
        EXPECT_EQ(db.snapshot(), before);
        faultsInjected += attempts;

        // Lost at a later write: the whole save is done again, numbered afresh.
        messages.clear();
        int writes = 0;
        db.db().setWriteHook([&](const QString&) {
            if (++writes == 5)
                throw data::DbError(data::kErrLockConflict, "test", "database is locked");
        });
        form.cmdOK->click();
        db.db().setWriteHook({});
        ++faultsInjected;
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(form.intSaveRetries, 1);
        EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    });
    EXPECT_EQ(headerOf("JC8", "egcId, egcEmpID"), "8|1");
    EXPECT_EQ(query(db, "select count(*) from pay_empgcallowance where egcagcid = 8"),
              QStringList{"3"});
    ui::FlexGrid* grid = master->flexMaster;
    EXPECT_EQ(grid->rows(), 3);
    EXPECT_EQ(grid->textMatrix(2, 1), "JC8");

    // An edit is never numbered: its integrity violation is reported at once.
    editJobChange("JC8", [&](frmGrade& form) {
        messages.clear();
        db.db().setWriteHook([](const QString&) {
            throw data::DbError(data::kErrIntegrityViolation, "test", "duplicate key");
        });
        form.txtRemarks->setText(QStringLiteral("Corrected"));
        form.cmdOK->click();
        db.db().setWriteHook({});
        ++faultsInjected;
        EXPECT_EQ(form.intSaveRetries, 0);
        EXPECT_EQ(messages.texts(), QStringList{"duplicate key"});
    });
}

// A writer kept waiting for a lock past its patience is told so by the lock-conflict number, the
// one a save tries again on.
TEST(LockConflicts, AWriterThatCannotHaveTheLockGetsTheLockConflictNumber) {
    TestDatabase db;
    db.exec("insert into pay_users (companyid, userid, username) values (1, 1, 'Admin')");
    const QString update = "update pay_users set username = 'x' where userid = 1";
    data::Connection waiting;
    if (db.isPostgres()) {
        waiting.openPostgres(qEnvironmentVariable("QUORVEL_TEST_PG") +
                             " dbname=" + db.db().database().databaseName());
        waiting.execute("set lock_timeout = '50ms'");
    } else {
        waiting.openOdbc("Driver=SQLite3;Database=" + db.sqlitePath() + ";Timeout=50");
    }
    db.db().beginTrans();
    db.exec(update);
    try {
        waiting.beginTrans();
        waiting.execute(update);
        ADD_FAILURE() << "the second writer was not kept waiting";
    } catch (const data::DbError& error) {
        EXPECT_EQ(error.number(), data::kErrLockConflict) << error.description().toStdString();
    }
    waiting.rollbackTrans();
    db.db().rollbackTrans();
    ++faultsInjected;
}

class FaultFigures : public ::testing::Environment {
public:
    void TearDown() override {
        std::cout << "faults injected " << faultsInjected << ", every one reported or retried, "
                  << "nothing left behind" << std::endl;
    }
};
const auto* const figures = ::testing::AddGlobalTestEnvironment(new FaultFigures);

} // namespace
