// Faults the entry and cancellation tests leave out, through the driver under test.

#include "cancel/frmcancel.h"
#include "entry/entryfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <gtest/gtest.h>
#include <iostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

namespace {

int faultsInjected = 0; // printed by the last test

class Faults : public RegisterDriven {
protected:
    // Fails the attempt by the server itself (the deduction table gone), then at write 1, 2, ...
    // until it gets through: each failure is reported and leaves the database and the register
    // as they were. Returns the writes failed in turn.
    int failEachWrite(const std::function<bool()>& attempt) {
        const QMap<QString, QStringList> before = db.snapshot();
        const int registerRows = master->flexMaster->rows();
        for (int failAt = 0; failAt <= 40; ++failAt) {
            SCOPED_TRACE(failAt);
            int writes = 0;
            const QString injected = QStringLiteral("Disk full at write %1").arg(failAt);
            db.db().setWriteHook([&](const QString&) {
                if (++writes == failAt)
                    throw data::DbError(data::kErrGeneric, "test", injected);
            });
            if (failAt == 0)
                db.exec("alter table pay_empdeductions rename to pay_empdeductions_away");
            messages.clear();
            const bool through = attempt();
            db.db().setWriteHook({});
            if (failAt == 0)
                db.exec("alter table pay_empdeductions_away rename to pay_empdeductions");
            if (failAt > 0 && writes < failAt) {
                EXPECT_TRUE(through) << messages.texts().join('\n').toStdString();
                return failAt - 1;
            }
            ++faultsInjected;
            EXPECT_FALSE(through);
            EXPECT_EQ(messages.texts(),
                      QStringList{failAt == 0 ? messages.texts().value(0) : injected});
            EXPECT_EQ(db.snapshot(), before);
            EXPECT_FALSE(db.db().inTransaction());
            EXPECT_EQ(master->flexMaster->rows(), registerRows);
        }
        return -1;
    }

    static bool save(frmGrade& form) {
        form.cmdOK->click();
        return form.result() == QDialog::Accepted;
    }
};

TEST_F(Faults, EachWriteOfANewSaveAnEditAndACancellationWithoutLines) {
    EXPECT_EQ(BasGrade().adocon.get(), &db.db()) << "the windows use the connection under test";
    std::array<int, 3> failures{};
    newJobChange([&](frmGrade& form) {
        pick(form, "Dina"); // no lines, her job inactive
        form.cboOldGrade->setCurrentIndex(form.cboOldGrade->findData(1));
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
        form.txtNewbasic->setText(QStringLiteral("17000"));
        failures[0] = failEachWrite([&] { return save(form); });
    });
    editJobChange("JC1", [&](frmGrade& form) {
        form.txtRemarks->setText(QStringLiteral("Corrected"));
        failures[1] = failEachWrite([&] { return save(form); });
    });
    master->flexMaster->selectRowAcross(1);
    messages.answer(ui::MsgAnswer::Yes);
    modal.then([&](QDialog& dialog) {
        auto& window = static_cast<frmCancel&>(dialog);
        window.txtcanreason->setText(QStringLiteral("withdrawn"));
        failures[2] = failEachWrite([&] {
            window.cmdOK->click();
            return window.result() == QDialog::Accepted;
        });
        return window.result();
    });
    master->CmdDelete->click();
    // new: header, employee, two deletions of standing lines; the edit also deletes its lines
    // twice; cancellation: mark, employee, two deletions
    EXPECT_EQ(failures, (std::array<int, 3>{4, 6, 4}));
    EXPECT_EQ(
        query(db, "select egcNewBasic, egcremarks, egcCancelled from pay_employeegradechange"),
        QStringList{"17000|Corrected|1"});
    EXPECT_EQ(query(db, "select eBasic, eDesigID from pay_employee where eEmpID = 4"),
              QStringList{"15000|1"});
}

// A new save that loses a race (number taken, database locked) is done again up to 4 times.
TEST_F(Faults, ASaveThatLosesARaceIsTriedAgainUpToItsBound) {
    const QMap<QString, QStringList> before = db.snapshot();
    int attempts = 0, writes = 0;
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        db.db().setWriteHook([&](const QString& sql) {
            attempts += sql.startsWith("insert into pay_employeegradechange");
            throw data::DbError(data::kErrIntegrityViolation, "test", "duplicate key");
        });
        EXPECT_FALSE(save(form));
        EXPECT_EQ(attempts, 5);
        EXPECT_EQ(form.intSaveRetries, 4);
        EXPECT_EQ(messages.texts(), QStringList{"duplicate key"});
        EXPECT_EQ(db.snapshot(), before);
        messages.clear();
        db.db().setWriteHook([&](const QString&) {
            if (++writes == 5)
                throw data::DbError(data::kErrLockConflict, "test", "database is locked");
        });
        EXPECT_TRUE(save(form));
        db.db().setWriteHook({});
        EXPECT_EQ(form.intSaveRetries, 1);
        EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    });
    faultsInjected += attempts + 1;
    std::cout << "faults injected " << faultsInjected
              << ", every one reported or retried, nothing left behind" << std::endl;
    EXPECT_EQ(query(db, "select count(*) from pay_empgcallowance where egcagcid = 1"),
              QStringList{"3"});
    EXPECT_EQ(master->flexMaster->textMatrix(1, 1), "JC1");
}

} // namespace
