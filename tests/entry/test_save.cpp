#include "entryfixture.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>

namespace {

class SaveJobChange : public RegisterDriven {
protected:
    QStringList header() const {
        return query(db, "select egcId, egcNo, egcDate, egcEmpID, egcOldDesigID, egcOldGradeID, "
                         "egcOldBasic, egcNewDesigID, egcNewGradeID, egcNewBasic, egcremarks, "
                         "egcCancelled from pay_employeegradechange order by egcId");
    }
};

TEST_F(SaveJobChange, ANewJobChangeIsRecordedAppliedAndListed) {
    int houseRent = 0, conveyance = 0, medical = 0, fund = 0;
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        houseRent = positionOf(form.lvwAllow, "House Rent");
        conveyance = positionOf(form.lvwAllow, "Conveyance");
        medical = positionOf(form.lvwAllow, "Medical");
        fund = positionOf(form.lvwDeduct, "Provident Fund");
        form.cmdOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    ASSERT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();

    EXPECT_EQ(header(), QStringList({"1|JC1|2003-02-14|1|1|1|20000|2|2|1500.5|Promoted|0"}));
    QStringList lines{QStringLiteral("%1|1|O|5000|5500").arg(houseRent),
                      QStringLiteral("%1|2|R|800|800").arg(conveyance),
                      QStringLiteral("%1|3|N|0|300").arg(medical)};
    lines.sort();
    EXPECT_EQ(query(db, "select egcadetailid, egcaallowanceid, egcatype, egcaoldamount, "
                        "egcarevamount from pay_empgcallowance where egcacompanyid = 1 and "
                        "egcagcid = 1 order by egcadetailid"),
              lines);
    EXPECT_EQ(query(db, "select egcddetailid, egcddeductionid, egcdtype, egcdoldamount, "
                        "egcdrevamount from pay_empgcdeductions where egcdgcid = 1"),
              QStringList({QStringLiteral("%1|1|O|1200|1200").arg(fund)}));

    EXPECT_EQ(query(db, "select eBasic, eGradeID, eDesigID from pay_employee where eEmpID = 1"),
              QStringList({"1500.5|2|2"}));
    QStringList standing{QStringLiteral("%1|1|5500").arg(houseRent),
                         QStringLiteral("%1|3|300").arg(medical)};
    standing.sort();
    EXPECT_EQ(query(db, "select eadetailid, eaallowanceid, eaamount from pay_empallowances "
                        "where eaempid = 1 order by eadetailid"),
              standing);
    EXPECT_EQ(query(db, "select edempid, eddeductionid, edamount from pay_empdeductions order "
                        "by edempid"),
              QStringList({"1|1|1200", "2|2|100"}))
        << "Bruno's lines are untouched";

    ui::FlexGrid* grid = master->flexMaster;
    EXPECT_EQ(grid->rows(), 2);
    EXPECT_EQ(grid->textMatrix(1, 0), "1");
    EXPECT_EQ(grid->textMatrix(1, 1), "JC1");
    EXPECT_EQ(grid->textMatrix(1, 3), "Asha");

    // The next one is numbered on and added below, selected.
    newJobChange([](frmGrade& form) {
        pick(form, "Bruno");
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(1));
        form.txtNewbasic->setText(QStringLiteral("2900"));
        form.cmdOK->click();
    });
    EXPECT_EQ(grid->rows(), 3);
    EXPECT_EQ(grid->textMatrix(2, 1), "JC2");
    EXPECT_EQ(grid->row(), 2);
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
}

// Makes the k-th write of each save fail until a save gets through; every failed attempt must
// leave the database exactly as it was and the window open with what the user entered.
// Returns the number of failed attempts.
int failEachWriteInTurn(TestDatabase& db, ScriptedMessages& messages, frmGrade& form) {
    const QMap<QString, QStringList> before = db.snapshot();
    const QStringList allowances = rows(form.lvwAllow);
    const QString basic = form.txtNewbasic->text();
    int failAt = 1;
    for (;; ++failAt) {
        int writes = 0;
        const QString injected = QStringLiteral("Injected failure of write %1").arg(failAt);
        db.db().setWriteHook([&](const QString&) {
            if (++writes == failAt)
                throw data::DbError(data::kErrGeneric, "test", injected);
        });
        messages.clear();
        form.cmdOK->click();
        db.db().setWriteHook({});
        if (writes < failAt)
            break; // every write went through
        EXPECT_EQ(messages.texts(), QStringList({injected}));
        EXPECT_EQ(db.snapshot(), before) << "after failing write " << failAt;
        EXPECT_FALSE(db.db().inTransaction());
        EXPECT_NE(form.cmdOK->property("tag").toString(), "Success");
        EXPECT_EQ(rows(form.lvwAllow), allowances);
        EXPECT_EQ(form.txtNewbasic->text(), basic);
        if (failAt > 50) {
            ADD_FAILURE() << "the save never got through";
            break;
        }
    }
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_NE(db.snapshot(), before);
    return failAt - 1;
}

TEST_F(SaveJobChange, AFailingWriteOfANewSaveLeavesNothingBehind) {
    int failed = 0;
    int finished = 0;
    newJobChange([&](frmGrade& form) {
        QObject::connect(&form, &QDialog::finished, [&] { ++finished; });
        ashaPromoted(form);
        failed = failEachWriteInTurn(db, messages, form);
    });
    // header, employee, 3 + 1 lines, 2 deletions and 2 + 1 standing lines
    EXPECT_EQ(failed, 11);
    EXPECT_EQ(finished, 1) << "the window stayed open until the save got through";
    EXPECT_EQ(master->flexMaster->rows(), 2);
    EXPECT_EQ(master->flexMaster->textMatrix(1, 1), "JC1");
    EXPECT_EQ(header().size(), 1);
}

TEST_F(SaveJobChange, AFailingWriteOfAnEditSaveLeavesNothingBehind) {
    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
    });
    int failed = 0;
    editJobChange("JC1", [&](frmGrade& form) {
        rowOf(form.lvwAllow, "House Rent")->setText(revcol::RevisedAmount, "6000.00");
        form.txtRemarks->setText(QStringLiteral("Corrected"));
        failed = failEachWriteInTurn(db, messages, form);
    });
    // header, employee, 2 deletions and 3 + 1 lines, 2 deletions and 2 + 1 standing lines
    EXPECT_EQ(failed, 13);
    EXPECT_EQ(master->flexMaster->rows(), 2);
}

TEST_F(SaveJobChange, ACommitThatFailsTakesTheRegisterRowBackToo) {
    if (db.isPostgres())
        GTEST_SKIP() << "the failing commit is staged with SQLite's deferred keys";
    // Every write goes through; the commit then finds a deferred key unsatisfied.
    db.exec("PRAGMA foreign_keys = ON");
    db.exec("create table staged_parent (id integer primary key)");
    db.exec("create table staged_child (parent integer references staged_parent (id) "
            "deferrable initially deferred)");
    db.exec("create trigger staged_failure after insert on pay_empdeductions begin insert into "
            "staged_child values (99); end");
    const QMap<QString, QStringList> before = db.snapshot();
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(db.snapshot(), before);
        EXPECT_EQ(master->flexMaster->rows(), 2);
        EXPECT_EQ(master->flexMaster->textMatrix(1, 0), "");
        EXPECT_EQ(master->flexMaster->textMatrix(1, 1), "");
        db.exec("drop trigger staged_failure");
        messages.clear();
        form.cmdOK->click();
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(master->flexMaster->textMatrix(1, 1), "JC1");
}

TEST_F(SaveJobChange, ClosingAsksToSaveOnlyWhenAFieldChanged) {
    // A freshly loaded window closes at once.
    newJobChange([](frmGrade& form) { form.cmdCancel->click(); });
    EXPECT_TRUE(messages.shown.empty());

    // A chosen employee is a change; No closes without saving.
    const QMap<QString, QStringList> before = db.snapshot();
    int finished = 0;
    newJobChange([&](frmGrade& form) {
        QObject::connect(&form, &QDialog::finished, [&] { ++finished; });
        ashaPromoted(form);
        messages.answer(ui::MsgAnswer::No);
        form.cmdCancel->click();
    });
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Save Changes?");
    EXPECT_EQ(messages.shown[0].buttons, ui::MsgButtons::YesNo);
    EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Information);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(db.snapshot(), before);

    // Yes saves; a save that is refused keeps the window open.
    messages.clear();
    newJobChange([&](frmGrade& form) {
        pick(form, "Asha");
        messages.answer(ui::MsgAnswer::Yes);
        form.reject(); // Escape
        EXPECT_EQ(messages.texts(), QStringList({"Save Changes?", "Select new grade"}));
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
        form.txtNewbasic->setText(QStringLiteral("21000"));
        messages.answer(ui::MsgAnswer::Yes);
        form.cmdCancel->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    EXPECT_EQ(header().size(), 1);
}

} // namespace
