#include "bulk/preview.h"
#include "bulk/previewtable.h"
#include "bulkwindow/previewfile.h"

#include <gtest/gtest.h>

namespace {

using namespace bulk;
using State = RevisedLine::State;
using What = RuleEffect::What;

constexpr qint64 kHousing = 1, kTransport = 2, kMeal = 3, kLoan = 7;

data::StoredAmount money(qint64 cents) {
    return data::StoredAmount::of(data::Money::fromCents(cents).value());
}

EmployeeSnapshot employee(qint32 id, const char* number, const char* name, qint64 basic) {
    return {id, number, name, 5, "Clerk", 2, "G2", "USD", money(basic), {}};
}

// Ann has housing, transport and a loan; Ben has transport only.
std::vector<EmployeeSnapshot> staff() {
    EmployeeSnapshot ann = employee(11, "E001", "Ann Lee", 3'333'333);
    ann.linesOf(LineKind::Allowance) = {{kHousing, "Housing", money(500'000)},
                                        {kTransport, "Transport", money(120'000)}};
    ann.linesOf(LineKind::Deduction) = {{kLoan, "Loan", money(30'000)}};
    EmployeeSnapshot ben = employee(12, "E002", "Ben Okafor", 2'000'000);
    ben.linesOf(LineKind::Allowance) = {{kTransport, "Transport", money(80'000)}};
    return {ann, ben};
}

Rules rulesWith(Adjustment basic, std::vector<LineRule> lines = {}) {
    Rules rules;
    rules.date = QDate(2027, 1, 1);
    rules.remarks = "Annual increment";
    rules.basic = basic;
    rules.lines = std::move(lines);
    return rules;
}

Adjustment plus(const char* percent) {
    return {Mode::PlusPercent, Percent::parse(percent).value(), {}};
}
Adjustment byAmount(Mode mode, qint64 cents) {
    return {mode, {}, data::Money::fromCents(cents).value()};
}

TEST(BulkPreview, EachBasicModeAndTheJob) {
    const std::tuple<Adjustment, qint64, qint64, bool> cases[] = {
        // Ann's and Ben's, Ann's idle
        {{}, 3'333'333, 2'000'000, false},
        {plus("5"), 3'500'000, 2'100'000, false},
        {byAmount(Mode::PlusAmount, 100'000), 3'433'333, 2'100'000, false},
        {byAmount(Mode::SetTo, 3'333'333), 3'333'333, 3'333'333, true},
    };
    for (const auto& [basic, ann, ben, annIdle] : cases) {
        Rules rules = rulesWith(basic);
        rules.newJob = NewJob{9, "G4 - Senior Clerk"};
        const std::vector<PreviewRow> rows = computePreview(staff(), rules);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].basic.newCents, ann);
        EXPECT_EQ(rows[1].basic.newCents, ben);
        EXPECT_EQ(rows[0].basicDidNothing, annIdle);
        EXPECT_FALSE(rows[1].basicDidNothing);
        EXPECT_EQ(rows[0].newJob, "G4 - Senior Clerk");
        EXPECT_EQ(plannedJobChange(rows[0], rules).value().newDesignationId, 9);
    }
    const PreviewRow kept = computePreview(staff(), rulesWith(plus("5")))[0];
    EXPECT_EQ(kept.newDesignationId, 5);
    EXPECT_EQ(kept.newJob, "G2 - Clerk");
}

TEST(BulkPreview, LineRulesOnPresentAndMissingTypes) {
    // Ben lacks housing: only a "set" rule that adds where missing gives it to him.
    // The change, whether it adds where missing; what it does to Ann's and Ben's, Ann's new amount.
    const std::tuple<Adjustment, bool, What, What, qint64> cases[] = {
        {plus("10"), false, What::Changed, What::NoLine, 550'000},
        {byAmount(Mode::SetTo, 700'000), false, What::Changed, What::NoLine, 700'000},
        {byAmount(Mode::SetTo, 700'000), true, What::Changed, What::Added, 700'000},
        {byAmount(Mode::SetTo, 500'000), true, What::Unchanged, What::Added, 500'000},
        {byAmount(Mode::PlusAmount, 0), false, What::Unchanged, What::NoLine, 500'000},
        {{Mode::Drop, {}, {}}, false, What::Dropped, What::NoLine, 500'000},
    };
    for (const auto& [change, addWhereMissing, annDid, benDid, annNew] : cases) {
        const LineRule rule{LineKind::Allowance, kHousing, "Housing", change,
                            addWhereMissing,     "USD"};
        const std::vector<PreviewRow> rows = computePreview(staff(), rulesWith({}, {rule}));
        const PreviewRow& ann = rows[0];
        const PreviewRow& ben = rows[1];
        EXPECT_EQ(ann.effects.at(0).what, annDid);
        EXPECT_EQ(ben.effects.at(0).what, benDid);

        const RevisedLine& housing = ann.linesOf(LineKind::Allowance)[0];
        EXPECT_EQ(housing.amount.newCents, annNew);
        EXPECT_EQ(housing.state, annDid == What::Dropped ? State::Dropped : State::Kept);
        EXPECT_EQ(ann.monthlyChangeIn("USD"),
                  annDid == What::Dropped ? -500'000 : annNew - 500'000);

        // Added, Ben's housing comes after his transport at the amount the rule sets.
        const std::vector<RevisedLine>& benLines = ben.linesOf(LineKind::Allowance);
        const bool added = benDid == What::Added;
        ASSERT_EQ(benLines.size(), added ? 2u : 1u);
        EXPECT_EQ(ben.monthlyChangeIn("USD"), added ? annNew : 0);
        if (added) {
            EXPECT_EQ(benLines[1].typeId, kHousing);
            EXPECT_EQ(benLines[1].state, State::Added);
        }
    }
}

TEST(BulkPreview, OutOfRangeAndZeroBasicBlockTheRow) {
    const data::Money max = data::Money::max();
    // Above the top of the range, by adding, by a percent, and on a deduction.
    const std::vector<Rules> tooHigh = {
        rulesWith(byAmount(Mode::PlusAmount, max.cents())),
        rulesWith(plus("1000"), {}),
        rulesWith({}, {{LineKind::Deduction, kLoan, "", byAmount(Mode::PlusAmount, max.cents()),
                        false, ""}}),
    };
    for (const Rules& rules : tooHigh) {
        std::vector<EmployeeSnapshot> one = {staff()[0]};
        one[0].basic = money(max.cents() / 2 + 1);
        const PreviewRow row = computePreview(one, rules)[0];
        EXPECT_TRUE(row.outOfRange);
        EXPECT_TRUE(row.blocked());
        EXPECT_FALSE(plannedJobChange(row, rules));
    }
    // The top itself is allowed.
    const PreviewRow atTop =
        computePreview(staff(), rulesWith(byAmount(Mode::SetTo, max.cents())))[0];
    EXPECT_FALSE(atTop.blocked());

    // A stored amount outside the range blocks the employee even when no rule touches it.
    std::vector<EmployeeSnapshot> odd = staff();
    odd[1].linesOf(LineKind::Allowance)[0].amount = data::StoredAmount::fromValue("80000.125");
    const std::vector<PreviewRow> rows = computePreview(odd, rulesWith(plus("5")));
    EXPECT_FALSE(rows[0].blocked());
    EXPECT_TRUE(rows[1].outOfRange);

    const PreviewRow zero = computePreview(staff(), rulesWith(plus("-100")))[0];
    EXPECT_TRUE(zero.noBasic);
    EXPECT_FALSE(plannedJobChange(zero, rulesWith(plus("-100"))));
}

TEST(BulkPreview, TotalsCountTickedRowsThatCanBeApplied) {
    const Rules rules = rulesWith(
        plus("5"), {{LineKind::Allowance, kTransport, "Transport", plus("10"), false, "USD"},
                    {LineKind::Deduction, kLoan, "Loan", byAmount(Mode::SetTo, 0), false, "USD"}});
    std::vector<EmployeeSnapshot> all = staff();
    all.push_back(employee(13, "E003", "Cy Dunn", 1'000'000));
    all.push_back(employee(14, "E004", "Di Eze", 500'000));
    all[3].basic = data::StoredAmount::fromValue("1e15");
    std::vector<PreviewRow> rows = computePreview(all, rules);
    // Ann: basic +166,666.67, transport +12,000.00, loan 300.00 -> 0 raises her total by 300.
    EXPECT_EQ(rows[0].monthlyChangeIn("USD"), 166'667 + 12'000 + 30'000);
    EXPECT_EQ(rows[1].monthlyChangeIn("USD"), 100'000 + 8'000);
    EXPECT_TRUE(rows[2].effects[0].didNothing());
    EXPECT_TRUE(rows[3].blocked());
    rows[2].checked = false;

    // Ann's and Ben's: basic, transport, loan, the monthly change.
    const PreviewTotals totals = previewTotals(rows, rules);
    ASSERT_EQ(totals.currencies.size(), 1u);
    const CurrencyTotals& usd = totals.currencies[0];
    QString sums = QString::number(totals.employees) + " " + QString::number(usd.employees);
    for (const AmountChange& sum : {usd.basic, *usd.lines.at(0), *usd.lines.at(1)})
        sums += QStringLiteral(" %1>%2").arg(sum.oldCents).arg(sum.newCents);
    EXPECT_EQ(sums + " " + QString::number(usd.monthlyChangeCents),
              "2 2 5333333>5600000 200000>220000 30000>0 316667");

    // Exported: one row per employee and the totals, every cell of its column's kind.
    const tableexport::ExportTable table = previewTable(rows, rules);
    ASSERT_EQ(table.rows.size(), 5u);
    EXPECT_EQ(std::get<QString>(table.rows[2][13]),
              "Allowance Transport: rule did nothing; Deduction Loan: rule did nothing");
    EXPECT_FALSE(std::get<bool>(table.rows[2][12]));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(table.rows[3][5])); // stored 1e15
    EXPECT_EQ(std::get<QString>(table.rows[3][13]).left(19), "amount out of range");
    EXPECT_EQ(std::get<QString>(table.rows[4][1]), "2 employees");
    EXPECT_EQ(std::get<tableexport::Cents>(table.rows[4][11]).value, 316'667);
}

// Ann is paid in dollars and her housing allowance in dirhams; Ben is paid in rupees. No
// amount of one currency is added to another's, in a row or in the totals.
TEST(BulkPreview, AmountsOfDifferentCurrenciesAreNeverAdded) {
    std::vector<EmployeeSnapshot> both = staff();
    both[1].currency = "INR";
    const Rules rules = rulesWith(
        plus("5"), {{LineKind::Allowance, kHousing, "Housing", plus("10"), false, "AED"}});
    const std::vector<PreviewRow> rows = computePreview(both, rules);
    EXPECT_EQ(rows[0].monthlyChange,
              (std::vector<CurrencyAmount>{{"USD", 166'667}, {"AED", 50'000}}));
    EXPECT_EQ(rows[1].monthlyChange, (std::vector<CurrencyAmount>{{"INR", 100'000}}));

    // Every export and the window show this table.
    const tableexport::ExportTable table = previewTable(rows, rules);
    EXPECT_EQ(table.titles.mid(4),
              QStringList({"Currency", "Old Basic", "New Basic", "Allowance Housing Old (AED)",
                           "Allowance Housing New (AED)", "Monthly Change (AED)",
                           "Monthly Change (INR)", "Monthly Change (USD)", "Apply", "Notes"}));
    QStringList shown;
    for (const tableexport::ExportRow& row : table.rows) {
        QStringList cells;
        for (size_t c = 4; c < row.size() - 1; ++c)
            cells << previewCellText(row[c]);
        shown << previewCellText(row[0]) + ": " + cells.join('|');
    }
    EXPECT_EQ(shown, QStringList({
                         "E001: USD|33,333.33|35,000.00|5,000.00|5,500.00|500.00||1,666.67|Yes",
                         "E002: INR|20,000.00|21,000.00||||1,000.00||Yes",
                         "Total (AED): AED|0.00|0.00|5,000.00|5,500.00|500.00|||",
                         "Total (INR): INR|20,000.00|21,000.00||||1,000.00||",
                         "Total (USD): USD|33,333.33|35,000.00|||||1,666.67|",
                     }));
}

} // namespace
