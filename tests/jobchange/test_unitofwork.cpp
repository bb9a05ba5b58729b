// The engine alone, with no window and no QApplication: a job change saved, edited and cancelled
// and a bulk revision applied, each write handing its recorder what it changed inside its
// transaction.

#include "bulk/preview.h"
#include "jobchange/bulkreads.h"
#include "jobchange/unitofwork.h"
#include "jobchange/writer.h"
#include "support/check.h"
#include "support/company.h"

#include <QCoreApplication>

namespace {

using jobchange::Action;
using jobchange::ChangeRecord;

// Keeps what it is told as "action id number employee: basic before > after, cancelled"; it can
// be told to fail at a record, and writes a row of its own, as an audit trail would.
class Recorder : public jobchange::ChangeRecorder {
public:
    void record(const jobchange::Workspace& workspace, const ChangeRecord& change) override {
        EXPECT_TRUE(workspace.db().inTransaction());
        static const char* const actions[] = {"create", "edit", "cancel"};
        const auto basic = [](const jobchange::JobChangeState& state) {
            return state.employee.basic.text();
        };
        said << QStringLiteral("%1 %2 %3 %4: %5 > %6%7")
                    .arg(QLatin1String(actions[static_cast<int>(change.action)]))
                    .arg(change.jobChangeId)
                    .arg(change.number)
                    .arg(change.employeeId)
                    .arg(basic(change.before), basic(change.after),
                         change.after.jobChange && change.after.jobChange->cancelled
                             ? QStringLiteral(", cancelled")
                             : QString());
        EXPECT_EQ(change.before.jobChange.has_value(), change.action != Action::Create);
        if (said.size() == failAt)
            throw data::DbError(data::kErrGeneric, "recorder", "the trail is full");
        workspace.db().execute(QStringLiteral("update ") + workspace.tables.pSettings +
                               QStringLiteral(" set NoOfPreviousDays = NoOfPreviousDays + 1"));
    }

    void record(const jobchange::Workspace&, const jobchange::ActionRecord&) override {}

    QStringList said;
    qsizetype failAt = 0; // the record (from 1) that fails; 0 for none
};

class UnitOfWorkTest : public ::testing::Test {
protected:
    UnitOfWorkTest() {
        insertTestCompany(db);
        db.insert("pSettings", "companyID, NoOfPreviousDays", {"1, 0"});
        db.insert("pemployee", {"1, 5, 'E005', 'Emil', 1, 1, 10000.5, 1, 1"});
        auto open = std::make_shared<jobchange::Workspace>(
            *jobchange::Workspace::open(db.connection(), 1, 1, jobchange::kJobChangeInterfaceId,
                                        QDate(2003, 2, 14), "Payroll"));
        open->recorder = recorder;
        workspace = open;
    }

    QStringList employee(int id) const {
        return db.rows(QStringLiteral("select eBasic, eGradeID, eDesigID from pay_employee where "
                                      "eEmpID = %1")
                           .arg(id),
                       {0}) +
               db.rows(QStringLiteral("select eaallowanceid, eaamount from pay_empallowances "
                                      "where eaempid = %1 order by eadetailid")
                           .arg(id),
                       {1});
    }
    QString recorded() const {
        return db.scalar("select NoOfPreviousDays from pay_settings").toString();
    }

    // A five percent rise for Asha, Bruno and Emil from 1 March (Dina left out).
    jobchange::BatchResult applyRise() const {
        const jobchange::BulkReads bulk(workspace);
        bulk::Rules rules;
        rules.date = QDate(2003, 3, 1);
        rules.remarks = QStringLiteral("Annual increment");
        rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
        EXPECT_EQ(bulk.prepareRules(rules), "");
        std::vector<bulk::PreviewRow> rows = bulk::computePreview(bulk.eligibleEmployees(), rules);
        EXPECT_EQ(rows.size(), 4u);
        for (bulk::PreviewRow& row : rows)
            row.checked = row.employee.name != QLatin1String("Dina");
        return jobchange::JobChangeWriter(workspace).apply(rows, rules);
    }

    TestDatabase db;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    jobchange::WorkspacePtr workspace;
};

TEST_F(UnitOfWorkTest, EveryWriteWithoutWindowsRecordsOnceWhatItChanged) {
    EXPECT_EQ(QCoreApplication::instance()->metaObject()->className(),
              QByteArray("QGuiApplication"));
    const QStringList asha = employee(1);
    const jobchange::JobChangeWriter writer(workspace);
    const jobchange::WriteResult saved = writer.saveNew(ashaPromoted());
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.number, "JC1");
    EXPECT_EQ(employee(1), QStringList({"1500.50|2|2", "1|5500.00", "3|300.00"}));

    jobchange::JobChangeDraft corrected = ashaPromoted();
    corrected.newBasic = money("1600");
    ASSERT_TRUE(writer.saveEdit(saved.id, corrected).ok);
    ASSERT_TRUE(writer.cancel(saved.id, "withdrawn").ok);
    EXPECT_EQ(db.rows("select egcNewBasic, egcCancelled, egcCancelledRemarks from "
                      "pay_employeegradechange",
                      {0}),
              QStringList{"1600.00|1|User 1:withdrawn"});
    EXPECT_EQ(employee(1), asha);

    const jobchange::BatchResult batch = applyRise();
    ASSERT_TRUE(batch.ok()) << batch.error;
    EXPECT_EQ(db.rows("select egcId, egcNo, egcEmpID, egcNewBasic from pay_employeegradechange "
                      "where egcId > 1 order by egcId",
                      {3}),
              QStringList({"2|JC2|1|21000.00", "3|JC3|2|3150.00", "4|JC4|5|10500.53"}));
    EXPECT_EQ(
        recorder->said,
        QStringList({"create 1 JC1 1: 20000.00 > 1500.50", "edit 1 JC1 1: 1500.50 > 1600.00",
                     "cancel 1 JC1 1: 1600.00 > 20000.00, cancelled",
                     "create 2 JC2 1: 20000.00 > 21000.00", "create 3 JC3 2: 3000.00 > 3150.00",
                     "create 4 JC4 5: 10000.50 > 10500.53"}));
    EXPECT_EQ(recorded(), "6"); // the recorder's own writes committed with each
}

// A recorder that fails takes its write, or the whole batch, back with it: nothing is left
// half-written, and the clerk is told why.
TEST_F(UnitOfWorkTest, ARecorderThatFailsRollsItsWriteBack) {
    const jobchange::JobChangeWriter writer(workspace);
    const auto before = db.snapshot();
    recorder->failAt = 1;
    const jobchange::WriteResult refused = writer.saveNew(ashaPromoted());
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "the trail is full");
    EXPECT_EQ(db.snapshot(), before);

    recorder->said.clear();
    recorder->failAt = 3; // Emil, the batch's last
    const jobchange::BatchResult batch = applyRise();
    EXPECT_EQ(batch.outcome, jobchange::BatchResult::Outcome::Failed);
    EXPECT_EQ(batch.error, "the trail is full");
    EXPECT_TRUE(batch.saved.empty());
    EXPECT_EQ(db.snapshot(), before);
    EXPECT_FALSE(db.db().inTransaction());
}

} // namespace
