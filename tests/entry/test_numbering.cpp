#include "entry/gradenumbering.h"
#include "entryfixture.h"

namespace {

TEST(NumberingStatement, TransactSqlRenderingIsTheStatementAsWritten) {
    EXPECT_EQ(gradeNoMaxSql(data::Dialect(data::Dialect::Kind::TSql), "pay_employeegradechange", 1,
                            "JC "),
              "SELECT isnull(max(convert(int,right(egcNo,len(egcNo)-3))),0) FROM "
              "pay_employeegradechange WHERE egcCompanyID=1 and egcNo like 'JC%'");
}

class Numbering : public ::testing::Test {
protected:
    void number(int id, const QString& number, int company = 1, bool cancelled = false) {
        db.exec(QStringLiteral("insert into pay_employeegradechange (egcId, egcCompanyID, egcNo, "
                               "egcEmpID, egcCancelled) values (%1, %2, '%3', 1, %4)")
                    .arg(id)
                    .arg(company)
                    .arg(number)
                    .arg(cancelled ? 1 : 0));
    }
    void prefix(const QString& text) {
        db.exec("delete from pay_prefix");
        db.exec(QStringLiteral("insert into pay_prefix (CompanyID, InterfaceID, Prefix) values "
                               "(1, 91004, '%1')")
                    .arg(text));
    }
    QString next() { return fnNextGradeNo(db.db()); }

    TestDatabase db;
    EntryData data{db};
};

TEST_F(Numbering, FirstNumberAndTheHighestTakenNumerically) {
    EXPECT_EQ(next(), "JC1");
    number(1, "JC1");
    number(2, "JC2", 1, true); // cancelled ones count
    number(3, "JC10");
    number(4, "JC50", 2); // another company's
    EXPECT_EQ(next(), "JC11");
}

TEST_F(Numbering, APrefixWithATrailingBlankIsCutByItsFullLength) {
    prefix("JC ");
    number(1, "JC 7");
    EXPECT_EQ(next(), "JC 8");
}

TEST_F(Numbering, WithoutAPrefixRowNumbersArePlain) {
    db.exec("delete from pay_prefix");
    EXPECT_EQ(next(), "1");
    number(1, "1");
    number(2, "2");
    EXPECT_EQ(next(), "3");
}

TEST_F(Numbering, TheRunningNumberGoesPast32767AndOverflowsOnlyPast32Bits) {
    number(1, "JC32767");
    EXPECT_EQ(next(), "JC32768");
    number(2, "JC2147483647");
    try {
        next();
        FAIL() << "no overflow";
    } catch (const data::DbError& error) {
        EXPECT_EQ(error.number(), 6);
        EXPECT_EQ(error.description(), "Overflow");
    }
}

} // namespace
