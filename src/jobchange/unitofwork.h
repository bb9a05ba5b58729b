#pragma once

#include "bulk/snapshot.h"
#include "jobchange/entryreads.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/rights.h"
#include "jobchange/staleness.h"
#include "jobchange/workspace.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// One unit of work: every write of job changes and employees runs in one. It begins the
// transaction, takes the locks in one order (the employees by id, then the company's numbering
// lock), checks the user's right and that what the clerk's window showed still holds, lets the
// write's steps run, hands what each job change written changed to the workspace's recorder, and
// commits; or it rolls back and says why. A unit that loses a race with another clerk (the
// database stayed locked; when it numbers job changes, also an id or number taken meanwhile) is
// run again from the start after a pause that grows each time, up to kWriteAttempts runs in all.
// One whose connection broke ends there: the next statement opens the connection again.

namespace jobchange {

inline constexpr int kWriteAttempts = 5;

// What a write does to a job change.
enum class Action { Create, Edit, Cancel };

// A job change and its employee, as a write found or left them.
struct JobChangeState {
    std::optional<StoredJobChange> jobChange; // none before a job change is created
    EmployeeState employee;
};

// What one write did to one job change.
struct ChangeRecord {
    Action action = Action::Create;
    qint32 jobChangeId = 0;
    QString number;
    qint32 employeeId = 0;
    JobChangeState before;
    JobChangeState after;
};

// A write that is not one job change's (an approval of a batch, ...): the action's name as an
// audit shows it, what it concerns, and the values before and after as JSON objects.
struct ActionRecord {
    QString action;
    qint32 jobChangeId = 0;
    QString number;
    qint32 employeeId = 0;
    QJsonObject before;
    QJsonObject after;
    QString remark;
};

// What one decision on a bulk batch did; recorded as an ActionRecord.
struct BatchRecord {
    enum class Action { Propose, Approve, Reject };
    Action action = Action::Propose;
    qint32 batchId = 0;
    std::vector<qint32> jobChangeIds; // Approve: the job changes written, each recorded too
    std::vector<qint32> employeeIds;  // the batch's rows, or the rows approved
    QString reason;                   // Reject
};

// Told of every job change a unit writes, once each, after its statements, and of every write
// of another kind: inside the unit's transaction and under the company's numbering lock, so that
// what it writes itself commits or rolls back with the write. An error it raises rolls the whole
// unit back.
class ChangeRecorder {
public:
    virtual ~ChangeRecorder() = default;
    virtual void record(const Workspace& workspace, const ChangeRecord& change) = 0;
    // A batch's job changes, in order, the same way as one by one.
    virtual void record(const Workspace& workspace, const std::vector<ChangeRecord>& changes) {
        for (const ChangeRecord& change : changes)
            record(workspace, change);
    }
    // Told of a write of another kind, the same way.
    virtual void record(const Workspace& workspace, const ActionRecord& action) = 0;
};

// How a unit ended.
struct UnitOutcome {
    enum class Ended { Committed, Refused, Failed };
    Ended ended = Ended::Failed;
    QString message;             // Refused: why; Failed: what the clerk is shown
    bool forbidden = false;      // Refused for want of the right
    int errorNumber = 0;         // Failed
    bool outcomeUnknown = false; // Failed: the connection broke during COMMIT
    int retries = 0;             // runs lost to other clerks and done again

    bool committed() const { return ended == Ended::Committed; }
};

class UnitOfWork {
public:
    // For the message of a lost connection: the button that tries again ("Ok") and what may or
    // may not have been saved ("the job change").
    struct Subject {
        QString button;
        QString what;
    };
    // numbers: the unit creates job changes, so a taken id or number is a lost race too.
    UnitOfWork(WorkspacePtr workspace, Subject subject, bool numbers);

    // Runs work in a transaction of its own, from the start again while a lost race allows.
    // Work refuses by raising a Refusal and fails by raising a data::DbError; anything else it
    // raises rolls the unit back and is passed on.
    UnitOutcome run(const std::function<void()>& work);

    // ---- Inside the work
    // Locks the employee against other writers until the transaction ends.
    void lockEmployee(qint32 employeeId) const;
    // Queues the numbering behind any other in the company until the transaction ends; taken
    // once per run, after the employees.
    void lockNumbering();
    // Raises a Refusal when the user lacks the right.
    void requireRight(Right right) const;
    // Under the employee's lock: the right to create, the employee still offered and as the
    // window showed them, and what the draft stores as old what the employee has now.
    void recheckNew(const JobChangeDraft& draft, const ShownState& shown);
    // Under the employee's lock: the right to edit or cancel, the job change neither cancelled
    // nor followed by a later one; for an edit also the job change and its employee as the
    // window showed them, and the draft's old values the stored ones.
    // Each returns the job change's employee.
    qint32 recheckEdit(qint32 id, const JobChangeDraft& draft, const ShownState& shown);
    qint32 recheckCancel(qint32 id);
    // A batch: refused when it names an employee more than once, before any lock; then every
    // active employee of the company locked in id order, the right (to create, or to approve a
    // proposed batch), and each employee as the preview found them (previewed[i]), with what
    // drafts[i] stores as old; refused when any differ, changed naming them.
    void recheckBatch(const std::vector<const bulk::EmployeeSnapshot*>& previewed,
                      const std::vector<JobChangeDraft>& drafts, std::vector<qint32>& changed,
                      Right right = Right::Create);

    // What a write's steps wrote.
    struct Written {
        qint32 id = 0;
        QString number;
    };
    // Runs the steps that write one job change (id 0 for a new one) of the employee, and hands
    // the recorder, when the workspace has one, the job change and employee before and after.
    void write(Action action, qint32 employeeId, qint32 id, const std::function<Written()>& steps);
    // A new job change of a batch's employee, as steps wrote it.
    struct Created {
        qint32 employeeId = 0;
        Written written;
    };
    // After recheckBatch: runs the steps that write a batch's new job changes, and hands the
    // recorder, when the workspace has one, each job change with its employee, a few hundred at
    // a time: before as the re-check read them under the lock, after as set-wise reads of what
    // was written find them.
    void writeNew(const std::function<std::vector<Created>()>& steps);
    // Hands the recorder, when the workspace has one, a write of another kind, after its
    // statements and under the numbering lock.
    void record(const ActionRecord& action);
    // The same for a decision on a bulk batch.
    void recordBatch(const BatchRecord& batch);

private:
    qint32 recheckStored(qint32 id, Right right, const QString& laterMessage);
    JobChangeState stateOf(qint32 id, qint32 employeeId) const;

    WorkspacePtr workspace_;
    Subject subject_;
    bool numbers_;
    EntryReads reads_;
    bool numberingLocked_ = false;
    // What a re-check read under the lock, which is the state before the write's steps: the
    // recorder is handed it rather than a second reading.
    qint32 checkedEmployeeId_ = 0;
    std::optional<EmployeeState> checkedEmployee_;
    std::optional<StoredJobChange> checkedJobChange_;
    // A batch's employees as its re-check read them, by id.
    QHash<qint32, EmployeeState> checkedBatch_;
};

} // namespace jobchange
