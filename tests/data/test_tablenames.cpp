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

// Every logical name resolves to its physical name, and a reload sees a renamed table.
TEST_F(TableNames, LoadAndReload) {
    data::ResolvedTableNames names;
    data::ResolveTableNames(db.db(), names);
    for (const auto& slot : data::ResolvedTableNames::entries())
        EXPECT_EQ(names.*slot.name, physical(QString::fromLatin1(slot.logicalName)))
            << slot.logicalName;
    db.exec("update linktable set linktablename = 'Staff_Master' where tablename = 'pemployee'");
    data::ResolveTableNames(db.db(), names);
    EXPECT_EQ(names.pemployee, "Staff_Master");
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
