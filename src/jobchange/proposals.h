#pragma once

#include "bulk/preview.h"
#include "export/tablewriter.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/workspace.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Bulk batches that need a second user: a company may ask that a bulk revision be proposed by
// one user and applied by another who holds the right to approve (A). A proposal stores what the
// preview showed: for each ticked row the employee's values it was computed from and the job
// change it stands for. These are its reads; the writer (writer.h) proposes, approves and rejects.
namespace jobchange {

enum class BatchStatus { Pending, Approved, Rejected };

// Why a batch is not applied directly where the company asks for approval.
inline const QString kMustProposeMessage =
    QStringLiteral("This company's bulk batches need approval: propose the batch, and another "
                   "user with the right to approve (A) applies it.");
// Why there is nothing to propose or approve with: the database has not been upgraded.
inline const QString kNotInstalledMessage =
    QStringLiteral("The database has no tables for bulk batches awaiting approval: run "
                   "quorvel-host --upgrade-schema.");

// One employee of a proposed batch.
struct ProposalRow {
    int rowNo = 0;
    // The employee as the preview found them (ids, basic and standing lines; number and name
    // for the windows), and the job change proposed.
    bulk::EmployeeSnapshot employee;
    JobChangeDraft draft;
    QString newJob;
    // Decided: whether the approval applied the row, and the job change it saved.
    bool applied = false;
    qint32 jobChangeId = 0;
    QString jobChangeNumber;
};

struct Proposal {
    qint32 batchId = 0;
    BatchStatus status = BatchStatus::Pending;
    QDate jobDate;
    QString remarks;
    QString rules; // the filters and rules, or the imported file, in words
    int rowCount = 0;
    qint16 proposedBy = 0;
    QString proposedByName;
    QString proposedOn; // yyyy-MM-dd hh:mm:ss
    qint16 decidedBy = 0;
    QString decidedByName;
    QString decidedOn;
    QString reason;                // of a rejection
    std::vector<ProposalRow> rows; // filled by ProposalReads::proposal
};

// What changed for one employee since the proposal, in words ("basic 3000.00 now 3100.00"),
// empty when nothing did; an employee no longer eligible says so.
struct RowReview {
    QStringList changes;
    bool changed() const { return !changes.isEmpty(); }
};

// "pending", "approved", "rejected".
QString statusText(BatchStatus status);

// The rules of a batch in words, for its header: who it is for and what it does.
QString describeRules(const bulk::Filters& filters, const bulk::Rules& rules);

// A batch's rows as a table: the employee, the job and basic pay before and after, what changed
// since the proposal (one review per row, or none for a decided batch), and what the approval
// saved.
tableexport::ExportTable proposalTable(const Proposal& proposal,
                                       const std::vector<RowReview>& reviews);

class ProposalReads {
public:
    explicit ProposalReads(WorkspacePtr workspace) : workspace_(std::move(workspace)) {}

    // Whether the database has the proposal tables (its upgrade has been run).
    bool installed() const;
    // Whether the company's bulk batches need approval; never on a database without the tables.
    bool approvalRequired() const;
    // The company's pending batches.
    int pendingCount() const;
    // The company's batches, pending first, then the decided ones, newest first; without rows.
    std::vector<Proposal> list() const;
    // One batch with its rows, or nothing when the company has no such batch.
    std::optional<Proposal> proposal(qint32 batchId) const;
    // What changed for each row's employee since the proposal, read now; rows in order.
    std::vector<RowReview> review(const Proposal& proposal) const;

private:
    QString userName(qint16 userId) const;

    WorkspacePtr workspace_;
};

} // namespace jobchange
