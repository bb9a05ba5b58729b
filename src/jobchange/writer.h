#pragma once

#include "bulk/preview.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/staleness.h"
#include "jobchange/workspace.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The writer: every write there is of job changes and employees. Each runs in one unit of work
// (unitofwork.h): under its transaction and locks it checks the user's right and that what the
// clerk's window or preview showed still holds, writes, records what it changed, and commits; or
// it writes nothing and says why. None touches a window, so no message box opens while a
// transaction is open.

namespace jobchange {

struct UnitOutcome;
class UnitOfWork;

// What a write did: the job change's id and number when it went through, else the error.
struct WriteResult {
    bool ok = false;
    qint32 id = 0;
    QString number;
    int errorNumber = 0;
    QString error;        // the description the clerk is shown
    int retries = 0;      // attempts lost to other clerks and done again
    bool refused = false; // what the window showed no longer held, or no right; error says which
    // The connection broke during COMMIT: the write may have gone through (id says which).
    bool outcomeUnknown = false;
};

// One job change a batch saved.
struct BatchSaved {
    qint32 employeeId = 0;
    qint32 id = 0;
    QString number;
};

struct BatchResult {
    // Applied: saved (proposed, approved, rejected) whole. Refused: employees changed (changed
    // names them). Forbidden: the user lacks the right. Declined: the batch may not be done so
    // (it needs a proposal, is decided, is the user's own...): error says why.
    enum class Outcome { Applied, Refused, Forbidden, Declined, Cancelled, Failed };
    Outcome outcome = Outcome::Failed;
    qint32 batchId = 0;            // a proposal's, an approval's or a rejection's
    std::vector<BatchSaved> saved; // Applied: in the order of the rows
    std::vector<qint32> changed;   // Refused: employees no longer as the preview found them
    int errorNumber = 0;           // Failed
    QString error;
    // Failed: the connection broke during COMMIT, so the batch may have been saved whole.
    bool outcomeUnknown = false;

    bool ok() const { return outcome == Outcome::Applied; }
};

// Called after each employee is written with how many are done of how many; false cancels the
// whole batch.
using BatchProgress = std::function<bool(int done, int total)>;

class JobChangeWriter {
public:
    explicit JobChangeWriter(WorkspacePtr workspace) : workspace_(std::move(workspace)) {}

    // A new job change for the draft's employee, numbered on from the company's highest, applied
    // to the employee master. shown: what the entry window showed (readForNew).
    WriteResult saveNew(const JobChangeDraft& draft, const ShownState& shown = {}) const;
    // The job change rewritten from the draft, and the employee master with it. shown: what the
    // entry window showed (readForEdit).
    WriteResult saveEdit(qint32 id, const JobChangeDraft& draft,
                         const ShownState& shown = {}) const;
    // Marks the job change cancelled with the user's name and the reason, and puts the employee
    // back on the job, basic pay and standing lines it replaced.
    WriteResult cancel(qint32 id, const QString& reason) const;
    // A bulk revision: a job change for every row that will apply, all in one unit or none;
    // fails, saving nothing, when the rules' date may not be used for a batch. Every employee is
    // compared with the row's snapshot under the lock; any difference refuses the whole batch and
    // names the employees. A batch names each employee once: one named twice is declined, as it
    // is by propose and approve.
    // Declined when the company's bulk batches need approval: they must be proposed.
    BatchResult apply(const std::vector<bulk::PreviewRow>& rows, const bulk::Rules& rules,
                      const BatchProgress& progress = {}) const;

    // Stores the rows that will apply as a batch for another user to approve, in one short
    // transaction, writing no job change; rulesText says in words what the batch does. Each
    // employee is compared with the row's snapshot as apply does; an employee already in another
    // pending batch declines it, naming that batch.
    BatchResult propose(const std::vector<bulk::PreviewRow>& rows, const bulk::Rules& rules,
                        const QString& rulesText) const;
    // Applies the pending batch's rows (those of the employees in only, when given) in one unit
    // through the same guard as apply, under the right to approve. Declined for the proposer,
    // a batch unknown or decided (naming who decided), a job date the process date has passed;
    // refused naming the employees changed since the proposal.
    BatchResult approve(qint32 batchId, const std::optional<std::vector<qint32>>& only = {},
                        const BatchProgress& progress = {}) const;
    // Marks the pending batch rejected with the reason, under the right to approve.
    BatchResult reject(qint32 batchId, const QString& reason) const;

    // Whether the company's bulk batches need approval from now on.
    WriteResult setApprovalRequired(bool required) const;

private:
    // Inside a batch's unit, under its locks: a job change for each draft, numbered on from the
    // company's highest, each handed to the recorder; result.saved lists them.
    void writeBatch(UnitOfWork& unit, const std::vector<JobChangeDraft>& drafts,
                    BatchResult& result, const BatchProgress& progress) const;
    // What the batch's unit ended in, as a batch result.
    static BatchResult batchResult(const UnitOutcome& outcome, BatchResult result);

    WorkspacePtr workspace_;
};

} // namespace jobchange
