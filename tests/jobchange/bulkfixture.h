#pragma once

// The bulk revision's test company: the entry data's employees and two more, and rules that
// raise the basic, change, add and drop lines.

#include "jobchange/bulkreads.h"
#include "jobchange/servicefixture.h"
#include "support/hooks.h"

inline data::Money money(qint64 cents) {
    return data::Money::fromCents(cents).value();
}

class BulkRevisionTest : public ServiceTest {
protected:
    BulkRevisionTest() {
        insertMoreEmployees(db);
        rules.date = QDate(2003, 3, 1);
        rules.remarks = QStringLiteral("Annual increment");
        rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
        rules.lines = {
            {LineKind::Allowance, 1, {}, {bulk::Mode::PlusAmount, {}, money(100000)}, false, {}},
            {LineKind::Allowance, 3, {}, {bulk::Mode::SetTo, {}, money(25000)}, true, {}},
            {LineKind::Deduction, 2, {}, {bulk::Mode::Drop, {}, {}}, false, {}}};
        EXPECT_EQ(bulkReads.prepareRules(rules), "");
    }

    // Emil and Fay besides the entry data's Asha, Bruno and Dina: five eligible employees.
    static void insertMoreEmployees(const TestDatabase& into) {
        into.insert("pemployee", {"1, 5, 'E005', 'Emil', 1, 1, 10000.5, 1, 1",
                                  "1, 6, 'E006', 'Fay', 2, 2, 33333.33, 1, 1"});
        into.insert("pempallowances", {"1, 5, 1, 1, 4000", "1, 6, 1, 2, 700", "1, 6, 2, 1, 7000"});
        into.insert("pempdeductions", {"1, 6, 1, 2, 900", "1, 6, 2, 1, 1500"});
    }

    std::vector<bulk::PreviewRow> preview() const {
        return bulk::computePreview(bulkReads.eligibleEmployees(), rules);
    }

    bulk::Rules rules;
    jobchange::BulkReads bulkReads{workspace};
};
