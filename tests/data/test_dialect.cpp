#include "data/dialect.h"
#include "jobchange/numbering.h"

#include <gtest/gtest.h>

namespace {

using Kind = data::Dialect::Kind;

// No test database speaks Transact-SQL, so its text is checked here; what the other servers are
// sent runs in every database test.
TEST(Dialect, TsqlRendersWhatThePayrollServerIsSent) {
    const data::Dialect tsql(Kind::TSql);
    // Writers on the same employee, and numberings in the same company, queue behind each other.
    EXPECT_EQ(tsql.lockingSelect("eEmpID", "pay_employee", "eCompanyID = 1 and eEmpID = 7"),
              "select eEmpID from pay_employee with (updlock, rowlock) where eCompanyID = 1 and "
              "eEmpID = 7");
    EXPECT_EQ(tsql.numberingLock("pay_prefix", 3),
              "select CompanyID from pay_prefix with (updlock, rowlock) where CompanyID = 3");
    EXPECT_EQ(gradeNoMaxSql(tsql, "pay_employeegradechange", 1, "JC "),
              "SELECT isnull(max(convert(int,right(egcNo,len(egcNo)-3))),0) FROM "
              "pay_employeegradechange WHERE egcCompanyID=1 and egcNo like 'JC%'");
}

} // namespace
