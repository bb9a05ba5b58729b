// Faults in every write of the job-change service through the driver under test: by the server
// itself, at each statement, and lost races.

#include "jobchange/servicefixture.h"
#include "support/hooks.h"

#include <array>

namespace {

class Faults : public ServiceTest {};

TEST_F(Faults, EachWriteOfANewSaveAnEditAndACancellationWithoutLines) {
    jobchange::JobChangeDraft dina; // no lines, her job inactive
    dina.employeeId = 4;
    dina.oldDesignationId = 3;
    dina.newDesignationId = 2;
    dina.oldBasic = data::Money::fromCents(1500000).value();
    dina.newBasic = data::Money::fromCents(1700000).value();
    dina.date = QDate(2003, 2, 14);
    std::array<int, 3> failures{};
    failures[0] = failEachWrite([&] { return writer.saveNew(dina); }, true);
    dina.remarks = QStringLiteral("Corrected");
    failures[1] = failEachWrite([&] { return writer.saveEdit(1, dina); }, true);
    failures[2] = failEachWrite([&] { return writer.cancel(1, "withdrawn"); }, true);
    // new: header, employee, two deletions of standing lines, the audit row, COMMIT; the edit
    // also deletes its lines twice; cancellation: mark, employee, two deletions, the audit row,
    // COMMIT. Each failure leaves neither the write nor its audit row.
    EXPECT_EQ(failures, (std::array<int, 3>{6, 8, 6}));
    EXPECT_EQ(db.rows("select auAction, auJobChangeNo from pay_audittrail order by auSeq"),
              QStringList({"New|JC1", "Edit|JC1", "Cancel|JC1"}));
    EXPECT_EQ(db.rows("select egcNewBasic, egcremarks, egcCancelled from pay_employeegradechange"),
              QStringList{"17000|Corrected|1"});
    EXPECT_EQ(employee(4), QStringList{"15000|1|3"});
}

// A new save that loses a race (number taken, database locked) is done again up to 4 times; an
// edit or a cancellation is retried only while the database stays locked.
TEST_F(Faults, AWriteThatLosesARaceIsTriedAgainUpToItsBound) {
    const std::function<jobchange::WriteResult()> writes[] = {
        [&] { return writer.saveNew(ashaPromoted()); },
        [&] { return writer.saveEdit(1, ashaPromoted()); }, [&] { return writer.cancel(1, "r"); }};
    const struct {
        int write; // of the writes above
        int error;
        int at;    // the statement that fails first, again each try
        int times; // it fails
        int retries;
    } cases[] = {
        {0, data::kErrIntegrityViolation, 1, 99, 4}, {0, data::kErrLockConflict, 5, 1, 1},
        {1, data::kErrIntegrityViolation, 1, 1, 0},  {1, data::kErrLockConflict, 1, 1, 1},
        {2, data::kErrIntegrityViolation, 1, 1, 0},  {2, data::kErrLockConflict, 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("write %1 error %2").arg(c.write).arg(c.error));
        const QMap<QString, QStringList> before = db.snapshot();
        int statements = 0, failed = 0;
        hookWrites(db.db(), [&](const QString&) {
            if (++statements >= c.at && failed < c.times) {
                ++failed;
                throw data::DbError(c.error, "test", "lost");
            }
        });
        const jobchange::WriteResult result = writes[c.write]();
        db.db().setStatementHook({});
        EXPECT_EQ(result.retries, c.retries);
        EXPECT_EQ(result.ok, c.error == data::kErrLockConflict) << result.error;
        if (!result.ok) {
            EXPECT_EQ(result.error, "lost");
            EXPECT_EQ(failed, c.retries + 1);
            EXPECT_EQ(db.snapshot(), before);
        }
    }
    EXPECT_EQ(db.rows("select count(*) from pay_empgcallowance where egcagcid = 1"),
              QStringList{"3"});
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
