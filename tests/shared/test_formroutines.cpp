#include "component/basgrade.h"
#include "shared/formroutines.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

// One control of every kind the tags follow, and a date picker they do not.
struct Window {
    QDialog dialog;
    QLineEdit* text = new QLineEdit(QStringLiteral("Annual raise"), &dialog);
    QComboBox* combo = new QComboBox(&dialog);
    QCheckBox* check = new QCheckBox(&dialog);
    QRadioButton* option = new QRadioButton(&dialog);
    QDateEdit* date = new QDateEdit(QDate(2003, 2, 14), &dialog);

    Window() {
        combo->addItems({QStringLiteral("Junior - Clerk"), QStringLiteral("Senior - Officer")});
    }
};

TEST(FormRoutines, FormChangedComparesTrimmedTextsExactlyAndValuesAgainstTheTags) {
    Window w;
    SetControlTags(&w.dialog);
    EXPECT_FALSE(fnFormChanged(&w.dialog));
    w.text->setText(QStringLiteral("Annual raise   "));
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "trailing blanks";
    w.date->setDate(QDate(2003, 3, 1));
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "the date picker is not followed";
    w.text->setText(QStringLiteral("annual raise"));
    EXPECT_TRUE(fnFormChanged(&w.dialog)) << "a letter's case";
    SetControlTags(&w.dialog);
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "tags taken again";
    w.combo->setCurrentIndex(1);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
    w.combo->setCurrentIndex(0);
    w.check->setChecked(true);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
    w.check->setChecked(false);
    w.option->setChecked(true);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
}

TEST(FormRoutines, GridRefreshRowFillsTheEmptyRegisterAddsRowsAndRewritesInEditMode) {
    TestDatabase db;
    ScriptedMessages messages;
    ui::FlexGrid grid;
    for (int id : {5, 6})
        db.exec(QStringLiteral("insert into pay_employeegradechange (egcId, egcCompanyID, egcNo, "
                               "egcEmpID, egcremarks) values (%1, 1, 'JC%1', 4, 'first')")
                    .arg(id));
    db.useContext(1, 1, QDate(2003, 2, 14));
    grid.clearGrid(3, 2);
    BasGrade().registerGrid = &grid;
    const auto row = [&](int r) {
        return QStringList{grid.textMatrix(r, 0), grid.textMatrix(r, 1), grid.textMatrix(r, 2)};
    };
    // The query's "ORDER BY" is cut and the criterion joined with " and ".
    BasGrade().strSql = QStringLiteral("select egcid, egcno, egcremarks from "
                                       "pay_employeegradechange where egcCompanyID = 1 "
                                       "ORDER BY egcno");
    BasGrade().strEntryMode = QStringLiteral("N");
    GridRefreshRow(QStringLiteral("egcId = 5"), 5);
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(row(1), QStringList({"5", "JC5", "first"}));
    GridRefreshRow(QStringLiteral("egcId = 6"), 6);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(row(2), QStringList({"6", "JC6", "first"}));
    EXPECT_EQ(grid.row(), 2);

    // Edit mode rewrites the current row but its id; a query without "where" gets one.
    grid.selectRowAcross(1);
    db.exec("update pay_employeegradechange set egcremarks = 'second' where egcId = 6");
    BasGrade().strEntryMode = QStringLiteral("E");
    BasGrade().strSql = QStringLiteral("select egcid, egcno, egcremarks from "
                                       "pay_employeegradechange");
    GridRefreshRow(QStringLiteral("egcId = 6"), 6);
    EXPECT_EQ(row(1), QStringList({"5", "JC6", "second"}));
    EXPECT_EQ(row(2), QStringList({"6", "JC6", "first"}));
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    BasGrade().registerGrid = nullptr;
}

TEST(FormRoutines, ClosedConnectionErrorsArePassedOnWithTheHint) {
    const QString hint = QStringLiteral("\rHINT: Check whether Properties assigned");
    BasGrade().adocon = std::make_shared<data::Connection>();
    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    const std::function<void()> calls[] = {
        [] {
            fnDeleteRows(QStringLiteral("pay_empallowances"), QStringLiteral(" eacompanyid = 1"));
        },
        [&] { ComboPopulate(&combo, "dDesigID", "gDescription", "dDescription", "G"); }};
    for (const auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const data::DbError& error) {
            EXPECT_EQ(error.number(), data::kErrConnectionClosed);
            EXPECT_TRUE(error.description().endsWith(hint)) << error.description().toStdString();
            EXPECT_GT(error.description().size(), hint.size());
        }
    }
    EXPECT_EQ(combo.count(), 0);
    combo.addItem(QStringLiteral("stale"));
    ComboPopulate(&combo, "eEmpId", "eName", "eempno", "X"); // reads nothing
    EXPECT_EQ(combo.count(), 0);
}

} // namespace
