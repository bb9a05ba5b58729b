#include "bulk/rules.h"

#include <gtest/gtest.h>

namespace {

using namespace bulk;

Percent percent(const char* text) {
    const std::optional<Percent> parsed = Percent::parse(QString::fromLatin1(text));
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(Percent());
}

TEST(BulkPercent, ReadsExactDecimalsAndRefusesTheRest) {
    EXPECT_EQ(percent("5").tenThousandths(), 50'000);
    EXPECT_EQ(percent("2.5").tenThousandths(), 25'000);
    EXPECT_EQ(percent(" +3.1416 % ").tenThousandths(), 31'416);
    EXPECT_EQ(percent("-1.25%").tenThousandths(), -12'500);
    EXPECT_EQ(percent("1000").tenThousandths(), 10'000'000);
    EXPECT_EQ(percent("-100").tenThousandths(), -1'000'000);
    for (const char* bad :
         {"", "%", "5.12345", "1e2", "five", "1,5", "1000.01", "-100.01", ".5", "5%%", "--5"})
        EXPECT_FALSE(Percent::parse(QString::fromLatin1(bad))) << bad;
}

TEST(BulkPercent, AddsExactlyAndRoundsHalvesAwayFromZero) {
    const std::tuple<qint64, const char*, Rounding, qint64> cases[] = {
        // 33,333.33 + 5% = 34,999.9965: a double gives 34999.996499999997.
        {3'333'333, "5", Rounding::Cent, 3'500'000},
        {3'333'333, "2.5", Rounding::Cent, 3'416'666},    // 34,166.66325
        {3'333'333, "0.0001", Rounding::Cent, 3'333'336}, // 33,333.3633
        // Exactly on the half, for each step, and a hair below it.
        {1'010, "5", Rounding::Cent, 1'061},        // 10.605 -> 10.61
        {1'009, "5", Rounding::Cent, 1'059},        // 10.5945 -> 10.59
        {1'000, "5", Rounding::Unit, 1'100},        // 10.50 -> 11
        {1'000, "4.9999", Rounding::Unit, 1'000},   // 10.499990 -> 10
        {10'000, "5", Rounding::Ten, 11'000},       // 105 -> 110
        {100'000, "5", Rounding::Hundred, 110'000}, // 1,050 -> 1,100
        {1'010, "-5", Rounding::Cent, 960},         // 9.595 -> 9.60
        {1'000, "-100", Rounding::Cent, 0},
        // The top of the range times eleven does not overflow.
        {99'999'999'999'999, "1000", Rounding::Cent, 1'099'999'999'999'989},
    };
    for (const auto& [cents, plus, rounding, expected] : cases)
        EXPECT_EQ(addPercent(cents, percent(plus), rounding), expected)
            << cents << " + " << plus << "%";
}

TEST(BulkRules, RefusesRulesThatCannotBeApplied) {
    Rules rules;
    rules.date = QDate(2027, 1, 1);
    EXPECT_EQ(rulesProblem(rules), "The rules change nothing.");
    rules.basic = {Mode::PlusPercent, percent("5"), {}};
    EXPECT_EQ(rulesProblem(rules), "");

    LineRule housing{LineKind::Allowance, 4, "Housing", {Mode::PlusAmount, {}, {}}, true, ""};
    rules.lines = {housing};
    EXPECT_EQ(rulesProblem(rules),
              "Only a rule that sets an amount can add missing lines (allowance type 4).");
    rules.lines[0].addWhereMissing = false;
    LineRule loan{LineKind::Deduction, 4, "Loan", {Mode::Drop, {}, {}}, false, ""};
    rules.lines.push_back(loan); // the same type id in the other kind is another type
    EXPECT_EQ(rulesProblem(rules), "");
    rules.lines.push_back(loan);
    EXPECT_EQ(rulesProblem(rules), "Two rules for deduction type 4.");
    rules.lines = {LineRule{LineKind::Allowance, 2, "", {}, false, ""}};
    EXPECT_EQ(rulesProblem(rules), "The rule for allowance type 2 changes nothing.");
    rules.lines.clear();
    rules.basic.mode = Mode::Drop;
    EXPECT_EQ(rulesProblem(rules), "The basic pay cannot be dropped.");
    rules.date = QDate();
    EXPECT_EQ(rulesProblem(rules), "The job date is missing.");

    EXPECT_EQ(parseRounding("0.01"), Rounding::Cent);
    EXPECT_EQ(parseRounding(" 100 "), Rounding::Hundred);
    EXPECT_FALSE(parseRounding("5"));
    EXPECT_FALSE(parseRounding("0.1"));
}

} // namespace
