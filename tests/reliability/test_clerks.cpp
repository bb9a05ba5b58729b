// Clerk processes (quorvel-clerk) on the database under test: four saving at once, two racing
// for the same employee, savers and cancellers on a few employees, and clerks and bulk applies
// killed at random moments.

#include "entry/entryfixture.h"
#include "jobchange/auditverify.h"
#include "jobchange/staleness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <iostream>

namespace {

// A clerk on the test's database, by the road the test itself takes; killed when it goes.
class ClerkProcess : public QProcess {
public:
    ClerkProcess(const TestDatabase& db, const QStringList& options) {
        start(QCoreApplication::applicationDirPath() + "/quorvel-clerk",
              options + db.hostArguments());
    }
    bool ready() {
        while (!out_.contains("ready\n") && waitForReadyRead(60000))
            out_ += readAllStandardOutput();
        return out_.contains("ready\n");
    }
    std::string errors() { return readAllStandardError().toStdString(); }
    void go() {
        write("go\n");
        waitForBytesWritten(5000);
    }
    // The next line said after "ready"; empty when nothing is said in time.
    QString next() {
        for (;;) {
            while (!canReadLine())
                if (!waitForReadyRead(60000))
                    return {};
            const QString line = QString::fromUtf8(readLine()).trimmed();
            if (line != "ready")
                return line;
        }
    }
    // Waits for the end and reads what the clerk said.
    void finish(int milliseconds) {
        waitForFinished(milliseconds);
        out_ += readAllStandardOutput();
        for (const QString& line : QString::fromUtf8(out_).split('\n')) {
            const QStringList word = line.split(' ');
            ++count[word[0]];
            if (word[0] == "committed") {
                committed.insert(word[1].toLongLong(), word.value(2));
            } else if (word[0] == "reported") {
                reported << line.section(' ', 2);
            }
        }
    }

    QMap<qint64, QString> committed; // id -> number
    QStringList reported;
    QMap<QString, int> count; // lines by their first word

private:
    QByteArray out_;
};

QMap<qint64, QString> numbersAbove(const TestDatabase& db, qint64 floor) {
    QMap<qint64, QString> numbers;
    for (const QString& row : db.rows("select egcId, egcNo from pay_employeegradechange where "
                                      "egcCompanyID = 1 and egcId > " +
                                      QString::number(floor)))
        numbers.insert(row.section('|', 0, 0).toLongLong(), row.section('|', 1));
    return numbers;
}

// The rows of the queries by their first column, the rest of each row sorted.
QMap<qint64, QStringList> grouped(const TestDatabase& db, const QStringList& sqls) {
    QMap<qint64, QStringList> groups;
    for (const QString& sql : sqls)
        for (const QString& row : db.rows(sql))
            groups[row.section('|', 0, 0).toLongLong()] << row.section('|', 1);
    for (QStringList& group : groups)
        group.sort();
    return groups;
}

// Employee id -> job ("J|designation|grade|basic") and standing lines ("A|type|amount", "D|...").
QMap<qint64, QStringList> staffOf(const TestDatabase& db) {
    return grouped(db, {"select eEmpID, 'J', eDesigID, eGradeID, eBasic from pay_employee where "
                        "eCompanyID = 1",
                        "select eaempid, 'A', eaallowanceid, eaamount from pay_empallowances where "
                        "eacompanyid = 1",
                        "select edempid, 'D', eddeductionid, edamount from pay_empdeductions where "
                        "edcompanyid = 1"});
}

// Every employee stands where their latest uncancelled job change above the floor left them
// (its new job, its kept and added lines at their revised amounts), or as at the floor. A save,
// an edit or a cancellation half done leaves someone elsewhere.
void expectWhole(const TestDatabase& db, QMap<qint64, QStringList> expected, qint64 floor) {
    const QString uncancelled = "from pay_employeegradechange where egcCompanyID = 1 and "
                                "egcCancelled = 0 and egcId > " +
                                QString::number(floor);
    const QMap<qint64, QStringList> left = grouped(
        db, {"select egcId, 'J', egcNewDesigID, egcNewGradeID, egcNewBasic " + uncancelled,
             "select egcagcid, 'A', egcaallowanceid, egcarevamount from pay_empgcallowance where "
             "egcacompanyid = 1 and egcatype <> 'R' and egcagcid in (select egcId " +
                 uncancelled + ")",
             "select egcdgcid, 'D', egcddeductionid, egcdrevamount from pay_empgcdeductions where "
             "egcdcompanyid = 1 and egcdtype <> 'R' and egcdgcid in (select egcId " +
                 uncancelled + ")"});
    for (const QString& row : db.rows("select egcId, egcEmpID " + uncancelled + " order by egcId"))
        expected[row.section('|', 1).toLongLong()] =
            left.value(row.section('|', 0, 0).toLongLong());
    const QMap<qint64, QStringList> now = staffOf(db);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(now.value(it.key()), it.value()) << "employee " << it.key();
}

// Every employee's job changes above the floor that stand, in the order they were made, each
// replaced what the one before it set (or what the employee had at the floor): the old job,
// grade and basic, and the kept and removed lines at their old amounts. One that took the values
// of a cancelled job change, or of a half-done write, breaks the chain.
void expectChained(const TestDatabase& db, const QMap<qint64, QStringList>& atFloor, qint64 floor) {
    const QString standing = "from pay_employeegradechange where egcCompanyID = 1 and "
                             "egcCancelled = 0 and egcId > " +
                             QString::number(floor);
    const auto lines = [&](const QString& kind, const QString& letters, const QString& amount) {
        const bool allowance = kind == "A";
        const QString p = allowance ? "egca" : "egcd";
        return grouped(db, {"select " + p + "gcid, '" + kind + "', " + p +
                            (allowance ? "allowanceid" : "deductionid") + ", " + p + amount +
                            " from " + (allowance ? "pay_empgcallowance" : "pay_empgcdeductions") +
                            " where " + p + "companyid = 1 and " + p + "type in (" + letters +
                            ") and " + p + "gcid in (select egcId " + standing + ")"});
    };
    const auto merged = [](QList<QMap<qint64, QStringList>> parts) {
        QMap<qint64, QStringList> all;
        for (const auto& part : parts)
            for (auto it = part.cbegin(); it != part.cend(); ++it)
                all[it.key()] << it.value();
        for (QStringList& rows : all)
            rows.sort();
        return all;
    };
    const QMap<qint64, QStringList> replaced = merged(
        {grouped(db, {"select egcId, 'J', egcOldDesigID, egcOldGradeID, egcOldBasic " + standing}),
         lines("A", "'O', 'R'", "oldamount"), lines("D", "'O', 'R'", "oldamount")});
    const QMap<qint64, QStringList> set = merged(
        {grouped(db, {"select egcId, 'J', egcNewDesigID, egcNewGradeID, egcNewBasic " + standing}),
         lines("A", "'O', 'N'", "revamount"), lines("D", "'O', 'N'", "revamount")});
    QMap<qint64, QStringList> before = atFloor;
    for (const QString& row : db.rows("select egcId, egcEmpID " + standing + " order by egcId")) {
        const qint64 id = row.section('|', 0, 0).toLongLong();
        const qint64 employee = row.section('|', 1).toLongLong();
        EXPECT_EQ(replaced.value(id), before.value(employee))
            << "job change " << id << " of employee " << employee;
        before[employee] = set.value(id);
    }
}

// The demo database, and where everyone stands before the clerks start.
class Clerks : public ::testing::Test {
protected:
    Clerks() {
        db.loadDemo();
        floor = numbersAbove(db, 0).lastKey();
        atFloor = staffOf(db);
    }

    // Whole, chained and, by the server's own check, sound.
    void expectConsistent() {
        EXPECT_EQ(db.isPostgres() ? "ok" : db.scalar("PRAGMA integrity_check").toString(), "ok");
        expectWhole(db, atFloor, floor);
        expectChained(db, atFloor, floor);
        expectAudited();
    }
    // Every job change written since the floor has its one row in the audit trail, each
    // cancellation its own, no row speaks of a job change that is not stored, and the chain
    // and every audited employee's pay verify.
    void expectAudited() {
        const QString above = QString::number(floor);
        const auto without = [&](const char* action, const char* where) {
            return db.rows(QStringLiteral("select egcId from pay_employeegradechange where "
                                          "egcCompanyID = 1 and egcId > %1%2 and (select "
                                          "count(*) from pay_audittrail where auCompanyID = 1 and "
                                          "auAction = '%3' and auJobChangeID = egcId) <> 1")
                               .arg(above, QLatin1String(where), QLatin1String(action)));
        };
        EXPECT_EQ(without("New", ""), QStringList());
        EXPECT_EQ(without("Cancel", " and egcCancelled = 1"), QStringList());
        EXPECT_EQ(db.rows("select auSeq from pay_audittrail a where auJobChangeID is not null and "
                          "not exists (select 1 from pay_employeegradechange where egcCompanyID = "
                          "1 and egcId = a.auJobChangeID)"),
                  QStringList());
        const jobchange::AuditVerification audit = jobchange::verifyAudit(
            jobchange::Workspace::open(db.connection(), 1, 1, jobchange::kJobChangeInterfaceId,
                                       QDate(2026, 11, 30), "Payroll"));
        EXPECT_TRUE(audit.sound()) << (audit.problems + audit.employees).join('\n');
    }
    // Waits until the server has ended the sessions of killed programs; until then a commit of
    // theirs may still land.
    void waitForSessionsToEnd() {
        QElapsedTimer waited;
        waited.start();
        while (db.isPostgres() && db.scalar("select count(*) from pg_stat_activity where datname = "
                                            "current_database() and pid <> pg_backend_pid()")
                                          .toInt() > 0) {
            ASSERT_LT(waited.elapsed(), 20000) << "the server kept a killed program's session";
            QThread::msleep(5);
        }
    }
    // Active employees of the company with an active job, eligible for a new job change.
    QStringList employees(int count) const {
        QStringList ids = db.rows(
            "select e.eEmpID from pay_employee e, pay_designation d where e.eCompanyID = 1 and "
            "e.eActive = 1 and d.dCompanyID = 1 and d.dDesigID = e.eDesigID and d.dactive = 1 "
            "and not exists (select 1 from pay_employeegradechange where egcCompanyID = 1 and "
            "egcEmpID = e.eEmpID and egcCancelled = 0 and egcDate > '2026-11-30') order by "
            "e.eEmpID");
        return ids.mid(0, count);
    }

    TestDatabase db;
    qint64 floor = 0;
    QMap<qint64, QStringList> atFloor;
};

// Each clerk works on employees of its own, so none is refused for another's change: every save
// must commit, queued behind the others for its number rather than colliding and retrying.
TEST_F(Clerks, FourSavingAtOnceCommitEverySaveWithNoIdOrNumberShared) {
    std::vector<std::unique_ptr<ClerkProcess>> clerks;
    for (int i = 1; i <= 4; ++i)
        clerks.push_back(std::make_unique<ClerkProcess>(
            db, QStringList{"--saves", "50", "--seed", QString::number(i), "--wait", "--share",
                            QString::number(i - 1) + "/4"}));
    for (auto& clerk : clerks)
        ASSERT_TRUE(clerk->ready()) << clerk->errors();
    for (auto& clerk : clerks)
        clerk->go();
    int committed = 0;
    QStringList messages;
    QMap<qint64, QString> told;
    for (auto& clerk : clerks) {
        clerk->finish(240000);
        EXPECT_EQ(clerk->exitCode(), 0) << clerk->errors();
        EXPECT_EQ(clerk->count["done"], 1) << "the clerk did not finish its saves";
        EXPECT_EQ(clerk->committed.size() + clerk->reported.size(), 50)
            << "a save was neither committed nor reported";
        EXPECT_FALSE(clerk->reported.contains("")) << "a save failed without a message";
        messages << clerk->reported;
        told.insert(clerk->committed);
        committed += clerk->committed.size();
    }
    EXPECT_EQ(told.size(), committed) << "two clerks were told the same id";
    // Exactly what the clerks were told is stored, under those numbers (which the unique key
    // keeps apart).
    EXPECT_EQ(numbersAbove(db, floor), told);
    EXPECT_EQ(committed, 200) << messages.join('\n');
    expectWhole(db, atFloor, floor);
}

// Two clerks fill in a new job change for the same employee and press Ok at the same moment:
// one saves, the other is told the employee changed and writes nothing.
TEST_F(Clerks, TwoPressingOkForTheSameEmployeeAtOnceSaveOnceAndRefuseTheOther) {
    const QString employee =
        db.scalar("select min(eEmpID) from pay_employee e, pay_designation d where "
                  "e.eCompanyID = 1 and e.eActive = 1 and d.dCompanyID = 1 and d.dDesigID = "
                  "e.eDesigID and d.dactive = 1")
            .toString();
    constexpr int kRounds = 50;
    std::array<std::unique_ptr<ClerkProcess>, 2> clerks;
    for (int i = 0; i < 2; ++i)
        clerks[i] = std::make_unique<ClerkProcess>(
            db, QStringList{"--saves", QString::number(kRounds), "--seed", QString::number(i + 7),
                            "--race", employee});
    int saved = 0;
    for (int round = 1; round <= kRounds && !HasFailure(); ++round) {
        SCOPED_TRACE(round);
        for (auto& clerk : clerks)
            ASSERT_EQ(clerk->next(), "armed") << clerk->errors();
        for (auto& clerk : clerks)
            clerk->go();
        QStringList said;
        for (auto& clerk : clerks)
            said << clerk->next();
        saved += int(said.filter(QRegularExpression("^committed ")).size());
        const QStringList told = said.filter(QRegularExpression("^reported "));
        ASSERT_EQ(told.size(), 1) << said.join('\n');
        EXPECT_EQ(told[0].section(' ', 2), jobchange::kEmployeeChangedMessage);
    }
    for (auto& clerk : clerks) {
        clerk->finish(60000);
        EXPECT_EQ(clerk->exitCode(), 0) << clerk->errors();
    }
    EXPECT_EQ(saved, kRounds);
    EXPECT_EQ(numbersAbove(db, floor).size(), kRounds) << "not one save a round";
    expectWhole(db, atFloor, floor);
}

// Savers and cancellers on the same few employees at once, a fixed number of rounds each: every
// save and cancellation either goes through whole or is refused, and afterwards the history
// check finds nothing and every job change that stands replaced what the one before it set.
TEST_F(Clerks, SaversAndCancellersOnAFewEmployeesLeaveAConsistentHistory) {
    constexpr int kSavers = 4, kCancellers = 2, kRounds = 20;
    const QString few = employees(6).join(',');
    std::vector<std::unique_ptr<ClerkProcess>> clerks;
    for (int i = 0; i < kSavers + kCancellers; ++i) {
        QStringList options{"--saves", QString::number(kRounds),
                            "--seed",  QString::number(100 + i),
                            "--wait",  "--employees",
                            few};
        if (i >= kSavers) // only what the run saved: the chain starts at the floor
            options << "--cancel"
                    << "--above" << QString::number(floor);
        clerks.push_back(std::make_unique<ClerkProcess>(db, options));
    }
    for (auto& clerk : clerks)
        ASSERT_TRUE(clerk->ready()) << clerk->errors();
    for (auto& clerk : clerks)
        clerk->go();
    QMap<QString, int> said;
    QStringList refusals;
    const QStringList expected{jobchange::kEmployeeChangedMessage,
                               jobchange::kAlreadyCancelledMessage,
                               jobchange::kCannotDeleteLaterMessage};
    for (auto& clerk : clerks) {
        clerk->finish(600000);
        EXPECT_EQ(clerk->exitCode(), 0) << clerk->errors();
        EXPECT_EQ(clerk->count["done"], 1) << "the clerk did not finish its rounds";
        for (auto it = clerk->count.cbegin(); it != clerk->count.cend(); ++it)
            said[it.key()] += it.value();
        refusals << clerk->reported;
    }
    for (const QString& refusal : refusals)
        EXPECT_TRUE(expected.contains(refusal)) << refusal;
    EXPECT_GT(said["committed"], 0);
    EXPECT_GT(said["cancelled"], 0);
    expectConsistent();
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QCoreApplication::applicationDirPath() + "/quorvel-host",
                db.hostArguments() + QStringList{"--company", "1", "--check-history"});
    EXPECT_TRUE(check.waitForFinished(300000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
    std::cout << "stress: " << kSavers + kCancellers << " processes (" << kSavers << " saving, "
              << kCancellers << " cancelling) on 6 employees, " << kRounds
              << " rounds each: " << said["committed"] << " saves and " << said["cancelled"]
              << " cancellations committed, " << refusals.size() << " refused, " << said["skipped"]
              << " skipped; history check " << (check.exitCode() == 0 ? "clean" : "FAILED")
              << ", chain " << (HasFailure() ? "BROKEN" : "whole") << std::endl;
}

// Clerks saving, editing and cancelling, and bulk applies, killed (SIGKILL) at random moments:
// the database stays sound, every job change whole, and every save a clerk was told of stored.
TEST_F(Clerks, KilledAtRandomMomentsLeaveTheDatabaseSoundAndEveryJobChangeWhole) {
    QRandomGenerator random(20261130);
    QMap<qint64, QString> told;
    int killed = 0;
    for (int life = 1; life <= 30 && !HasFailure(); ++life) {
        SCOPED_TRACE(life);
        ClerkProcess clerk(db, {"--mixed", "--seed", QString::number(life)});
        ASSERT_TRUE(clerk.ready()) << clerk.errors();
        QThread::msleep(random.bounded(300u));
        clerk.kill();
        clerk.finish(30000);
        ASSERT_EQ(clerk.exitStatus(), QProcess::CrashExit)
            << "the clerk ended before it was killed: " << clerk.errors();
        ++killed;
        waitForSessionsToEnd();
        EXPECT_TRUE(clerk.reported.isEmpty()) << clerk.reported.join('\n');
        told.insert(clerk.committed);
        expectConsistent();
    }
    // A bulk apply is all or nothing, and what it said it saved is there.
    QTemporaryDir dir;
    int bulkKilled = 0;
    for (int run = 1; run <= 6 && !HasFailure(); ++run) {
        SCOPED_TRACE(run);
        const QString remarks = QStringLiteral("Bulk run %1").arg(run);
        ASSERT_TRUE(writeFile(dir.filePath("bulk.ini"),
                              ("[employees]\ngrade = 3\n[change]\ndate = 2026-11-30\nremarks = " +
                               remarks + "\nbasic = +1%\n")
                                  .toUtf8()));
        const qint64 batch =
            db.scalar("select count(*) from pay_employee e where eCompanyID = 1 and eActive = 1 "
                      "and eGradeID = 3 and not exists (select 1 from pay_employeegradechange "
                      "where egcEmpID = eEmpID and egcCompanyID = 1 and egcCancelled = 0 and "
                      "egcDate > '2026-11-30')")
                .toLongLong();
        QProcess host;
        host.start(QCoreApplication::applicationDirPath() + "/quorvel-host",
                   db.hostArguments() + QStringList{"--company", "1", "--process-date",
                                                    "2026-11-30", "--bulk",
                                                    dir.filePath("bulk.ini"), "--apply", "--out",
                                                    dir.filePath("out.csv")});
        ASSERT_TRUE(host.waitForStarted());
        QThread::msleep(random.bounded(700u));
        host.kill();
        host.waitForFinished(30000);
        bulkKilled += host.exitStatus() == QProcess::CrashExit;
        waitForSessionsToEnd();
        const qint64 stored =
            db.scalar("select count(*) from pay_employeegradechange where egcremarks = '" +
                      remarks + "'")
                .toLongLong();
        if (host.readAllStandardOutput().contains("Saved ")) {
            EXPECT_EQ(stored, batch);
        }
        EXPECT_TRUE(stored == 0 || stored == batch) << stored << " of " << batch;
        expectConsistent();
    }
    const QMap<qint64, QString> stored = numbersAbove(db, floor);
    for (auto it = told.cbegin(); it != told.cend(); ++it)
        EXPECT_EQ(stored.value(it.key()), it.value()) << "job change " << it.key() << " was lost";
    EXPECT_GT(told.size(), 0);
    std::cout << "killed: " << killed << " clerk processes (saving, editing, cancelling) and "
              << bulkKilled << " of 6 bulk applies; " << told.size()
              << " saves they were told of, all stored; database sound" << std::endl;
}

} // namespace
