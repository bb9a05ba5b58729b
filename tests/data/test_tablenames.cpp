#include "component/clsgrade.h"
#include "data/tablenames.h"
#include "support/check.h"
#include "support/scripted.h"
#include "support/testdb.h"

namespace {

class TableNames : public ::testing::Test {
protected:
    TestDatabase db;
};

// Every logical name resolves to its physical name. On a reload case is ignored and the stored
// name kept; a row gone keeps the earlier load's name; of two rows the last wins.
TEST_F(TableNames, LoadAndReload) {
    data::ResolvedTableNames names;
    data::ResolveTableNames(db.db(), names);
    for (const auto& slot : data::ResolvedTableNames::entries())
        EXPECT_EQ(names.*slot.name, physical(QString::fromLatin1(slot.logicalName)))
            << slot.logicalName;
    db.exec("update linktable set tablename = 'PEMPLOYEE', linktablename = 'Staff_Master ' "
            "where tablename = 'pemployee'");
    db.exec("delete from linktable where tablename = 'pSettings'");
    db.exec("insert into linktable (tablename, linktablename) values ('pGrades', 'grades_two')");
    data::ResolveTableNames(db.db(), names);
    EXPECT_EQ(names.pemployee, "Staff_Master ");
    EXPECT_EQ(names.pSettings, "pay_settings");
    EXPECT_EQ(names.pGrades, "grades_two");
}

TEST_F(TableNames, OnlyPlainIdentifiersAreTableNames) {
    for (const char* good : {"pay_employee", "dbo.pay_employee", "_t1", "Staff_Master  "})
        EXPECT_TRUE(data::isPlainTableName(good)) << good;
    for (const char* bad :
         {"", " pay_employee", "pay employee", "pay_employee\n", "\"pay\"", "[pay]", "a.b.c",
          ".pay", "dbo.", "1pay", "pay-employee", "pay;", "pay_\u00e9mploy\u00e9"})
        EXPECT_FALSE(data::isPlainTableName(QString::fromUtf8(bad))) << bad;
}

// A name that would carry SQL of its own stops the load before any statement uses it: the
// register never opens, nothing is written, and the error says which row is wrong.
TEST_F(TableNames, ABadNameStopsTheRegisterLoadNamingTheTableAndTheValue) {
    const QString stored =
        "pay_employee; insert into pay_users (companyid, userid, username) values (1, 99, 'x')";
    db.loadDemo();
    db.exec("update linktable set linktablename = '" + QString(stored).replace("'", "''") +
            "' where tablename = 'pemployee'");
    const auto before = db.snapshot();
    data::ResolvedTableNames names;
    names.pusers = "kept";
    EXPECT_EQ(thrown([&] { data::ResolveTableNames(db.db(), names); }).description(),
              "linktable gives the table pemployee the name \"" + stored +
                  "\", which is not a plain table name: only letters, digits and "
                  "underscores, with at most one schema prefix such as \"dbo.\".");
    EXPECT_EQ(names.pusers, "kept");
    EXPECT_EQ(names.pemployee, "");

    ScriptedModal modal;
    clsGrade grade;
    grade.setAdocon(db.connection());
    grade.intCompanyID = 1;
    grade.intUserID = 2;
    grade.ProcessDate = QDate(2026, 11, 30);
    EXPECT_THROW(grade.Show(), data::DbError);
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_EQ(db.snapshot(), before);
}

} // namespace
