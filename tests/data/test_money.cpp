#include "data/money.h"
#include "support/testdb.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using data::Money;
using data::StoredAmount;

Money cents(qint64 count) {
    return *Money::fromCents(count);
}

// From zero to the largest twelve-digit amount, written with two decimals, never in exponent form.
TEST(MoneyValue, RangeAndText) {
    EXPECT_TRUE(Money::fromCents(0));
    EXPECT_FALSE(Money::fromCents(100'000'000'000'000));
    EXPECT_FALSE(Money::fromCents(-1));
    EXPECT_EQ(cents(0).toString(), "0.00");
    EXPECT_EQ(cents(7).toString(), "0.07");
    EXPECT_EQ(cents(2'750'000).toString(), "27500.00");
    EXPECT_EQ(Money::max().toString(), "999999999999.99");
    EXPECT_EQ(Money::max().toBind(), QVariant("999999999999.99"));
    EXPECT_EQ(Money::max().toLocaleString(QLocale::c()), "999,999,999,999.99");
    EXPECT_EQ(cents(123'456'789).toLocaleString(QLocale(QLocale::German)), "1.234.567,89");
    EXPECT_EQ(cents(1'234'567'800).toLocaleString(QLocale(QLocale::English, QLocale::India)),
              "1,23,45,678.00");
}

TEST(StoredAmountValue, WhatAnotherProgramStoredIsShownAsItIsAndFlagged) {
    const std::tuple<QVariant, QString, std::optional<qint64>> cases[] = {
        {1500.5, "1500.50", 150'050},
        {0.07, "0.07", 7},
        {-0.0, "0.00", 0},
        {QStringLiteral("999999999999.99"), "999999999999.99", 99'999'999'999'999},
        {QStringLiteral("1.5E+3"), "1500.00", 150'000},
        {QStringLiteral("33000.1200"), "33000.12", 3'300'012},
        {QStringLiteral("27,500.00"), "27,500.00", std::nullopt},
        {qlonglong(42), "42.00", 4'200},
    };
    for (const auto& [value, text, cents] : cases) {
        SCOPED_TRACE(value.toString().toStdString());
        const StoredAmount stored = StoredAmount::fromValue(value);
        EXPECT_FALSE(stored.isNull());
        EXPECT_EQ(stored.text(), text);
        EXPECT_EQ(stored.inRange() ? std::optional(stored.money()->cents()) : std::nullopt, cents);
    }
    EXPECT_TRUE(StoredAmount::fromValue(QVariant()).isNull());
    EXPECT_EQ(StoredAmount::fromValue(QVariant()).text(), "");
}

// A driver hands an amount over as a whole number or a double far more often than as text; the
// amount must be the same as that of the shortest decimal the number is.
TEST(StoredAmountValue, NumbersReadAsTheirShortestDecimal) {
    const double doubles[] = {0.07,
                              0.1 + 0.2,
                              std::nextafter(0.07, 0.0),
                              1500.5,
                              999999999999.99,
                              std::nextafter(999999999999.99, 1e300),
                              1e15,
                              -5.0,
                              1e-9};
    for (const double number : doubles) {
        const StoredAmount read = StoredAmount::fromValue(number);
        const StoredAmount asText =
            StoredAmount::fromValue(QString::number(number, 'e', QLocale::FloatingPointShortest));
        EXPECT_EQ(read.text(), asText.text()) << number;
        EXPECT_EQ(read.money(), asText.money()) << number;
    }
    for (const qlonglong whole : {0LL, -5LL, 999'999'999'999LL, 1'000'000'000'000LL}) {
        const StoredAmount read = StoredAmount::fromValue(whole);
        const StoredAmount asText = StoredAmount::fromValue(QString::number(whole));
        EXPECT_EQ(read.text(), asText.text()) << whole;
        EXPECT_EQ(read.money(), asText.money()) << whole;
    }
}

// What a clerk's window showed is compared with what is stored now: the same decimal must
// compare equal whatever type the driver hands it over as, and any change, even past the cents,
// must not.
TEST(StoredAmountValue, ComparesAsTheExactStoredDecimal) {
    const StoredAmount basic = StoredAmount::of(cents(2'750'000));
    EXPECT_EQ(StoredAmount::fromValue(qlonglong(27500)), basic);
    EXPECT_EQ(StoredAmount::fromValue(27500.0), basic);
    EXPECT_EQ(StoredAmount::fromValue(QStringLiteral("27500.000")), basic);
    EXPECT_EQ(StoredAmount::fromValue(1e15), StoredAmount::fromValue(QStringLiteral("1E+15")));
    EXPECT_NE(StoredAmount::fromValue(33000.129), StoredAmount::fromValue(33000.128));
    EXPECT_NE(StoredAmount::fromValue(1e15), StoredAmount::fromValue(2e15));
    EXPECT_NE(StoredAmount::fromValue(-5.0), StoredAmount::fromValue(5.0));
    EXPECT_EQ(StoredAmount(), StoredAmount::fromValue(QVariant()));
    EXPECT_NE(StoredAmount(), StoredAmount::fromValue(0.0));
}

// Written as the program binds it, or as another program stored it (out of range or with a
// third decimal, kept as it is), read back from the real payroll columns.
class MoneyInDatabase : public ::testing::Test {
protected:
    TestDatabase db;
    const QString employees = physical("pemployee");

    void storeBasic(int id, const QVariant& basic) {
        db.db()
            .addNew(employees)
            .set("eCompanyID", 1)
            .set("eEmpID", id)
            .set("eName", "E" + QString::number(id))
            .set("eBasic", basic)
            .store();
    }
    StoredAmount basicOf(int id) {
        data::Recordset rs =
            db.db().open("select eBasic from " + employees + " where eEmpID = ?", {id});
        return data::amountField(rs, "eBasic");
    }
};

TEST_F(MoneyInDatabase, EveryBoundAmountReadsBackToTheCent) {
    const qint64 amounts[] = {
        0, 7, 10, 150'050, 12'345'678'901'234, 99'999'999'999'998, 99'999'999'999'999};
    int id = 1;
    for (qint64 count : amounts)
        storeBasic(id++, cents(count).toBind());
    id = 1;
    for (qint64 count : amounts) {
        const StoredAmount stored = basicOf(id);
        ASSERT_TRUE(stored.inRange()) << count;
        EXPECT_EQ(stored.money()->cents(), count);
        EXPECT_EQ(stored.text(), cents(count).toString());
        // The re-check before a write compares with what the window showed, bound the same way.
        EXPECT_EQ(
            db.db()
                .open("select count(*) from " + employees + " where eEmpID = ? and eBasic = ?",
                      {id, cents(count).toBind()})
                .field(0)
                .toInt(),
            1)
            << count;
        ++id;
    }
    if (!db.isPostgres()) { // stored as a number, so the server sorts and sums it as one
        EXPECT_EQ(db.scalar("select typeof(eBasic) from " + employees + " where eEmpID = 1"),
                  "real");
    }
}

TEST_F(MoneyInDatabase, AmountsStoredByAnotherProgramComeBackAsTheyAre) {
    db.exec("insert into " + employees +
            " (eCompanyID, eEmpID, eBasic) values (1, 1, 1e15), (1, 2, 12345678901234.56), "
            "(1, 3, 33000.129), (1, 4, -5), (1, 5, 1e308), (1, 6, 1000000000000), (1, 7, null)");
    QStringList texts;
    for (int id = 1; id <= 6; ++id) {
        texts << basicOf(id).text();
        EXPECT_FALSE(basicOf(id).inRange()) << id;
    }
    // SQLite's ODBC driver hands every value over as SQLite's text of it, which keeps 15
    // significant digits: enough for every amount in range, not for the second.
    const bool odbc = db.db().database().driverName() == "QODBC" && !db.isPostgres();
    EXPECT_EQ(texts, QStringList({"1000000000000000.00",
                                  odbc ? "12345678901234.60" : "12345678901234.56", "33000.129",
                                  "-5.00", "1" + QString(308, '0') + ".00", "1000000000000.00"}));
    EXPECT_TRUE(basicOf(7).isNull());
}

} // namespace
