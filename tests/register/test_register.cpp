#include "component/basgrade.h"
#include "register/fixture.h"
#include "support/scripted.h"

#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList kTitles{"Job No", "Job Date", "Employee Name", "Old Job", "New Job", "Cancelled"};

class Register : public ::testing::Test {
protected:
    TestDatabase db;
    RegisterFixture company{db};
};

TEST_F(Register, PreviousDaysListFromTheCutOffDayOnwardsAndZeroListsEverything) {
    const int ravi = company.employee(QStringLiteral("Ravi  "));
    company.jobChange(1, QStringLiteral("JC1"), QStringLiteral("2003-02-12"), ravi);
    company.jobChange(2, QStringLiteral("JC2"), QStringLiteral("2003-02-13"), ravi);
    company.jobChange(3, QStringLiteral("JC3"), QStringLiteral("2003-03-15"), ravi);
    RegisterFixture other(db, 8);
    other.jobChange(4, QStringLiteral("XX4"), QStringLiteral("2003-03-01"), other.employee("Anu"));

    company.previousDays(30);
    company.withRegister([](FrmMaster& form) {
        QStringList numbers = gridColumn(form, 1);
        numbers.sort();
        EXPECT_EQ(numbers, QStringList({"JC2", "JC3"}));
        const int row = rowOfNumber(form, QStringLiteral("JC2"));
        EXPECT_EQ(form.flexMaster->textMatrix(row, 0), "2");
        EXPECT_EQ(form.flexMaster->textMatrix(row, 2),
                  QLocale::system().toString(QDate(2003, 2, 13), QLocale::ShortFormat));
        EXPECT_EQ(form.flexMaster->textMatrix(row, 3), "Ravi");
        EXPECT_EQ(form.flexMaster->textMatrix(row, 4), "Junior Clerk");
        EXPECT_EQ(form.flexMaster->textMatrix(row, 5), "Senior Accountant");
        EXPECT_EQ(form.flexMaster->textMatrix(row, 6), "No");
    });

    db.exec(QStringLiteral("update pay_settings set NoOfPreviousDays = 0"));
    company.withRegister([](FrmMaster& form) {
        QStringList numbers = gridColumn(form, 1);
        numbers.sort();
        EXPECT_EQ(numbers, QStringList({"JC1", "JC2", "JC3"}));
    });
}

TEST_F(Register, CompanyWithoutJobChangesShowsTitlesOverOneEmptyRow) {
    company.withRegister([](FrmMaster& form) {
        ui::FlexGrid& grid = *form.flexMaster;
        ASSERT_EQ(grid.cols(), 7);
        EXPECT_EQ(grid.rows(), 2);
        for (int c = 1; c < 7; ++c) {
            EXPECT_EQ(grid.textMatrix(0, c), kTitles[c - 1]);
            EXPECT_EQ(grid.textMatrix(1, c), QString());
            EXPECT_EQ(form.cboColNames->itemText(c - 1), kTitles[c - 1]);
            EXPECT_EQ(form.cboSearch->itemData(c - 1).toInt(), c);
        }
        EXPECT_TRUE(grid.isColumnHidden(0));
        EXPECT_EQ(form.cboColNames->currentIndex(), -1);
        EXPECT_TRUE(form.cmdnew->isEnabled());
        EXPECT_FALSE(form.CmdEdit->isEnabled());
        EXPECT_FALSE(form.CmdDelete->isEnabled());
        form.Form_Activate();
        EXPECT_FALSE(form.CmdEdit->isEnabled());

        form.show();
        QTest::mouseClick(form.CmdClose, Qt::LeftButton);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Rejected);
    });
}

TEST_F(Register, CancelledRowsAreRedAndDisableDeleteButNotEditAndTheLastRowIsSelected) {
    const int anu = company.employee(QStringLiteral("Anu"));
    company.jobChange(1, QStringLiteral("JC1"), QStringLiteral("2003-01-02"), anu);
    company.jobChange(2, QStringLiteral("JC2"), QStringLiteral("2003-01-03"), anu, true);
    company.jobChange(3, QStringLiteral("JC3"), QStringLiteral("2003-01-04"), anu);
    company.withRegister([](FrmMaster& form) {
        ui::FlexGrid& grid = *form.flexMaster;
        const int last = grid.rows() - 1;
        EXPECT_EQ(last, 3);
        EXPECT_EQ(grid.row(), last);
        EXPECT_TRUE(grid.selectionModel()->isRowSelected(last - 1, {}));
        const bool lastCancelled = grid.textMatrix(last, 6) == "Yes";
        EXPECT_EQ(form.CmdDelete->isEnabled(), !lastCancelled);
        EXPECT_TRUE(form.CmdEdit->isEnabled());

        const int cancelled = rowOfNumber(form, QStringLiteral("JC2"));
        const int live = rowOfNumber(form, QStringLiteral("JC1"));
        EXPECT_EQ(grid.rowForeColor(cancelled), QColor(255, 0, 0));
        EXPECT_EQ(grid.model().data(grid.model().index(cancelled - 1, 3), Qt::ForegroundRole),
                  QVariant(QColor(255, 0, 0)));
        EXPECT_FALSE(grid.rowForeColor(live).isValid());

        grid.selectRowAcross(cancelled);
        EXPECT_FALSE(form.CmdDelete->isEnabled());
        EXPECT_TRUE(form.CmdEdit->isEnabled());
        form.Form_Activate();
        EXPECT_FALSE(form.CmdDelete->isEnabled());
        grid.selectRowAcross(live);
        EXPECT_TRUE(form.CmdDelete->isEnabled());
        EXPECT_TRUE(form.CmdEdit->isEnabled());
    });
}

TEST_F(Register, GridKeysAndDoubleClickActOnlyThroughEnabledButtons) {
    ScriptedMessages messages;
    company.jobChange(1, QStringLiteral("JC1"), QStringLiteral("2003-03-01"),
                      company.employee(QStringLiteral("Anu")));
    company.rights(3, QStringLiteral("ADMIN"));
    const auto pressEveryKey = [&](FrmMaster& form) {
        ui::FlexGrid& grid = *form.flexMaster;
        QStringList modes;
        for (const auto& [key, modifier] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                            std::pair{Qt::Key_Return, Qt::ControlModifier}}) {
            BasGrade().strEntryMode.clear();
            QTest::keyClick(&grid, key, modifier);
            modes << BasGrade().strEntryMode;
        }
        BasGrade().strEntryMode.clear();
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                           grid.visualRect(grid.model().index(0, 1)).center());
        modes << BasGrade().strEntryMode;
        QTest::keyClick(&grid, Qt::Key_Delete);
        return modes;
    };

    company.withRegister([&](FrmMaster& form) {
        form.show();
        EXPECT_EQ(pressEveryKey(form), QStringList({"E", "N", "E"}));
        EXPECT_EQ(messages.texts(), QStringList{"Are you sure you want to delete the entry - JC1"});
        form.hide();
    });
    messages.clear();
    company.withRegister(
        [&](FrmMaster& form) {
            form.show();
            EXPECT_EQ(pressEveryKey(form), QStringList({"", "", ""}));
            EXPECT_TRUE(messages.shown.empty());
            form.hide();
        },
        3);
}

TEST_F(Register, TitlesBeyondTheQueryColumnsAreIgnored) {
    db.exec(QStringLiteral("insert into pay_tablecolumns (tableid, ColumnID, columnheader, "
                           "columnname) values (1, 7, 'Remarks', 'egcremarks')"));
    company.withRegister([](FrmMaster& form) {
        EXPECT_EQ(form.flexMaster->cols(), 7);
        EXPECT_EQ(form.cboColNames->count(), 6);
        EXPECT_EQ(form.cboSearch->count(), 6);
    });
}

TEST_F(Register, SpareRoomOfAWideGridIsSpreadOverTheColumns) {
    db.useContext(static_cast<qint16>(company.company()), 1, QDate(2003, 3, 15));
    FrmMaster form;
    form.resize(3200, 600); // far past what 16 bits of twips can hold
    form.Form_Load();
    const ui::FlexGrid& grid = *form.flexMaster;
    qint64 total = 0;
    for (int c = 1; c < grid.cols(); ++c) {
        EXPECT_GT(grid.colWidthTwips(c), 3000) << c;
        total += grid.colWidthTwips(c);
    }
    EXPECT_NEAR(total, grid.widthTwips() - 315, 6 * 30);
}

TEST(RegisterQuery, TsqlRenderingsAreTheStatementsAsWritten) {
    data::ResolvedTableNames tables;
    for (const auto& slot : data::ResolvedTableNames::entries())
        tables.*slot.name = physical(QString::fromLatin1(slot.logicalName));
    const data::Dialect tsql(data::Dialect::Kind::TSql);
    EXPECT_EQ(
        RegisterQuery(tsql, tables, 7),
        "select egcid, egcno, egcdate, ename, og.gDescription + space(1) + od.dDescription, "
        "ng.gDescription + space(1) + nd.dDescription, case egccancelled when 1 then 'Yes' when 0 "
        "then 'No' end from pay_employeegradechange, pay_employee, pay_grades og, pay_grades ng, "
        "pay_designation od, pay_designation nd  where egcCompanyID = eCompanyID and egcEmpID = "
        "eEmpID and  egcCompanyid = od.dCompanyID and egcOldDesigID = od.dDesigID and "
        "egcCompanyid = nd.dCompanyID and egcNewDesigID = nd.dDesigID and  od.dGradeID = og.gid "
        "and od.dcompanyid = og.gcompanyid and nd.dGradeID = ng.gid and nd.dcompanyid = "
        "ng.gcompanyid and egcCompanyid = 7");
    EXPECT_EQ(RegisterDateFilter(tsql, QDate(2003, 2, 13)), " and egcdate >='20030213'");
}

TEST_F(Register, QueryAndFilterRunOnTheTestServer) {
    const int anu = company.employee(QStringLiteral("Anu"));
    company.jobChange(1, QStringLiteral("JC1"), QStringLiteral("2003-02-12"), anu);
    company.jobChange(2, QStringLiteral("JC2"), QStringLiteral("2003-02-13"), anu, true);
    db.useContext(7, 1, QDate(2003, 3, 15));
    const data::Dialect& dialect = db.db().dialect();
    data::Recordset rs = db.db().open(RegisterQuery(dialect, BasGrade().tables, 7) +
                                      RegisterDateFilter(dialect, QDate(2003, 2, 13)));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.text(1), "JC2");
    EXPECT_EQ(rs.text(4), "Junior Clerk");
    EXPECT_EQ(rs.text(6), "Yes");
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

// ---------------------------------------------------------------- user rights

struct RightsCase {
    const char* name;
    qint16 user;
    bool newEnabled;
    bool editEnabled;
    bool deleteEnabled;
};

class Rights : public ::testing::TestWithParam<RightsCase> {
protected:
    TestDatabase db;
};

TEST_P(Rights, ButtonsFollowTheLettersOfTheUsersRow) {
    RegisterFixture company(db);
    company.jobChange(1, QStringLiteral("JC1"), QStringLiteral("2003-03-01"),
                      company.employee(QStringLiteral("Anu")));
    company.rights(2, QStringLiteral(" n e "));
    company.rights(3, QStringLiteral("ADMIN"));
    company.rights(4, QStringLiteral("NED"), 91001); // another interface's rights
    company.rights(5, QStringLiteral("ND"));
    company.rights(5, QStringLiteral("E"));
    company.rights(1, QString()); // user 1 is never looked up

    const RightsCase& expected = GetParam();
    company.withRegister(
        [&](FrmMaster& form) {
            EXPECT_EQ(form.cmdnew->isEnabled(), expected.newEnabled);
            EXPECT_EQ(form.CmdEdit->isEnabled(), expected.editEnabled);
            EXPECT_EQ(form.CmdDelete->isEnabled(), expected.deleteEnabled);
            form.Form_Activate();
            form.flexMaster->selectRowAcross(1);
            EXPECT_EQ(form.CmdEdit->isEnabled(), expected.editEnabled);
            EXPECT_EQ(form.CmdDelete->isEnabled(), expected.deleteEnabled);
        },
        expected.user);
}

INSTANTIATE_TEST_SUITE_P(
    Users, Rights,
    ::testing::Values(RightsCase{"UserOneHoldsEveryRight", 1, true, true, true},
                      RightsCase{"LowerCaseLettersWithBlanks", 2, true, true, false},
                      RightsCase{"AdminIsNotALetterList", 3, false, false, false},
                      RightsCase{"NoRowKeepsNewAsItStarts", 4, true, false, false},
                      RightsCase{"FirstOfTwoRowsCounts", 5, true, false, true}),
    [](const ::testing::TestParamInfo<RightsCase>& info) { return info.param.name; });

TEST(RightsTest, LetterAndRightsAreNormalisedInPlace) {
    FrmMaster form;
    form.strRights = QStringLiteral("  nedup ");
    QString letter = QStringLiteral(" d ");
    EXPECT_TRUE(form.fnUserRights(letter));
    EXPECT_EQ(letter, "D");
    EXPECT_EQ(form.strRights, "NEDUP");
    EXPECT_FALSE(form.fnUserRights(QStringLiteral("x")));
}

} // namespace

namespace {

TEST(RegisterHandlers, ADatabaseErrorInAButtonIsShownAndTheRegisterStaysUsable) {
    TestDatabase db;
    RegisterFixture company{db};
    const int anu = company.employee(QStringLiteral("Anu"));
    company.jobChange(1, QStringLiteral("JC1"), QStringLiteral("2003-03-02"), anu);
    ScriptedMessages messages;
    company.withRegister([&](FrmMaster& form) {
        ASSERT_TRUE(form.CmdDelete->isEnabled());
        db.db().close(); // the connection is lost while the register is open
        QTest::mouseClick(form.CmdDelete, Qt::LeftButton);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.startsWith("Operation is not allowed"));
        EXPECT_EQ(messages.shown[0].title, "Payroll");
        EXPECT_EQ(form.flexMaster->textMatrix(1, 1), "JC1");
    });
}

} // namespace
