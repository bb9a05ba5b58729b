#include "component/basgrade.h"
#include "data/tablenames.h"
#include "support/testdb.h"

#include <gtest/gtest.h>

namespace {

class TableNames : public ::testing::Test {
protected:
    TestDatabase db;
};

TEST_F(TableNames, EveryLogicalNameResolvesToItsPhysicalName) {
    data::ResolvedTableNames names;
    data::ResolveTableNames(db.db(), names);
    for (const auto& slot : data::ResolvedTableNames::entries())
        EXPECT_EQ(names.*slot.name, physical(QString::fromLatin1(slot.logicalName)))
            << slot.logicalName;
}

TEST_F(TableNames, MatchIgnoresCaseAndKeepsTheNameAsStored) {
    db.exec("delete from linktable where tablename = 'pemployee'");
    db.exec(
        "insert into linktable (tablename, linktablename) values ('PEMPLOYEE', 'Staff_Master ')");
    data::ResolvedTableNames names;
    data::ResolveTableNames(db.db(), names);
    EXPECT_EQ(names.pemployee, "Staff_Master ");
}

TEST_F(TableNames, MissingRowKeepsTheEarlierLoadsNameAndLastOfTwoRowsWins) {
    data::ResolvedTableNames names;
    data::ResolveTableNames(db.db(), names);
    db.exec("delete from linktable where tablename = 'pSettings'");
    db.exec("insert into linktable (tablename, linktablename) values ('pGrades', 'grades_two')");
    data::ResolveTableNames(db.db(), names);
    EXPECT_EQ(names.pSettings, "pay_settings");
    EXPECT_EQ(names.pGrades, "grades_two");
}

TEST(TableNamesClosed, UnopenedConnectionRaises3709) {
    data::Connection closed;
    data::ResolvedTableNames names;
    try {
        data::ResolveTableNames(closed, names);
        FAIL() << "no error";
    } catch (const data::DbError& error) {
        EXPECT_EQ(error.number(), data::kErrConnectionClosed);
    }
}

} // namespace
