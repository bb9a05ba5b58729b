// Faults in every write of the job-change service through the driver under test: by the server
// itself, at each statement, and lost races.

#include "jobchange/servicefixture.h"

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
    failures[0] = failEachWrite([&] { return service.saveNew(dina); }, true);
    dina.remarks = QStringLiteral("Corrected");
    failures[1] = failEachWrite([&] { return service.saveEdit(1, dina); }, true);
    failures[2] = failEachWrite([&] { return service.cancel(1, "withdrawn"); }, true);
    // new: header, employee, two deletions of standing lines; the edit also deletes its lines
    // twice; cancellation: mark, employee, two deletions
    EXPECT_EQ(failures, (std::array<int, 3>{4, 6, 4}));
    EXPECT_EQ(rowsOf("select egcNewBasic, egcremarks, egcCancelled from pay_employeegradechange"),
              QStringList{"17000|Corrected|1"});
    EXPECT_EQ(employee(4), QStringList{"15000|1|3"});
}

// A new save that loses a race (number taken, database locked) is done again up to 4 times; an
// edit or a cancellation is retried only while the database stays locked.
TEST_F(Faults, AWriteThatLosesARaceIsTriedAgainUpToItsBound) {
    const QMap<QString, QStringList> before = db.snapshot();
    int attempts = 0, writes = 0;
    db.db().setWriteHook([&](const QString& sql) {
        attempts += sql.startsWith("insert into pay_employeegradechange");
        throw data::DbError(data::kErrIntegrityViolation, "test", "duplicate key");
    });
    jobchange::WriteResult result = service.saveNew(ashaPromoted());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(attempts, 5);
    EXPECT_EQ(result.retries, 4);
    EXPECT_EQ(result.error, "duplicate key");
    EXPECT_EQ(db.snapshot(), before);

    db.db().setWriteHook([&](const QString&) {
        if (++writes == 5)
            throw data::DbError(data::kErrLockConflict, "test", "database is locked");
    });
    result = service.saveNew(ashaPromoted());
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.retries, 1);

    for (const bool cancel : {false, true}) {
        writes = 0;
        db.db().setWriteHook([&](const QString&) {
            ++writes;
            throw data::DbError(data::kErrIntegrityViolation, "test", "duplicate key");
        });
        result = cancel ? service.cancel(1, "r") : service.saveEdit(1, ashaPromoted());
        EXPECT_EQ(writes, 1) << "not a lost race";
        EXPECT_EQ(result.retries, 0);
        writes = 0;
        db.db().setWriteHook([&](const QString&) {
            if (++writes == 1)
                throw data::DbError(data::kErrLockConflict, "test", "database is locked");
        });
        result = cancel ? service.cancel(1, "r") : service.saveEdit(1, ashaPromoted());
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.retries, 1);
    }
    db.db().setWriteHook({});
    EXPECT_EQ(rowsOf("select count(*) from pay_empgcallowance where egcagcid = 1"),
              QStringList{"3"});
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
