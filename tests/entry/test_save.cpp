#include "entryfixture.h"
#include "jobchange/registerload.h"
#include "shared/formroutines.h"
#include "support/hooks.h"

#include <QSemaphore>
#include <QSet>
#include <optional>

namespace {

class SaveJobChange : public RegisterDriven {
protected:
    // A save failing at its first write, and then at COMMIT, shows the error and leaves the
    // database, the window and its lists as they were; the next Ok saves and closes the window.
    void failOnceThenSave(frmGrade& form) {
        form.show();
        const QMap<QString, QStringList> before = db.snapshot();
        const QStringList allowances = rows(form.lvwAllow);
        for (const bool atCommit : {false, true}) {
            messages.clear();
            hookWrites(db.db(), [atCommit](const QString& sql) {
                if (!atCommit || sql == "commit")
                    throw data::DbError(data::kErrGeneric, "test", "Injected failure");
            });
            form.cmdOK->click();
            db.db().setStatementHook({});
            EXPECT_EQ(messages.texts(), QStringList({"Injected failure"}));
            EXPECT_EQ(db.snapshot(), before);
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(rows(form.lvwAllow), allowances);
        }
        messages.clear();
        form.cmdOK->click();
        EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n');
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }

    QStringList header() const {
        return db.rows("select egcId, egcNo, egcDate, egcEmpID, egcOldDesigID, egcOldGradeID, "
                       "egcOldBasic, egcNewDesigID, egcNewGradeID, egcNewBasic, egcremarks, "
                       "egcCancelled from pay_employeegradechange");
    }
};

TEST_F(SaveJobChange, ANewSaveAndItsEditsWriteWhatTheWindowShows) {
    newJobChange([](frmGrade& form) { form.cmdCancel->click(); });
    EXPECT_TRUE(messages.shown.empty()) << "a freshly loaded window closes at once";
    QString houseRent, conveyance; // list positions, in the order the server gave
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        houseRent = rowOf(form.lvwAllow, "House Rent")->text(revcol::SlNo);
        conveyance = rowOf(form.lvwAllow, "Conveyance")->text(revcol::SlNo);
        failOnceThenSave(form);
    });
    EXPECT_EQ(header(), QStringList({"1|JC1|2003-02-14|1|1|1|20000|2|2|1500.5|Promoted|0"}));
    EXPECT_EQ(db.rows("select egcaallowanceid, egcadetailid, egcatype, egcaoldamount, "
                      "egcarevamount from pay_empgcallowance where egcacompanyid = 1 and "
                      "egcagcid = 1 order by egcaallowanceid"),
              QStringList({"1|" + houseRent + "|O|5000|5500", "2|" + conveyance + "|R|800|800",
                           "3|3|N|0|300"}));
    ui::FlexGrid* grid = master->flexMaster;
    ASSERT_EQ(grid->rows(), 2);
    EXPECT_EQ(grid->textMatrix(1, 1) + grid->textMatrix(1, 3), "JC1Asha");

    // Opened again, the stored lines come back ("R" as an unchecked "O") and save unchanged;
    // closing after a change asks, and No discards it.
    QMap<QString, QStringList> saved = db.snapshot();
    editJobChange("JC1", [](frmGrade& form) {
        EXPECT_FALSE(fnFormChanged(&form));
        EXPECT_EQ(rowOf(form.lvwAllow, "Conveyance")->text(revcol::Letter), "O");
        EXPECT_EQ(rowOf(form.lvwAllow, "Conveyance")->checkState(0), Qt::Unchecked);
        form.cmdOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n');
    // Nothing changes but the audit trail, which records that the job change was saved again.
    QMap<QString, QStringList> resaved = db.snapshot();
    EXPECT_EQ(resaved.take("pay_audittrail").size(), 2);
    saved.remove("pay_audittrail");
    EXPECT_EQ(resaved, saved);
    saved = db.snapshot();

    editJobChange("JC1", [this](frmGrade& form) {
        form.txtRemarks->setText(QStringLiteral("Second thoughts"));
        messages.answer(ui::MsgAnswer::No);
        form.cmdCancel->click();
    });
    EXPECT_EQ(messages.boxes(), QStringList({"Payroll|Information|YesNo|Save Changes?"}));
    EXPECT_EQ(db.snapshot(), saved);

    // The edit keeps the number, date and old job and rewrites the rest.
    editJobChange("JC1", [&](frmGrade& form) {
        form.dtpGDate->setDate(QDate(2003, 3, 1));
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(1));
        form.txtNewbasic->setText(QStringLiteral("21000"));
        form.txtRemarks->setText(QStringLiteral("Corrected"));
        rowOf(form.lvwAllow, "House Rent")->setText(revcol::RevisedAmount, "6000.00");
        rowOf(form.lvwAllow, "Conveyance")->setCheckState(0, Qt::Checked);
        failOnceThenSave(form);
    });
    EXPECT_EQ(header(), QStringList({"1|JC1|2003-02-14|1|1|1|20000|1|1|21000|Corrected|0"}));
    EXPECT_EQ(db.rows("select eaallowanceid, eaamount from pay_empallowances where eaempid = 1 "
                      "order by eaallowanceid"),
              QStringList({"1|6000", "2|800", "3|300"}));
    EXPECT_EQ(grid->textMatrix(1, 5), "Junior Clerk") << "the register row rewritten";
}

// Rows of a register longer than its first screen: 230 dated 2004 and 30 dated 2002, so that
// the older rows still to be read span 2003-02-14, the date of the job change Asha's promotion
// saves.
void addOlderRows(TestDatabase& db) {
    QStringList older;
    for (int id = 1; id <= 260; ++id)
        older << QStringLiteral("%1, 1, 'OLD%1', '%2-01-%3', 4, 1, 1, 15000, 1, 1, 15000, "
                                "'Old', 1, null")
                     .arg(id)
                     .arg(id <= 30 ? 2002 : 2004)
                     .arg(id % 28 + 1, 2, 10, QLatin1Char('0'));
    data::TransactionGuard rows(db.db());
    db.insert("pEmployeegradeChange", older);
    rows.commit();
}

// Holds the register's load where it has let go of the database, until released.
class LoadHeld {
public:
    LoadHeld() {
        jobchange::RegisterLoad::setBetweenReadsHook([this](bool) {
            held_.release();
            go_.tryAcquire(1, 60000);
        });
    }
    ~LoadHeld() {
        jobchange::RegisterLoad::setBetweenReadsHook({});
        go_.release(100);
    }
    // Whether the load came to hold there (only where readers keep writers out).
    bool reached() { return held_.tryAcquire(1, 60000); }
    void release() { go_.release(100); }

private:
    QSemaphore held_;
    QSemaphore go_;
};

// The clerk saves while the register still reads its older rows, and the new job change's date
// falls among them. On SQLite's rollback journal the load lets go of the database between its
// reads, so the save goes through at once instead of failing with "database is locked" after
// the busy timeout; on a server the load reads one snapshot. Either way the job change is
// listed once, last and selected.
TEST_F(SaveJobChange, AJobChangeSavedWhileTheRegisterReadsIsListedOnce) {
    addOlderRows(db);
    std::optional<LoadHeld> held;
    if (jobchange::RegisterLoad::readsInShortTransactions(db.db()))
        held.emplace();
    reloadRegister();
    if (held) {
        ASSERT_TRUE(held->reached()) << "the load never let go of the database";
    }
    ASSERT_TRUE(master->loading());
    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n');
    if (held)
        held->release();
    master->completeLoad();
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n');
    ui::FlexGrid& grid = *master->flexMaster;
    const QStringList numbers = gridColumn(grid, 1);
    EXPECT_EQ(numbers.size(), 261);
    EXPECT_EQ(numbers.count("JC1"), 1);
    EXPECT_EQ(numbers.count("OLD1"), 1);
    EXPECT_EQ(numbers.count("OLD31"), 1);
    EXPECT_EQ(grid.textMatrix(grid.row(), 1), "JC1");
    EXPECT_EQ(grid.row(), grid.rows() - 1);
}

// Another program holds SQLite's exclusive lock as a short read begins: the read is refused,
// lets the writer through, and starts again where it stopped; every row is listed once.
TEST_F(SaveJobChange, ARegisterReadLockedOutByAWriterTriesAgain) {
    if (!jobchange::RegisterLoad::readsInShortTransactions(db.db()))
        GTEST_SKIP() << "readers do not keep writers out here";
    addOlderRows(db);
    const auto openAnother = db.db().openerOfAnother();
    ASSERT_TRUE(openAnother);
    std::unique_ptr<data::Connection> writer;
    int lockedOut = 0;
    // Runs on the reading thread, which opens, uses and closes the writer's connection.
    jobchange::RegisterLoad::setBetweenReadsHook([&](bool refused) {
        if (refused) {
            ++lockedOut;
            if (writer) {
                writer->execute("COMMIT");
                writer.reset();
            }
        } else if (lockedOut == 0 && !writer) {
            writer = std::make_unique<data::Connection>();
            openAnother(*writer);
            writer->execute("BEGIN EXCLUSIVE");
        }
    });
    reloadRegister();
    master->completeLoad();
    jobchange::RegisterLoad::setBetweenReadsHook({});
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n');
    EXPECT_GE(lockedOut, 1);
    const QStringList numbers = gridColumn(*master->flexMaster, 1);
    EXPECT_EQ(numbers.size(), 260);
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), 260);
}

// A job date far after the process date is asked about once every other check has passed: No
// saves nothing and keeps the window open; Yes saves. A NUL character pasted into a box is
// refused with the box's name, and the box keeps its text.
TEST_F(SaveJobChange, AFarJobDateIsAskedAboutAndANulIsRefusedByItsBox) {
    const QString question = "Payroll|Question|YesNo|The job date is more than a year after the "
                             "process date. Save anyway?";
    newJobChange([&](frmGrade& form) {
        form.show();
        ashaPromoted(form);
        form.txtRemarks->insert(QString::fromUtf8("\0Injected", 9));
        EXPECT_EQ(messages.texts(),
                  QStringList{"Remarks: a NUL character cannot be saved; the text was not taken"});
        EXPECT_EQ(form.txtRemarks->text(), "Promoted");

        form.dtpGDate->setDate(QDate(2004, 2, 16)); // the process date is 2003-02-14
        form.txtNewbasic->clear();
        messages.clear();
        form.cmdOK->click();
        EXPECT_EQ(messages.texts(), QStringList{"enter new basic"}) << "asked only when all pass";
        form.txtNewbasic->setText("1500.50");
        const QMap<QString, QStringList> before = db.snapshot();
        messages.clear();
        messages.answer(ui::MsgAnswer::No);
        form.cmdOK->click();
        EXPECT_EQ(messages.boxes(), QStringList{question});
        EXPECT_EQ(db.snapshot(), before);
        EXPECT_TRUE(form.isVisible());
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    EXPECT_EQ(header(), QStringList({"1|JC1|2004-02-16|1|1|1|20000|2|2|1500.5|Promoted|0"}));
    const QMap<QString, QStringList> saved = db.snapshot();
    editJobChange("JC1", [&](frmGrade& form) {
        form.txtRemarks->setText("Checked");
        messages.clear();
        messages.answer(ui::MsgAnswer::No);
        form.cmdOK->click();
        EXPECT_EQ(messages.boxes(), QStringList{question});
        EXPECT_NE(form.result(), QDialog::Accepted);
    });
    EXPECT_EQ(db.snapshot(), saved);
}

} // namespace
