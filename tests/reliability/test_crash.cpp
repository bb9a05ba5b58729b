// A clerk saving, editing and cancelling job changes in a loop is killed (SIGKILL) at random
// moments, again and again. Afterwards the database passes its integrity check, every job
// change the clerk was told was saved is there, and every job change is whole and agrees with
// the employee it moved.

#include "clerks.h"
#include "wholeness.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <iostream>

namespace {

constexpr int kKills = 60;
// Long enough for a few saves after the register has loaded.
constexpr quint32 kLongestLifeMs = 300;

// The server ends a killed client's session once it has noticed the connection is gone, after
// finishing (or undoing) what it was doing; until then a commit may still land.
bool serverSessionEnded(const TestDatabase& db) {
    QElapsedTimer waited;
    waited.start();
    while (db.scalar("select count(*) from pg_stat_activity where datname = current_database() "
                     "and pid <> pg_backend_pid()")
               .toInt() > 0) {
        if (waited.hasExpired(20000))
            return false;
        QThread::msleep(5);
    }
    return true;
}

TEST(Crashes, AClerkKilledAtAnyMomentLeavesEveryJobChangeWhole) {
    TestDatabase db;
    db.loadDemo();
    const QString headers = physical(QStringLiteral("pEmployeegradeChange"));
    const qint64 floor =
        db.scalar("select max(egcId) from " + headers + " where egcCompanyID = 1").toLongLong();
    const wholeness::Staff atFloor = wholeness::staffOf(db);
    const bool sqlite = !db.isPostgres();
    const QString journal = db.sqlitePath() + QStringLiteral("-journal");

    QRandomGenerator random(20261130);
    int kills = 0, midWrite = 0, saved = 0, edited = 0, cancelled = 0;
    QMap<qint64, QString> toldSaved;
    for (int life = 1; life <= kKills; ++life) {
        SCOPED_TRACE(life);
        ClerkProcess clerk(
            db, {"--mixed", "--floor", QString::number(floor), "--seed", QString::number(life)});
        ASSERT_TRUE(clerk.waitFor("ready", 60000)) << clerk.errors().toStdString();
        QThread::msleep(random.bounded(kLongestLifeMs));
        clerk.process().kill();
        const ClerkReport report = clerk.finish(30000);
        ASSERT_EQ(clerk.process().exitStatus(), QProcess::CrashExit)
            << "the clerk ended before it was killed: " << clerk.errors().toStdString();
        ++kills;
        if (!sqlite) {
            ASSERT_TRUE(serverSessionEnded(db)) << "the server kept the killed clerk's session";
        }
        // A journal left behind means the kill caught a transaction with writes pending.
        if (sqlite && QFile::exists(journal))
            ++midWrite;
        EXPECT_TRUE(report.reported.isEmpty()) << report.reported.join('\n').toStdString();
        EXPECT_TRUE(report.unexpected.isEmpty()) << report.unexpected.join('\n').toStdString();
        for (const CommittedSave& save : report.committed)
            toldSaved.insert(save.id, save.number);
        saved += static_cast<int>(report.committed.size());
        edited += report.edited;
        cancelled += report.cancelled;

        if (sqlite) {
            EXPECT_EQ(db.scalar("PRAGMA integrity_check").toString(), "ok");
        }
        wholeness::expectWhole(db, atFloor, floor);
        if (HasFailure())
            break;
    }

    // Nothing the clerk was told was saved went missing.
    for (auto it = toldSaved.cbegin(); it != toldSaved.cend(); ++it)
        EXPECT_EQ(db.scalar("select egcNo from " + headers +
                            " where egcCompanyID = 1 and egcId = " + QString::number(it.key()))
                      .toString(),
                  it.value());
    const size_t stored = wholeness::expectWhole(db, atFloor, floor);
    EXPECT_GE(kills, 50);
    EXPECT_GT(saved, 0);
    std::cout << "kills survived " << kills;
    if (sqlite)
        std::cout << " (" << midWrite << " inside a write transaction)";
    std::cout << "; saves told committed " << saved << ", edits " << edited << ", cancellations "
              << cancelled << "; job changes stored " << stored
              << (HasFailure() ? "" : ", all whole") << std::endl;
}

} // namespace
