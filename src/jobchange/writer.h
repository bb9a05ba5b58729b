#pragma once

#include "bulk/preview.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/staleness.h"
#include "jobchange/workspace.h"

#include <QString>
#include <functional>
#include <vector>

// The writer: every write there is of job changes and employees. Each runs in one unit of work
// (unitofwork.h): under its transaction and locks it checks the user's right and that what the
// clerk's window or preview showed still holds, writes, records what it changed, and commits; or
// it writes nothing and says why. None touches a window, so no message box opens while a
// transaction is open.

namespace jobchange {

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
    // Forbidden: the user may not create job changes (error says so).
    enum class Outcome { Applied, Refused, Forbidden, Cancelled, Failed };
    Outcome outcome = Outcome::Failed;
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
    // names the employees.
    BatchResult apply(const std::vector<bulk::PreviewRow>& rows, const bulk::Rules& rules,
                      const BatchProgress& progress = {}) const;

private:
    WorkspacePtr workspace_;
};

} // namespace jobchange
