#include "data/dialect.h"

#include <gtest/gtest.h>

namespace {

using Kind = data::Dialect::Kind;

// No test database speaks Transact-SQL, so its locking text is checked here (the numbering
// statement's is checked with the numbering); what the other servers are sent runs in every
// database test.
TEST(Dialect, TsqlRendersWhatThePayrollServerIsSent) {
    const data::Dialect tsql(Kind::TSql);
    // Writers on the same employee, and numberings in the same company, queue behind each other.
    EXPECT_EQ(tsql.lockingSelect("eEmpID", "pay_employee", "eCompanyID = 1 and eEmpID = 7"),
              "select eEmpID from pay_employee with (updlock, rowlock) where eCompanyID = 1 and "
              "eEmpID = 7");
    EXPECT_EQ(tsql.numberingLock("pay_prefix", 3),
              "select CompanyID from pay_prefix with (updlock, rowlock) where CompanyID = 3");
}

} // namespace
