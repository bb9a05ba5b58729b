#include "entryfixture.h"
#include "jobchange/jobchangeservice.h"
#include "shared/formroutines.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

namespace {

TEST(Numbering, TransactSqlRenderingIsTheStatementAsWritten) {
    EXPECT_EQ(gradeNoMaxSql(data::Dialect(data::Dialect::Kind::TSql), "pay_employeegradechange", 1,
                            "JC "),
              "SELECT isnull(max(convert(int,right(egcNo,len(egcNo)-3))),0) FROM "
              "pay_employeegradechange WHERE egcCompanyID=1 and egcNo like 'JC%'");
}

class SaveJobChange : public RegisterDriven {
protected:
    // Fails the k-th write of the k-th save until one gets through (returns the failed count);
    // each failure must leave the whole database as it was and the window open as filled.
    int failEachWriteInTurn(frmGrade& form) {
        form.show();
        const QMap<QString, QStringList> before = db.snapshot();
        const QStringList allowances = rows(form.lvwAllow);
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
            if (writes < failAt || failAt > 50)
                break; // every write went through
            EXPECT_EQ(messages.texts(), QStringList({injected}));
            EXPECT_EQ(db.snapshot(), before) << "after failing write " << failAt;
            EXPECT_FALSE(db.db().inTransaction());
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(rows(form.lvwAllow), allowances);
        }
        EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        return failAt - 1;
    }

    QStringList header() const {
        return query(db, "select egcId, egcNo, egcDate, egcEmpID, egcOldDesigID, egcOldGradeID, "
                         "egcOldBasic, egcNewDesigID, egcNewGradeID, egcNewBasic, egcremarks, "
                         "egcCancelled from pay_employeegradechange");
    }
};

TEST_F(SaveJobChange, TheNumberFollowsTheHighestTakenNumericallyAfterThePrefix) {
    const auto next = [this](const QStringList& all) { // the numbers stored, then the next one
        db.exec("delete from pay_employeegradechange");
        data.insert("pEmployeegradeChange", "egcId,egcNo,egcCompanyID,egcCancelled,egcEmpID", all);
        return jobchange::JobChangeService(contextWorkspace()).nextNumber();
    };
    EXPECT_EQ(next({}), "JC1");
    // Cancelled ones count, another company's do not.
    EXPECT_EQ(next({"1, 'JC1', 1, 0, 1", "2, 'JC2', 1, 1, 1", "3, 'JC10', 1, 0, 1",
                    "4, 'JC50', 2, 0, 1"}),
              "JC11");
    EXPECT_EQ(next({"1, 'JC32767', 1, 0, 1"}), "JC32768");
    db.exec("update pay_prefix set Prefix = 'JC '");
    EXPECT_EQ(next({"1, 'JC 7', 1, 0, 1"}), "JC 8") << "cut by the prefix's full length";
    db.exec("delete from pay_prefix");
    EXPECT_EQ(next({"1, '1', 1, 0, 1", "2, '2', 1, 0, 1"}), "3") << "no prefix row";
    try {
        next({"1, '2147483647', 1, 0, 1"});
        FAIL() << "no overflow";
    } catch (const data::DbError& error) {
        EXPECT_EQ(error.description(), "Overflow");
    }
}

TEST_F(SaveJobChange, ANewSaveAndItsEditsWriteEverythingOrNothing) {
    newJobChange([](frmGrade& form) { form.cmdCancel->click(); });
    EXPECT_TRUE(messages.shown.empty()) << "a freshly loaded window closes at once";
    QString houseRent, conveyance; // list positions, in the order the server gave
    int failed = 0;
    newJobChange([&](frmGrade& form) {
        ashaPromoted(form);
        houseRent = rowOf(form.lvwAllow, "House Rent")->text(revcol::SlNo);
        conveyance = rowOf(form.lvwAllow, "Conveyance")->text(revcol::SlNo);
        failed = failEachWriteInTurn(form);
    });
    EXPECT_EQ(failed, 11) << "header, employee, 3 + 1 lines, 2 deletions, 2 + 1 standing lines";
    EXPECT_EQ(header(), QStringList({"1|JC1|2003-02-14|1|1|1|20000|2|2|1500.5|Promoted|0"}));
    EXPECT_EQ(query(db, "select egcaallowanceid, egcadetailid, egcatype, egcaoldamount, "
                        "egcarevamount from pay_empgcallowance where egcacompanyid = 1 and "
                        "egcagcid = 1 order by egcaallowanceid"),
              QStringList({"1|" + houseRent + "|O|5000|5500", "2|" + conveyance + "|R|800|800",
                           "3|3|N|0|300"}));
    EXPECT_EQ(query(db, "select egcddetailid, egcddeductionid, egcdtype, egcdoldamount, "
                        "egcdrevamount from pay_empgcdeductions where egcdgcid = 1"),
              QStringList({"1|1|O|1200|1200"}));
    EXPECT_EQ(query(db, "select eBasic, eGradeID, eDesigID from pay_employee where eEmpID = 1"),
              QStringList({"1500.5|2|2"}));
    EXPECT_EQ(query(db, "select eaallowanceid, eadetailid, eaamount from pay_empallowances "
                        "where eaempid = 1 order by eaallowanceid"),
              QStringList({"1|" + houseRent + "|5500", "3|3|300"}));
    EXPECT_EQ(query(db, "select edempid, eddeductionid, edamount from pay_empdeductions order "
                        "by edempid"),
              QStringList({"1|1|1200", "2|2|100"}));
    ui::FlexGrid* grid = master->flexMaster;
    ASSERT_EQ(grid->rows(), 2);
    EXPECT_EQ(grid->textMatrix(1, 1) + grid->textMatrix(1, 3), "JC1Asha");

    // Opened again, the stored lines come back ("R" as an unchecked "O") and save unchanged;
    // closing after a change asks, and No discards it.
    const QMap<QString, QStringList> saved = db.snapshot();
    editJobChange("JC1", [](frmGrade& form) {
        EXPECT_FALSE(fnFormChanged(&form));
        EXPECT_EQ(rowOf(form.lvwAllow, "Conveyance")->text(revcol::Letter), "O");
        EXPECT_EQ(rowOf(form.lvwAllow, "Conveyance")->checkState(0), Qt::Unchecked);
        form.cmdOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(db.snapshot(), saved);

    editJobChange("JC1", [this](frmGrade& form) {
        form.txtRemarks->setText(QStringLiteral("Second thoughts"));
        messages.answer(ui::MsgAnswer::No);
        form.cmdCancel->click();
    });
    EXPECT_EQ(messages.texts(), QStringList({"Save Changes?"}));
    EXPECT_EQ(messages.shown[0].buttons, ui::MsgButtons::YesNo);
    EXPECT_EQ(db.snapshot(), saved);

    // The edit keeps the number, date and old job and rewrites the rest.
    editJobChange("JC1", [&](frmGrade& form) {
        form.dtpGDate->setDate(QDate(2003, 3, 1));
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(1));
        form.txtNewbasic->setText(QStringLiteral("21000"));
        form.txtRemarks->setText(QStringLiteral("Corrected"));
        rowOf(form.lvwAllow, "House Rent")->setText(revcol::RevisedAmount, "6000.00");
        rowOf(form.lvwAllow, "Conveyance")->setCheckState(0, Qt::Checked);
        failed = failEachWriteInTurn(form);
    });
    EXPECT_EQ(failed, 14) << "header, employee, 2 deletions, 3 + 1 lines, 2 deletions, 3 + 1";
    EXPECT_EQ(header(), QStringList({"1|JC1|2003-02-14|1|1|1|20000|1|1|21000|Corrected|0"}));
    EXPECT_EQ(query(db, "select eBasic, eGradeID, eDesigID from pay_employee where eEmpID = 1"),
              QStringList({"21000|1|1"}));
    EXPECT_EQ(query(db, "select eaallowanceid, eaamount from pay_empallowances where eaempid = 1 "
                        "order by eaallowanceid"),
              QStringList({"1|6000", "2|800", "3|300"}));
    EXPECT_EQ(grid->textMatrix(1, 5), "Junior Clerk") << "the register row rewritten";
}

TEST_F(SaveJobChange, ACancelledOrSupersededJobChangeOpensWithSaveDisabled) {
    data.jobChange(1, "JC1", "2003-01-10", 1, true, 1, 1);  // cancelled; Asha's present job
    data.jobChange(2, "JC2", "2003-01-10", 1, false, 2, 2); // Asha is no Officer now
    data.jobChange(3, "JC3", "2003-01-05", 1, false, 1, 2); // the grade does not match
    data.jobChange(4, "JC4", "2003-01-05", 1, false, 1, 1); // matches
    reloadRegister();
    QStringList saveEnabled;
    QString labels;
    for (const char* number : {"JC1", "JC2", "JC3", "JC4"})
        editJobChange(number, [&](frmGrade& form) {
            saveEnabled << QStringLiteral("%1:%2").arg(number).arg(form.cmdOK->isEnabled());
            labels = form.lblOldBasic->text() + "|" + form.lblNewBasic->text();
        });
    EXPECT_EQ(saveEnabled, QStringList({"JC1:0", "JC2:0", "JC3:0", "JC4:1"}));
    EXPECT_EQ(labels, "Old Basic:- Rs|New Basic:- Rs");
}

} // namespace
