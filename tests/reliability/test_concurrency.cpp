// Four clerks save job changes at the same moment on one database: every save is committed or
// reported to its clerk, none is lost, and no two job changes share an id or a number.

#include "clerks.h"
#include "wholeness.h"

#include <QSet>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

namespace {

constexpr int kClerks = 4;
constexpr int kSavesEach = 50;

TEST(ConcurrentClerks, EverySaveIsCommittedOrReportedAndNoneShareAnIdOrNumber) {
    TestDatabase db;
    db.loadDemo();
    const QString headers = physical(QStringLiteral("pEmployeegradeChange"));
    const qint64 floor =
        db.scalar(QStringLiteral("select max(egcId) from ") + headers + " where egcCompanyID = 1")
            .toLongLong();

    std::vector<std::unique_ptr<ClerkProcess>> clerks;
    for (int i = 1; i <= kClerks; ++i)
        clerks.push_back(std::make_unique<ClerkProcess>(
            db, QStringList{"--saves", QString::number(kSavesEach), "--seed", QString::number(i),
                            "--wait"}));
    // All four have loaded their register before any starts saving.
    for (auto& clerk : clerks)
        ASSERT_TRUE(clerk->waitFor("ready", 60000)) << clerk->errors().toStdString();
    for (auto& clerk : clerks)
        clerk->go();

    int committed = 0, reported = 0, retried = 0;
    QSet<QString> messages;
    QMap<qint64, QString> numberOfId;
    for (auto& clerk : clerks) {
        const ClerkReport report = clerk->finish(240000);
        EXPECT_EQ(clerk->process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(clerk->process().exitCode(), 0) << clerk->errors().toStdString();
        EXPECT_TRUE(report.done) << "the clerk did not finish its saves";
        EXPECT_EQ(report.saves(), kSavesEach) << "a save was neither committed nor reported";
        EXPECT_TRUE(report.unexpected.isEmpty()) << report.unexpected.join('\n').toStdString();
        for (const QString& message : report.reported) {
            EXPECT_FALSE(message.trimmed().isEmpty()) << "a save failed without a message";
            messages.insert(message);
        }
        for (const CommittedSave& save : report.committed) {
            EXPECT_FALSE(numberOfId.contains(save.id)) << "two clerks were told id " << save.id;
            numberOfId.insert(save.id, save.number);
        }
        committed += static_cast<int>(report.committed.size());
        reported += report.reported.size();
        retried += report.retried;
    }

    // Exactly the saves the clerks were told were committed are stored, under their numbers.
    QMap<qint64, QString> stored;
    data::Recordset rs =
        db.db().open("select egcId, egcNo from " + headers +
                     " where egcCompanyID = 1 and egcId > " + QString::number(floor));
    for (; !rs.eof(); rs.moveNext())
        stored.insert(rs.field(0).toLongLong(), rs.text(1));
    EXPECT_EQ(stored, numberOfId);
    const QStringList numbers = stored.values();
    EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), numbers.size())
        << "two job changes share a number";
    EXPECT_EQ(db.scalar("select count(*) from (select egcNo from " + headers +
                        " where egcCompanyID = 1 group by egcNo having count(*) > 1) twice")
                  .toInt(),
              0);
    // Every stored job change has its lines numbered whole.
    wholeness::jobChangesAbove(db, floor);

    EXPECT_GT(committed, 0);
    std::cout << "saves attempted " << kClerks * kSavesEach << ", committed " << committed
              << ", retried " << retried << ", reported " << reported << ", stored "
              << stored.size() << std::endl;
    for (const QString& message : messages)
        std::cout << "reported: " << message.toStdString() << std::endl;
}

} // namespace
