// The host's side: clsGrade's properties reach the register, which works for the module's own
// interface, and a register opened again keeps the table names an earlier one found.

#include "component/basgrade.h"
#include "component/clsgrade.h"
#include "jobchange/numbering.h"
#include "register/frmmaster.h"
#include "support/check.h"
#include "support/scripted.h"
#include "support/testdb.h"

#include <QPushButton>

namespace {

class ClsGrade : public ::testing::Test {
protected:
    ClsGrade() {
        db.insert("pPrefix", {"3, 91004, 'JC'", "3, 12, 'XX'"});
        // Rights for the module's interface, and others for the host's own.
        db.insert("puserrights", {"9, 91004, ' n '", "9, 12, 'E'"});
        grade.setAdocon(db.connection());
        grade.intCompanyID = 3;
        grade.intUserID = 9;
        grade.Intinterfaceid = 12;
        grade.MsgboxTitle = QStringLiteral("Payroll of Acme");
        grade.ProcessDate = QDate(2026, 11, 30);
    }

    TestDatabase db;
    ScriptedModal modal;
    ScriptedMessages messages;
    clsGrade grade;
};

TEST_F(ClsGrade, ShowHandsThePropertiesToTheRegisterForItsOwnInterface) {
    modal.thenOn<FrmMaster>([&](FrmMaster& master) {
        const jobchange::Workspace& ws = *master.workspace();
        EXPECT_EQ(ws.connection, db.connection());
        EXPECT_EQ(ws.companyId, 3);
        EXPECT_EQ(ws.userId, 9);
        EXPECT_EQ(ws.processDate, QDate(2026, 11, 30));
        EXPECT_EQ(ws.msgboxTitle, "Payroll of Acme");
        EXPECT_EQ(ws.interfaceId, 91004);
        EXPECT_TRUE(master.registerSql().contains("egcCompanyid = 3"));
        EXPECT_TRUE(master.cmdnew->isEnabled());
        EXPECT_FALSE(master.CmdEdit->isEnabled());
        EXPECT_EQ(jobchange::numberSeries(*master.workspace()).number(), "JC1");
    });
    grade.Show();
    EXPECT_EQ(modal.shown, QStringList{"FrmMaster"});
    EXPECT_EQ(BasGrade().Intinterfaceid, 91004);
    EXPECT_EQ(BasGrade().adocon, db.connection());
}

// A logical name without a linktable row keeps what the earlier load of the same process found;
// at the first load it has nothing, and the register cannot open.
TEST_F(ClsGrade, ASecondShowKeepsANameLinktableNoLongerHas) {
    grade.Show();
    db.exec("delete from linktable where tablename = 'pemployee'");
    modal.thenOn<FrmMaster>([](FrmMaster& master) {
        EXPECT_EQ(master.workspace()->tables.pemployee, physical("pemployee"));
    });
    EXPECT_NO_THROW(grade.Show());
    EXPECT_EQ(modal.shown, QStringList({"FrmMaster", "FrmMaster"}));
    BasGrade().tables = {};
    EXPECT_THROW(grade.Show(), data::DbError);
}

} // namespace
