// Clerk processes (quorvel-clerk) on the database under test: four saving at once and two racing
// for the same employee.

#include "entry/entryfixture.h"
#include "jobchange/staleness.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>

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

// The demo database, and where everyone stands before the clerks start.
class Clerks : public ::testing::Test {
protected:
    Clerks() {
        db.loadDemo();
        floor = numbersAbove(db, 0).lastKey();
        atFloor = staffOf(db);
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

} // namespace
