#include "component/basgrade.h"
#include "component/clsgrade.h"
#include "register/frmmaster.h"
#include "support/check.h"
#include "support/scripted.h"
#include "support/testdb.h"

namespace {

class ClsGrade : public ::testing::Test {
protected:
    // The caller context outlives every test; it must not keep a test's connection.
    void TearDown() override { BasGrade() = CallerContext{}; }
};

TEST_F(ClsGrade, ShowCopiesThePropertiesAndTheRegisterWorksForItsOwnInterface) {
    TestDatabase db;
    ScriptedModal modal;
    clsGrade grade;
    grade.setAdocon(db.connection());
    grade.intCompanyID = 3;
    grade.intUserID = 9;
    grade.Intinterfaceid = 12;
    grade.MsgboxTitle = QStringLiteral("Payroll of Acme");
    grade.ProcessDate = QDate(2026, 11, 30);
    grade.Show();
    const CallerContext& context = BasGrade();
    EXPECT_EQ(modal.shown, QStringList{"FrmMaster"});
    EXPECT_EQ(context.adocon, db.connection());
    EXPECT_EQ(context.Intinterfaceid, 91004);
    EXPECT_TRUE(context.strSql.endsWith("egcCompanyid = 3 order by egcdate, length(egcno), egcno"));
}

} // namespace
