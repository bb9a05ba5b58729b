#include "data/dialect.h"

#include <gtest/gtest.h>

namespace {

using Kind = data::Dialect::Kind;

// No test database speaks Transact-SQL, so its text is checked here; what the other servers are
// sent runs in every database test.
TEST(Dialect, TsqlRendersWhatThePayrollServerIsSent) {
    const data::Dialect tsql(Kind::TSql);
    EXPECT_EQ(tsql.concatSpace("og.gDescription", "od.dDescription"),
              "og.gDescription + space(1) + od.dDescription");
    EXPECT_EQ(
        tsql.isNull("max(" + tsql.toInt(tsql.right("egcNo", tsql.len("egcNo") + "-2")) + ")", "0"),
        "isnull(max(convert(int,right(egcNo,len(egcNo)-2))),0)");
    EXPECT_EQ(tsql.dateLiteral(QDate(2003, 2, 13), "yyyyMMdd"), "'20030213'");
    EXPECT_EQ(tsql.dateLiteral(QDate(2003, 2, 13), "yyyy/MM/dd"), "'2003/02/13'");
    // Writers on the same employee, and numberings in the same company, queue behind each other.
    EXPECT_EQ(tsql.lockingSelect("eEmpID", "pay_employee", "eCompanyID = 1 and eEmpID = 7"),
              "select eEmpID from pay_employee with (updlock, rowlock) where eCompanyID = 1 and "
              "eEmpID = 7");
    EXPECT_EQ(tsql.numberingLock("pay_prefix", 3),
              "select CompanyID from pay_prefix with (updlock, rowlock) where CompanyID = 3");
}

} // namespace
