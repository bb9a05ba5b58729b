#include "bulk/settingsfile.h"
#include "support/check.h"

namespace {

using namespace bulk;

// Every key, in any case, with blanks around: the README's example (5% on every basic of grade
// 3, rounded to whole units, housing raised by 1,000) and the rest.
TEST(BulkSettingsFile, ReadsEveryKey) {
    const BulkSettings all = parseBulkSettings(R"(
        ; a comment either way
        # Annual increment 2027 for grade 3
        [Employees]
        grade = 3
        designation=12
        Currency = USD
        search = smith
        [change]
        date = 2027-03-31
        remarks = Annual increment 2027
        basic = +5%
        rounding = 1
        designation = 14
        [line]
        kind = Deduction
        type = 7
        change = drop
        [line]
        kind = allowance
        type = 2
        change = =1500.50
        add_where_missing = yes
        [line]
        kind = allowance
        type = 1
        change = +1,000
    )");
    EXPECT_EQ(all.filters.gradeId, 3);
    EXPECT_EQ(all.filters.designationId, 12);
    EXPECT_EQ(all.filters.currency, "USD");
    EXPECT_EQ(all.filters.search, "smith");
    EXPECT_EQ(all.rules.basic.mode, Mode::PlusPercent);
    EXPECT_EQ(all.rules.basic.percent.tenThousandths(), 50'000);
    EXPECT_EQ(all.rules.rounding, Rounding::Unit);
    ASSERT_TRUE(all.rules.newJob);
    EXPECT_EQ(all.rules.newJob->designationId, 14);
    ASSERT_EQ(all.rules.lines.size(), 3u);
    EXPECT_EQ(all.rules.lines[0].kind, LineKind::Deduction);
    EXPECT_EQ(all.rules.lines[0].adjustment.mode, Mode::Drop);
    EXPECT_TRUE(all.rules.lines[1].addWhereMissing);
    EXPECT_EQ(all.rules.lines[1].adjustment.mode, Mode::SetTo);
    EXPECT_EQ(all.rules.lines[1].adjustment.amount.cents(), 150'050);
    EXPECT_EQ(all.rules.lines[2].adjustment.mode, Mode::PlusAmount);
    EXPECT_EQ(all.rules.lines[2].adjustment.amount.cents(), 100'000);
}

TEST(BulkSettingsFile, ErrorsNameTheLineAndTheKey) {
    const QString head = "[change]\ndate = 2027-01-01\n";
    const std::pair<QString, const char*> cases[] = {
        {"", "[change] is missing: it gives at least the date"},
        {"basic = +5%", "line 1: a key before any [section]"},
        {"[changes]", "line 1: unknown section [changes]; use [employees], [change] or [line]"},
        {head + "basic", "line 3: expected key = value or [section]"},
        {head + "bonus = 5", "line 3: [change] has no key \"bonus\""},
        {"[change]\ndate = 1/1/2027\nbasic = +5%",
         "line 2: [change] date: \"1/1/2027\" is not a date as 2027-01-31"},
        {head + "basic = +1000.005",
         "line 3: [change] basic: \"+1000.005\" holds no amount from 0.00 to 999,999,999,999.99"},
        {head + "basic = +5%\n[employees]\ngrade = three",
         "line 5: [employees] grade: \"three\" is not an id (a whole number above 0)"},
        {head + "[line]\nkind = allowance\ntype = 1", "line 3: [line] change is missing"},
        {head + "[line]\nkind = allowance\ntype = 1\nchange = unchanged",
         "line 6: [line] change: \"unchanged\" is not +5%, +1000, =1500 or drop"},
        {head + "[line]\nkind = allowance\ntype = 1\nchange = +5%\nadd_where_missing = yes",
         "line 7: [line] add_where_missing: \"yes\" needs a change that sets an amount (=1500)"},
        {head, "The rules change nothing."}, // the rest of the rules' checks are the rules' own
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(thrown<SettingsError>([&] { parseBulkSettings(text); }).message(), message)
            << text;
    EXPECT_TRUE(thrown<SettingsError>([] { readBulkSettings("/nonexistent/bulk.ini"); })
                    .message()
                    .startsWith("Cannot read /nonexistent/bulk.ini: "));
}

} // namespace
