#include "component/basgrade.h"
#include "shared/formroutines.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

const QString kHint = QStringLiteral("\rHINT: Check whether Properties assigned");

// A window with one control of every kind the tags follow, and a date picker they do not.
struct Window {
    QDialog dialog;
    QLineEdit* text = new QLineEdit(QStringLiteral("Annual raise"), &dialog);
    QComboBox* combo = new QComboBox(&dialog);
    QCheckBox* check = new QCheckBox(&dialog);
    QRadioButton* option = new QRadioButton(&dialog);
    QDateEdit* date = new QDateEdit(QDate(2003, 2, 14), &dialog);

    Window() {
        combo->addItems({QStringLiteral("Junior - Clerk"), QStringLiteral("Senior - Officer")});
        combo->setCurrentIndex(0);
        auto* layout = new QVBoxLayout(&dialog);
        for (QWidget* w : std::initializer_list<QWidget*>{text, combo, check, option, date})
            layout->addWidget(w);
    }
};

TEST(FormChanged, ComparesTrimmedTextsExactlyAndValuesAgainstTheTags) {
    Window w;
    SetControlTags(&w.dialog);
    EXPECT_FALSE(fnFormChanged(&w.dialog));

    w.text->setText(QStringLiteral("Annual raise   "));
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "trailing blanks";
    w.text->setText(QStringLiteral("annual raise"));
    EXPECT_TRUE(fnFormChanged(&w.dialog)) << "a letter's case";
    w.text->setText(QStringLiteral("Annual raise"));

    w.date->setDate(QDate(2003, 3, 1));
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "the date picker is not followed";

    w.combo->setCurrentIndex(1);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
    w.combo->setCurrentIndex(0);

    w.check->setChecked(true);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
    w.check->setChecked(false);
    w.option->setChecked(true);
    EXPECT_TRUE(fnFormChanged(&w.dialog));

    SetControlTags(&w.dialog);
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "tags taken again";
}

TEST(CheckMandatory, BlankTextIsRefusedWithTheGivenTitleAndTheFocusMoves) {
    ScriptedMessages messages;
    Window w;
    w.combo->setEditable(true);
    w.combo->setEditText(QStringLiteral("   "));
    w.dialog.show();
    QApplication::setActiveWindow(&w.dialog);
    w.text->setFocus();

    EXPECT_FALSE(fnCheckMandatory(w.combo, QStringLiteral("Enter amount"), QStringLiteral("T")));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Enter amount");
    EXPECT_EQ(messages.shown[0].title, "T");
    EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Information);
    EXPECT_TRUE(w.combo->hasFocus());

    w.combo->setEditText(QStringLiteral(" 5 "));
    EXPECT_TRUE(fnCheckMandatory(w.combo, QStringLiteral("Enter amount"), QStringLiteral("T")));
    EXPECT_EQ(messages.shown.size(), 1u);
}

class SharedRoutines : public ::testing::Test {
protected:
    void SetUp() override {
        db.exec("insert into pay_currencymaster (CompanyID, CurrencyID, CurrencyName, symbol) "
                "values (1, 1, 'Rupee', 'Rs')");
        db.exec("insert into pay_grades (gID, gCompanyid, gDescription) values (1, 1, 'Junior')");
        db.exec("insert into pay_designation (dDesigID, dCompanyID, dGradeID, dDescription, "
                "dactive) values (7, 1, 1, 'Clerk', 1), (8, 1, 1, 'Typist', 0)");
        db.exec("insert into pay_employee (eCompanyID, eEmpID, eempno, eName, ecurrencyid, "
                "eActive) values (1, 4, 'E004', 'Asha', 1, 1), (1, 5, 'E005', 'Chen', 1, 0)");
        for (int id : {5, 6})
            db.exec(QStringLiteral("insert into pay_employeegradechange (egcId, egcCompanyID, "
                                   "egcNo, egcEmpID, egcremarks) values (%1, 1, 'JC%1', 4, "
                                   "'first')")
                        .arg(id));
        db.useContext(1, 1, QDate(2003, 2, 14));
        grid.clearGrid(3, 2);
        BasGrade().registerGrid = &grid;
        BasGrade().strSql = QStringLiteral("select egcid, egcno, egcremarks from "
                                           "pay_employeegradechange where egcCompanyID = 1 "
                                           "ORDER BY egcno");
    }
    void TearDown() override { BasGrade().registerGrid = nullptr; }

    QStringList gridRow(int row) const {
        return {grid.textMatrix(row, 0), grid.textMatrix(row, 1), grid.textMatrix(row, 2)};
    }

    TestDatabase db;
    ui::FlexGrid grid;
    ScriptedMessages messages;
};

TEST_F(SharedRoutines, GridRefreshRowFillsTheEmptyRegisterAddsRowsAndRewritesInEditMode) {
    // The query's "ORDER BY" is cut and the criterion joined with " and ".
    BasGrade().strEntryMode = QStringLiteral("N");
    GridRefreshRow(QStringLiteral("egcId = 5"), 5);
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(gridRow(1), QStringList({"5", "JC5", "first"}));
    GridRefreshRow(QStringLiteral("egcId = 6"), 6);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(gridRow(2), QStringList({"6", "JC6", "first"}));
    EXPECT_EQ(grid.row(), 2);

    // Edit mode rewrites the current row but its id; a query without "where" gets one.
    grid.selectRowAcross(1);
    db.exec("update pay_employeegradechange set egcremarks = 'second' where egcId = 6");
    BasGrade().strEntryMode = QStringLiteral("E");
    BasGrade().strSql = QStringLiteral("select egcid, egcno, egcremarks from "
                                       "pay_employeegradechange");
    GridRefreshRow(QStringLiteral("egcId = 6"), 6);
    EXPECT_EQ(gridRow(1), QStringList({"5", "JC6", "second"}));
    EXPECT_EQ(gridRow(2), QStringList({"6", "JC6", "first"}));
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(SharedRoutines, GridRefreshRowShowsItsErrorsAndKeepsTheGrid) {
    BasGrade().strEntryMode = QStringLiteral("N");
    BasGrade().strSql = QStringLiteral("select egcid from no_such_table");
    GridRefreshRow(QStringLiteral("egcId = 5"), 5);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Payroll");
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.textMatrix(1, 0), "");
}

TEST_F(SharedRoutines, ComboPopulateBuildsJobAndEmployeeLinesWithTheirIds) {
    QComboBox combo;
    BasGrade().strLookupTables = QStringLiteral(" pay_grades,pay_designation ");
    ComboPopulate(&combo, "dDesigID", "gDescription", "dDescription", "G",
                  "dCompanyid = gCompanyid and dGradeID = gID and dactive = 1 and dcompanyid = 1");
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "Junior - Clerk");
    EXPECT_EQ(combo.itemData(0).toInt(), 7);
    EXPECT_EQ(combo.currentIndex(), -1);

    BasGrade().strLookupTables = QStringLiteral("pay_employee");
    ComboPopulate(&combo, "eEmpId", "eName", "eempno", "E", "eActive = 1 and eCompanyid =1");
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "Asha-E004 - Rs");
    EXPECT_EQ(combo.itemData(0).toInt(), 4);

    // Any other kind empties the combo and reads nothing, even without a connection.
    BasGrade().adocon = std::make_shared<data::Connection>();
    ComboPopulate(&combo, "eEmpId", "eName", "eempno", "X");
    EXPECT_EQ(combo.count(), 0);
}

TEST_F(SharedRoutines, ClosedConnectionErrorsArePassedOnWithTheHint) {
    BasGrade().adocon = std::make_shared<data::Connection>();
    try {
        fnDeleteRows(QStringLiteral("pay_empallowances"), QStringLiteral(" eacompanyid = 1"));
        FAIL() << "no error";
    } catch (const data::DbError& error) {
        EXPECT_EQ(error.number(), data::kErrConnectionClosed);
        EXPECT_TRUE(error.description().endsWith(kHint)) << error.description().toStdString();
        EXPECT_GT(error.description().size(), kHint.size());
    }
    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    try {
        ComboPopulate(&combo, "dDesigID", "gDescription", "dDescription", "G");
        FAIL() << "no error";
    } catch (const data::DbError& error) {
        EXPECT_EQ(error.number(), data::kErrConnectionClosed);
        EXPECT_TRUE(error.description().endsWith(kHint));
    }
    EXPECT_EQ(combo.count(), 0);
}

} // namespace
