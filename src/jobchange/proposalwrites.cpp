// The writer's decisions on bulk batches that need a second user: propose, approve, reject, and
// the company's setting that asks for them.

#include "bulk/jobdate.h"
#include "bulk/sheet.h"
#include "jobchange/batchunit_p.h"
#include "jobchange/bulkreads.h"
#include "jobchange/proposals.h"
#include "jobchange/writer.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

namespace jobchange {

namespace {

const UnitOfWork::Subject kProposal{QStringLiteral("Propose"), QStringLiteral("the proposal")};
const UnitOfWork::Subject kApproval{QStringLiteral("Approve"), QStringLiteral("the job changes")};
const UnitOfWork::Subject kRejection{QStringLiteral("Reject"), QStringLiteral("the rejection")};
const UnitOfWork::Subject kSetting{QStringLiteral("OK"), QStringLiteral("the setting")};

QString now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

BatchResult declined(QString why) {
    BatchResult result;
    result.outcome = BatchResult::Outcome::Declined;
    result.error = std::move(why);
    return result;
}

// The batch's header locked against another user deciding it, and read with its rows; refused
// when there is none or it is decided already.
Proposal pendingBatch(const Workspace& ws, const ProposalReads& reads, qint32 batchId) {
    ws.db().open(ws.dialect().lockingSelect(QStringLiteral("bbStatus"), ws.tables.pBulkBatch,
                                            QStringLiteral("bbCompanyID = ") + ws.company() +
                                                QStringLiteral(" and bbBatchID = ") +
                                                QString::number(batchId)));
    std::optional<Proposal> proposal = reads.proposal(batchId);
    if (!proposal)
        throw Refusal{QStringLiteral("There is no bulk batch %1.").arg(batchId)};
    if (proposal->status != BatchStatus::Pending)
        throw Refusal{QStringLiteral("Batch %1 was already %2 by %3")
                          .arg(batchId)
                          .arg(statusText(proposal->status), proposal->decidedByName)};
    return std::move(*proposal);
}

void markDecided(const Workspace& ws, qint32 batchId, BatchStatus status, const QString& reason) {
    ws.db().execute(
        QStringLiteral("update ") + ws.tables.pBulkBatch +
            QStringLiteral(" set bbStatus = ?, bbDecidedBy = ?, bbDecidedOn = ?, "
                           "bbReason = ? where bbCompanyID = ") +
            ws.company() + QStringLiteral(" and bbBatchID = ") + QString::number(batchId),
        {status == BatchStatus::Approved ? QStringLiteral("A") : QStringLiteral("R"), ws.userId,
         now(), reason.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(reason)});
}

} // namespace

BatchResult JobChangeWriter::propose(const std::vector<bulk::PreviewRow>& rows,
                                     const bulk::Rules& rules, const QString& rulesText) const {
    const Workspace& ws = *workspace_;
    if (!ProposalReads(workspace_).installed())
        return declined(kNotInstalledMessage);
    if (QString problem = bulk::batchJobDateProblem(rules.date, ws.processDate); !problem.isEmpty())
        return declined(std::move(problem));
    std::vector<const bulk::PreviewRow*> proposed;
    std::vector<const bulk::EmployeeSnapshot*> previewed;
    std::vector<JobChangeDraft> drafts;
    for (const bulk::PreviewRow& row : rows)
        if (row.willApply()) {
            proposed.push_back(&row);
            previewed.push_back(&row.employee);
            drafts.push_back(draftOf(*bulk::plannedJobChange(row, rules)));
        }
    if (drafts.empty())
        return declined(QStringLiteral("No row of the preview can be applied."));

    const data::ResolvedTableNames& t = ws.tables;
    UnitOfWork unit(workspace_, kProposal, true);
    BatchResult result;
    const UnitOutcome outcome = unit.run([&] {
        result = {};
        unit.recheckBatch(previewed, drafts, result.changed);
        // The company's proposals one at a time: the pending check and the batch's number.
        unit.lockNumbering();
        QHash<qint32, qint32> pending;
        for (data::Recordset rs = ws.db().open(
                 QStringLiteral("select r.bbrEmpID, r.bbrBatchID from ") + t.pBulkBatchRows +
                 QStringLiteral(" r inner join ") + t.pBulkBatch +
                 QStringLiteral(" b on b.bbCompanyID = r.bbrCompanyID and b.bbBatchID = "
                                "r.bbrBatchID where r.bbrCompanyID = ") +
                 ws.company() + QStringLiteral(" and b.bbStatus = 'P'"));
             !rs.eof(); rs.moveNext())
            pending.insert(rs.field(0).toInt(), rs.field(1).toInt());
        for (const bulk::PreviewRow* row : proposed)
            if (const auto found = pending.constFind(row->employee.employeeId);
                found != pending.constEnd())
                throw Refusal{QStringLiteral("Employee %1 %2 is already in pending batch %3: "
                                             "approve or reject that batch first.")
                                  .arg(bulk::shownText(row->employee.number),
                                       bulk::shownText(row->employee.name))
                                  .arg(*found)};

        const qint32 batchId =
            data::firstField(ws.db(), QStringLiteral("select max(bbBatchID) from ") + t.pBulkBatch +
                                          QStringLiteral(" where bbCompanyID = ") + ws.company())
                .toInt() +
            1;
        ws.db().execute(QStringLiteral("insert into ") + t.pBulkBatch +
                            QStringLiteral(" (bbCompanyID, bbBatchID, bbStatus, bbJobDate, "
                                           "bbRemarks, bbRules, bbRows, bbProposedBy, "
                                           "bbProposedOn) values (?, ?, 'P', ?, ?, ?, ?, ?, ?)"),
                        {ws.companyId, batchId, rules.date, rules.remarks, rulesText,
                         static_cast<int>(drafts.size()), ws.userId, now()});
        const QString insertRow =
            QStringLiteral("insert into ") + t.pBulkBatchRows +
            QStringLiteral(" (bbrCompanyID, bbrBatchID, bbrRowNo, bbrEmpID, bbrOldDesigID, "
                           "bbrOldGradeID, bbrOldBasic, bbrNewDesigID, bbrNewBasic, bbrRemarks, "
                           "bbrApplied) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)");
        const QString insertLine =
            QStringLiteral("insert into ") + t.pBulkBatchLines +
            QStringLiteral(" (bblCompanyID, bblBatchID, bblRowNo, bblKind, bblLineNo, bblTypeID, "
                           "bblLetter, bblOldAmount, bblRevAmount) values (?, ?, ?, ?, ?, ?, ?, "
                           "?, ?)");
        BatchRecord record{BatchRecord::Action::Propose, batchId, {}, {}, {}};
        for (size_t i = 0; i < drafts.size(); ++i) {
            const bulk::EmployeeSnapshot& employee = *previewed[i];
            const JobChangeDraft& draft = drafts[i];
            const int rowNo = static_cast<int>(i) + 1;
            ws.db().execute(insertRow,
                            {ws.companyId, batchId, rowNo, employee.employeeId,
                             employee.designationId, employee.gradeId, employee.basic.toBind(),
                             draft.newDesignationId, draft.newBasic.toBind(), draft.remarks});
            for (LineKind kind : kLineKinds) {
                int lineNo = 0;
                for (const DraftLine& line : draft.linesOf(kind))
                    ws.db().execute(insertLine,
                                    {ws.companyId, batchId, rowNo, static_cast<int>(kind), ++lineNo,
                                     line.typeId, QString(line.letter), line.oldAmount.toBind(),
                                     line.revisedAmount.toBind()});
            }
            record.employeeIds.push_back(employee.employeeId);
        }
        unit.recordBatch(record);
        result.batchId = batchId;
    });
    return batchResult(outcome, result);
}

BatchResult JobChangeWriter::approve(qint32 batchId, const std::optional<std::vector<qint32>>& only,
                                     const BatchProgress& progress) const {
    const Workspace& ws = *workspace_;
    const ProposalReads reads(workspace_);
    if (!reads.installed())
        return declined(kNotInstalledMessage);
    UnitOfWork unit(workspace_, kApproval, true);
    BatchResult result;
    try {
        const UnitOutcome outcome = unit.run([&] {
            result = {};
            result.batchId = batchId;
            const Proposal proposal = pendingBatch(ws, reads, batchId);
            unit.requireRight(Right::Approve);
            if (proposal.proposedBy == ws.userId)
                throw Refusal{QStringLiteral("Batch %1 is your own proposal: another user "
                                             "with the right to approve (A) must approve it.")
                                  .arg(batchId)};
            if (const QString problem = bulk::batchJobDateProblem(proposal.jobDate, ws.processDate);
                !problem.isEmpty())
                throw Refusal{problem};
            const QSet<qint32> wanted =
                only ? QSet<qint32>(only->begin(), only->end()) : QSet<qint32>();
            std::vector<const ProposalRow*> chosen;
            std::vector<const bulk::EmployeeSnapshot*> previewed;
            std::vector<JobChangeDraft> drafts;
            for (const ProposalRow& row : proposal.rows)
                if (!only || wanted.contains(row.employee.employeeId)) {
                    chosen.push_back(&row);
                    previewed.push_back(&row.employee);
                    drafts.push_back(row.draft);
                }
            if (drafts.empty())
                throw Refusal{QStringLiteral("No row of batch %1 is ticked: tick the rows to "
                                             "approve, or reject the batch.")
                                  .arg(batchId)};
            unit.recheckBatch(previewed, drafts, result.changed, Right::Approve);
            writeBatch(unit, drafts, result, progress);

            BatchRecord record{BatchRecord::Action::Approve, batchId, {}, {}, {}};
            const QString markRow =
                QStringLiteral("update ") + ws.tables.pBulkBatchRows +
                QStringLiteral(" set bbrApplied = 1, bbrJobChangeID = ? where bbrCompanyID = ") +
                ws.company() + QStringLiteral(" and bbrBatchID = ") + QString::number(batchId) +
                QStringLiteral(" and bbrRowNo = ?");
            for (size_t i = 0; i < chosen.size(); ++i) {
                ws.db().execute(markRow, {result.saved[i].id, chosen[i]->rowNo});
                record.jobChangeIds.push_back(result.saved[i].id);
                record.employeeIds.push_back(result.saved[i].employeeId);
            }
            markDecided(ws, batchId, BatchStatus::Approved, {});
            unit.recordBatch(record);
        });
        return batchResult(outcome, result);
    } catch (const batchunit::Cancelled&) {
        result.saved.clear();
        result.outcome = BatchResult::Outcome::Cancelled;
        return result;
    }
}

BatchResult JobChangeWriter::reject(qint32 batchId, const QString& reason) const {
    const Workspace& ws = *workspace_;
    const ProposalReads reads(workspace_);
    if (!reads.installed())
        return declined(kNotInstalledMessage);
    if (reason.trimmed().isEmpty())
        return declined(QStringLiteral("Give the reason for rejecting batch %1.").arg(batchId));
    UnitOfWork unit(workspace_, kRejection, false);
    BatchResult result;
    const UnitOutcome outcome = unit.run([&] {
        result = {};
        result.batchId = batchId;
        const Proposal proposal = pendingBatch(ws, reads, batchId);
        unit.requireRight(Right::Approve);
        markDecided(ws, batchId, BatchStatus::Rejected, reason.trimmed());
        BatchRecord record{BatchRecord::Action::Reject, batchId, {}, {}, reason.trimmed()};
        for (const ProposalRow& row : proposal.rows)
            record.employeeIds.push_back(row.employee.employeeId);
        unit.recordBatch(record);
    });
    return batchResult(outcome, result);
}

WriteResult JobChangeWriter::setApprovalRequired(bool required) const {
    const Workspace& ws = *workspace_;
    WriteResult result;
    if (!ProposalReads(workspace_).installed()) {
        result.refused = true;
        result.error = kNotInstalledMessage;
        return result;
    }
    UnitOfWork unit(workspace_, kSetting, false);
    const UnitOutcome outcome = unit.run([&] {
        const QString table = ws.tables.pJobChangeSettings;
        const QString where = QStringLiteral(" where jsCompanyID = ") + ws.company();
        if (data::firstField(ws.db(), QStringLiteral("select count(*) from ") + table + where)
                .toInt() == 0)
            ws.db().execute(QStringLiteral("insert into ") + table +
                                QStringLiteral(" (jsCompanyID, jsBulkApproval) values (?, ?)"),
                            {ws.companyId, required ? 1 : 0});
        else
            ws.db().execute(QStringLiteral("update ") + table +
                                QStringLiteral(" set jsBulkApproval = ?") + where,
                            {required ? 1 : 0});
    });
    result.ok = outcome.committed();
    result.error = outcome.message;
    result.errorNumber = outcome.errorNumber;
    return result;
}

} // namespace jobchange
