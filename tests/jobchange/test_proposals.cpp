// Bulk batches that need a second user: a proposal stores the preview and writes no job change;
// another user with the right applies it through the same guard as Apply, or rejects it; every
// refusal and every fault leaves the database as it was.

#include "approvalcommands.h"
#include "jobchange/bulkfixture.h"
#include "jobchange/proposals.h"
#include "jobchange/unitofwork.h"

namespace {

using Outcome = jobchange::BatchResult::Outcome;

// The tables a job change writes, without the proposals', the setting, the users and the audit
// trail (whose rows name who decided and when).
QMap<QString, QStringList> jobChangeTables(const TestDatabase& of) {
    QMap<QString, QStringList> tables = of.snapshot();
    for (const char* logical : {"pBulkBatch", "pBulkBatchRows", "pBulkBatchLines",
                                "pJobChangeSettings", "pusers", "paudittrail"})
        tables.remove(physical(QString::fromLatin1(logical)));
    return tables;
}

// Told of every batch decision; throws at the one asked to.
class BatchLog : public jobchange::ChangeRecorder {
public:
    void record(const jobchange::Workspace&, const jobchange::ChangeRecord& change) override {
        lines << QStringLiteral("job change %1").arg(change.number);
    }
    void record(const jobchange::Workspace&, const jobchange::ActionRecord& action) override {
        if (action.action == failAt)
            throw data::DbError(data::kErrGeneric, "test", "Recorder down");
        QStringList ids;
        for (const QJsonValue id : action.after.value("jobChanges").toArray())
            ids << QString::number(id.toInt());
        lines << QStringLiteral("%1 %2 employees %3 job changes %4 %5")
                     .arg(action.action)
                     .arg(action.after.value("batch").toInt())
                     .arg(action.after.value("employees").toArray().size())
                     .arg(ids.join(','), action.remark);
    }
    QStringList lines;
    QString failAt;
};

class Proposals : public BulkRevisionTest {
protected:
    Proposals() {
        db.insert("pusers", {"1, 1, 'Administrator'", "1, 2, ' Clerk Two '", "1, 5, 'Checker'",
                             "1, 6, 'Both'"});
        db.insert("puserrights", {"2, 91004, 'NE'", "5, 91004, ' a '", "6, 91004, 'NA'"});
        EXPECT_TRUE(writer.setApprovalRequired(true).ok);
    }

    jobchange::WorkspacePtr as(qint16 user, QDate processDate = QDate(2003, 2, 14),
                               std::shared_ptr<jobchange::ChangeRecorder> recorder = {}) const {
        auto ws = std::const_pointer_cast<jobchange::Workspace>(jobchange::Workspace::open(
            db.connection(), 1, user, jobchange::kJobChangeInterfaceId, processDate, "Payroll"));
        ws->recorder = std::move(recorder);
        return ws;
    }
    jobchange::JobChangeWriter writerAs(qint16 user,
                                        std::shared_ptr<jobchange::ChangeRecorder> recorder) const {
        return jobchange::JobChangeWriter(as(user, QDate(2003, 2, 14), std::move(recorder)));
    }
    jobchange::BatchResult propose(qint16 user, const std::vector<bulk::PreviewRow>& rows) const {
        return jobchange::JobChangeWriter(as(user)).propose(rows, rules, "Everyone: basic +5%");
    }
    jobchange::BatchResult approve(qint16 user, qint32 batch,
                                   std::optional<std::vector<qint32>> only = {}) const {
        return jobchange::JobChangeWriter(as(user)).approve(batch, only);
    }
    QStringList header(int batch) const {
        return db.rows(QStringLiteral("select bbStatus, bbJobDate, bbRemarks, bbRules, bbRows, "
                                      "bbProposedBy, bbDecidedBy, bbReason from pay_bulkbatch "
                                      "where bbBatchID = %1")
                           .arg(batch));
    }
};

// A proposal writes only itself, a direct apply is refused while approval is asked for, and the
// approval writes every table exactly as Apply writes it in a company that asks for none: what
// the proposal stored of each row and line is what the approval saves.
TEST_F(Proposals, ProposingWritesOnlyTheProposalAndApprovingSavesWhatApplyWould) {
    std::vector<bulk::PreviewRow> rows = preview();
    rows[2].checked = false; // Dina stays out
    const auto before = jobChangeTables(db);
    const jobchange::BatchResult direct = writer.apply(rows, rules);
    EXPECT_EQ(direct.outcome, Outcome::Declined);
    EXPECT_EQ(direct.error, jobchange::kMustProposeMessage);

    const jobchange::BatchResult proposed = propose(2, rows);
    ASSERT_EQ(proposed.outcome, Outcome::Applied) << proposed.error.toStdString();
    EXPECT_EQ(proposed.batchId, 1);
    EXPECT_EQ(jobChangeTables(db), before);
    EXPECT_EQ(header(1), QStringList{"P|2003-03-01|Annual increment|Everyone: basic +5%|4|2||"});

    const jobchange::BatchResult approved = approve(5, 1);
    ASSERT_EQ(approved.outcome, Outcome::Applied) << approved.error.toStdString();
    ASSERT_EQ(approved.saved.size(), 4u);
    EXPECT_EQ(header(1).value(0).section('|', 0, 0), "A");
    EXPECT_EQ(header(1).value(0).section('|', 6, 6), "5");
    EXPECT_EQ(db.rows("select bbrApplied, bbrJobChangeID from pay_bulkbatchrows order by "
                      "bbrRowNo"),
              QStringList({"1|1", "1|2", "1|3", "1|4"}));

    // The same rows applied directly in a company that asks for no approval.
    TestDatabase other;
    insertTestCompany(other);
    insertMoreEmployees(other);
    const jobchange::WorkspacePtr direct2 = jobchange::Workspace::open(
        other.connection(), 1, 1, jobchange::kJobChangeInterfaceId, QDate(2003, 2, 14), "P");
    std::vector<bulk::PreviewRow> theirs =
        bulk::computePreview(jobchange::BulkReads(direct2).eligibleEmployees(), rules);
    theirs[2].checked = false;
    ASSERT_TRUE(jobchange::JobChangeWriter(direct2).apply(theirs, rules).ok());
    EXPECT_EQ(jobChangeTables(db), jobChangeTables(other));
}

// Whoever asks, by service or command: the proposer may not approve, a user without A may not
// decide, a decided or unknown batch is refused naming who decided it, and a batch whose date the
// process date has passed is refused. Each refusal writes nothing.
TEST_F(Proposals, RefusalsNameTheirReasonAndWriteNothing) {
    ASSERT_EQ(propose(6, preview()).outcome, Outcome::Applied);
    const auto before = db.snapshot();
    const auto refused = [&](const jobchange::BatchResult& result) {
        EXPECT_EQ(db.snapshot(), before);
        EXPECT_FALSE(db.db().inTransaction());
        return result.error.toStdString();
    };
    EXPECT_EQ(refused(approve(6, 1)), "Batch 1 is your own proposal: another user with the right "
                                      "to approve (A) must approve it.");
    EXPECT_EQ(approve(2, 1).outcome, Outcome::Forbidden);
    EXPECT_EQ(refused(approve(2, 1)), "User 2 has no right to approve bulk batches (A)");
    EXPECT_EQ(refused(jobchange::JobChangeWriter(as(2)).reject(1, "No")),
              "User 2 has no right to approve bulk batches (A)");
    EXPECT_EQ(refused(jobchange::JobChangeWriter(as(5)).reject(1, "  ")),
              "Give the reason for rejecting batch 1.");
    EXPECT_EQ(refused(jobchange::JobChangeWriter(as(5, QDate(2003, 3, 5))).approve(1)),
              "The job date 1 Mar 2003 is before the process date 5 Mar 2003.");
    EXPECT_EQ(refused(approve(5, 1, std::vector<qint32>{})),
              "No row of batch 1 is ticked: tick the rows to approve, or reject the batch.");
    EXPECT_EQ(refused(approve(5, 9)), "There is no bulk batch 9.");
    // A batch that names an employee twice, proposed or stored so.
    std::vector<bulk::PreviewRow> twice = preview();
    twice.push_back(twice.front());
    const char* const asha = "Employee No E001 is in the batch more than once; nothing was saved.";
    EXPECT_EQ(refused(propose(6, twice)), asha);
    const QString columns = "bbrCompanyID, bbrBatchID, %1, bbrEmpID, bbrOldDesigID, "
                            "bbrOldGradeID, bbrOldBasic, bbrNewDesigID, bbrNewBasic, bbrRemarks, "
                            "bbrApplied";
    db.exec("insert into pay_bulkbatchrows (" + columns.arg("bbrRowNo") + ") select " +
            columns.arg("9") + " from pay_bulkbatchrows where bbrRowNo = 1");
    const auto stored = db.snapshot();
    EXPECT_EQ(approve(5, 1).error, asha);
    EXPECT_EQ(db.snapshot(), stored);
    db.exec("delete from pay_bulkbatchrows where bbrRowNo = 9");
    // The command says the same and exits 1.
    ApprovalCommand command;
    command.kind = ApprovalCommand::Kind::Approve;
    command.batchId = 1;
    EXPECT_EQ(runApprovalCommand(command, db.db(), {1, 6, 91004, QDate(2003, 2, 14)}), 1);
    EXPECT_EQ(runApprovalCommand(command, db.db(), {1, 2, 91004, QDate(2003, 2, 14)}), 1);
    EXPECT_EQ(db.snapshot(), before);

    EXPECT_EQ(runApprovalCommand(command, db.db(), {1, 5, 91004, QDate(2003, 2, 14)}), 0);
    EXPECT_EQ(approve(1, 1).error, "Batch 1 was already approved by Checker");
    EXPECT_EQ(jobchange::JobChangeWriter(as(1)).reject(1, "Late").error,
              "Batch 1 was already approved by Checker");
}

// The review flags an employee changed since the proposal with what changed; the approval is
// refused naming them, and goes through with their row unticked.
TEST_F(Proposals, AnEmployeeChangedSinceTheProposalIsFlaggedAndRefusesTheBatch) {
    ASSERT_EQ(propose(2, preview()).outcome, Outcome::Applied);
    db.exec("update pay_employee set eBasic = 3100 where eEmpID = 2");
    db.exec("update pay_empallowances set eaamount = 7100 where eaempid = 6 and eaallowanceid = 1");
    const jobchange::ProposalReads reads(as(5));
    const std::optional<jobchange::Proposal> proposal = reads.proposal(1);
    ASSERT_TRUE(proposal);
    QStringList flagged;
    const std::vector<jobchange::RowReview> reviews = reads.review(*proposal);
    for (size_t i = 0; i < reviews.size(); ++i)
        if (reviews[i].changed())
            flagged << proposal->rows[i].employee.name + ": " + reviews[i].changes.join("; ");
    EXPECT_EQ(flagged, QStringList({"Bruno: basic 3000.00 now 3100.00",
                                    "Fay: allowances Conveyance 700.00, House Rent 7000.00 now "
                                    "Conveyance 700.00, House Rent 7100.00"}));

    const auto before = db.snapshot();
    const jobchange::BatchResult refused = approve(5, 1);
    EXPECT_EQ(refused.outcome, Outcome::Refused);
    EXPECT_EQ(refused.changed, std::vector<qint32>({2, 6}));
    EXPECT_EQ(db.snapshot(), before);

    // Another proposal may not take the employees of a pending one; the refusal shows their
    // name as outside data.
    db.db().execute("update pay_employee set eName = ? where eEmpID = 1",
                    {QStringLiteral("As\033ha")});
    EXPECT_EQ(propose(6, preview()).error,
              "Employee E001 As?ha is already in pending batch 1: approve or reject that batch "
              "first.");
    const jobchange::BatchResult approved = approve(5, 1, std::vector<qint32>{1, 4, 5});
    ASSERT_EQ(approved.outcome, Outcome::Applied) << approved.error.toStdString();
    EXPECT_EQ(db.rows("select bbrEmpID, bbrApplied from pay_bulkbatchrows order by bbrRowNo"),
              QStringList({"1|1", "2|0", "4|1", "5|1", "6|0"}));
    EXPECT_EQ(db.rows("select egcEmpID from pay_employeegradechange order by egcId"),
              QStringList({"1", "4", "5"}));
}

// A rejection keeps its reason and who decided, leaves every job change and employee as they
// were, and frees the employees for another proposal.
TEST_F(Proposals, RejectingLeavesEveryJobChangeAndEmployeeAsTheyWere) {
    const auto before = jobChangeTables(db);
    ASSERT_EQ(propose(2, preview()).outcome, Outcome::Applied);
    const jobchange::BatchResult rejected =
        jobchange::JobChangeWriter(as(5)).reject(1, " Rates not agreed ");
    ASSERT_EQ(rejected.outcome, Outcome::Applied) << rejected.error.toStdString();
    EXPECT_EQ(jobChangeTables(db), before);
    EXPECT_EQ(
        header(1),
        QStringList{"R|2003-03-01|Annual increment|Everyone: basic +5%|5|2|5|Rates not agreed"});
    EXPECT_EQ(approve(1, 1).error, "Batch 1 was already rejected by Checker");
    EXPECT_EQ(propose(2, preview()).batchId, 2);
}

// A failure at any statement of a proposal, an approval or a rejection, at COMMIT, or in the
// recorder, rolls the whole decision back; the recorder hears of each decision once.
TEST_F(Proposals, AFaultAnywhereInADecisionLeavesEveryTableAsItWas) {
    const std::vector<bulk::PreviewRow> rows = preview();
    auto log = std::make_shared<BatchLog>();
    EXPECT_EQ(
        failEachBatchWrite([&] { return writerAs(2, log).propose(rows, rules, "r"); }).outcome,
        Outcome::Applied);
    EXPECT_EQ(failEachBatchWrite([&] { return writerAs(5, log).reject(1, "x"); }).outcome,
              Outcome::Applied);
    ASSERT_EQ(propose(2, rows).batchId, 2);
    log->lines.clear();
    log->failAt = "Approve batch";
    const auto before = db.snapshot();
    EXPECT_EQ(writerAs(5, log).approve(2).error, "Recorder down");
    EXPECT_EQ(db.snapshot(), before);
    log->failAt.clear();
    log->lines.clear();
    EXPECT_EQ(failEachBatchWrite([&] { return writerAs(5, log).approve(2); }).outcome,
              Outcome::Applied);
    EXPECT_EQ(
        log->lines.mid(log->lines.size() - 6),
        QStringList({"job change JC1", "job change JC2", "job change JC3", "job change JC4",
                     "job change JC5", "Approve batch 2 employees 5 job changes 1,2,3,4,5 "}));
}

} // namespace
