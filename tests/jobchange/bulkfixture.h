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

    // Fails the batch write at COMMIT, then at its statement 1, 2, ... until it gets through, and
    // returns what got through. Each failure must say why and leave every table as it was;
    // statements, when given, gets those of the first run.
    jobchange::BatchResult failEachBatchWrite(const std::function<jobchange::BatchResult()>& write,
                                              QStringList* statements = nullptr) {
        const auto before = db.snapshot();
        for (int failAt = 0;; ++failAt) {
            SCOPED_TRACE(failAt);
            int writes = 0;
            hookWrites(db.db(), [&](const QString& sql) {
                if (failAt == 0 && statements && sql != "commit")
                    *statements << sql;
                if (failAt == 0 ? sql == "commit" : ++writes == failAt)
                    throw data::DbError(data::kErrGeneric, "test", "Disk full");
            });
            const jobchange::BatchResult result = write();
            db.db().setStatementHook({});
            if (failAt > 0 && writes < failAt)
                return result;
            EXPECT_EQ(result.outcome, jobchange::BatchResult::Outcome::Failed);
            EXPECT_EQ(result.error, "Disk full");
            EXPECT_TRUE(result.saved.empty());
            EXPECT_EQ(db.snapshot(), before);
            EXPECT_FALSE(db.db().inTransaction());
        }
    }

    std::vector<bulk::PreviewRow> preview() const {
        return bulk::computePreview(bulkReads.eligibleEmployees(), rules);
    }

    bulk::Rules rules;
    jobchange::BulkReads bulkReads{workspace};
};
