#include "data/dialect.h"

#include <gtest/gtest.h>

namespace {

using Kind = data::Dialect::Kind;

TEST(Dialect, TsqlRendersWhatThePayrollServerIsSent) {
    const data::Dialect tsql(Kind::TSql);
    EXPECT_EQ(tsql.concatSpace("og.gDescription", "od.dDescription"),
              "og.gDescription + space(1) + od.dDescription");
    EXPECT_EQ(
        tsql.isNull("max(" + tsql.toInt(tsql.right("egcNo", tsql.len("egcNo") + "-2")) + ")", "0"),
        "isnull(max(convert(int,right(egcNo,len(egcNo)-2))),0)");
    EXPECT_EQ(tsql.dateLiteral(QDate(2003, 2, 13), "yyyyMMdd"), "'20030213'");
    EXPECT_EQ(tsql.dateLiteral(QDate(2003, 2, 13), "yyyy/MM/dd"), "'2003/02/13'");
}

TEST(Dialect, OtherServersGetIsoDatesAndTheirOwnFunctions) {
    const data::Dialect sqlite(Kind::SQLite), pg(Kind::Postgres);
    EXPECT_EQ(sqlite.dateLiteral(QDate(2003, 2, 13), "yyyyMMdd"), "'2003-02-13'");
    EXPECT_EQ(pg.dateLiteral(QDate(2003, 2, 13), "yyyy/MM/dd"), "'2003-02-13'");
    EXPECT_EQ(sqlite.concatSpace("a", "b"), "a || ' ' || b");
    EXPECT_EQ(sqlite.right("egcNo", "3"), "substr(egcNo,length(egcNo)-(3)+1)");
    EXPECT_EQ(pg.isNull("x", "0"), "coalesce(x,0)");
    EXPECT_EQ(pg.toInt("x"), "cast(x as integer)");
}

// Writers on the same employee, and numberings in the same company, queue behind each other.
TEST(Dialect, LockingSelectsHoldWhatTheyReadUntilTheTransactionEnds) {
    const data::Dialect tsql(Kind::TSql), sqlite(Kind::SQLite), pg(Kind::Postgres);
    const QString where = "eCompanyID = 1 and eEmpID = 7";
    EXPECT_EQ(tsql.lockingSelect("eEmpID", "pay_employee", where),
              "select eEmpID from pay_employee with (updlock, rowlock) where eCompanyID = 1 and "
              "eEmpID = 7");
    EXPECT_EQ(pg.lockingSelect("eEmpID", "pay_employee", where),
              "select eEmpID from pay_employee where eCompanyID = 1 and eEmpID = 7 for update");
    EXPECT_EQ(sqlite.lockingSelect("eEmpID", "pay_employee", where),
              "select eEmpID from pay_employee where eCompanyID = 1 and eEmpID = 7");

    EXPECT_EQ(tsql.numberingLock("pay_prefix", 3),
              "select CompanyID from pay_prefix with (updlock, rowlock) where CompanyID = 3");
    EXPECT_EQ(pg.numberingLock("pay_prefix", 3), "select pg_advisory_xact_lock(1364609603, 3)");
    EXPECT_EQ(sqlite.numberingLock("pay_prefix", 3), "");
}

} // namespace
