#pragma once

#include "data/money.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/linetable.h"
#include "jobchange/workspace.h"
#include "jobchange/writestatements.h"

#include <QHash>
#include <vector>

// The statements of the writer's writes, run inside its unit of work: what a job change's save,
// edit and cancellation change in the job change and employee tables. Only the writer uses them.

namespace jobchange {

class WriteSteps {
public:
    explicit WriteSteps(WorkspacePtr workspace);

    // Each designation's grade, read once for a batch of saves.
    using DesignationGrades = QHash<qint32, qint16>;
    DesignationGrades designationGrades() const;
    // The next job change id: the company's highest plus one.
    qint32 nextId() const;
    // A new job change under the id and number taken.
    struct NewJobChange {
        qint32 id = 0;
        QString number;
        const JobChangeDraft* draft = nullptr;
    };
    // Every statement of the new job changes, each of another employee (a batch's re-check
    // refuses a repeat), a few multi-row ones for all of them: the headers, the employees, the
    // lines, and the employees' standing lines rewritten. grades (when given) answer for the
    // designations they hold, the database for any they lack.
    void saveNew(const std::vector<NewJobChange>& changes,
                 const DesignationGrades* grades = nullptr) const;
    // Every statement of the edit of job change id.
    void saveEdit(qint32 id, const JobChangeDraft& draft) const;
    // Marks the job change cancelled with the user's name and the reason, and puts the employee
    // back on the job, basic pay and standing lines it replaced.
    void cancel(qint32 id, const QString& reason) const;

private:
    void updateEmployee(const JobChangeDraft& draft, qint16 newGrade) const;
    static void addLines(RowInserts& into, LineKind kind, qint16 company, qint32 id,
                         const JobChangeDraft& draft);
    struct Standing {
        int detailId;
        qint64 typeId;
        // A clerk's amount, or one put back as it was stored.
        data::StoredAmount amount;
    };
    // The one rewrite of employees' standing lines of a kind: all of theirs deleted, then these
    // added (each employee's, by employee).
    void rewriteStandingLines(
        LineKind kind,
        const std::vector<std::pair<qint32, std::vector<Standing>>>& employees) const;
    // The draft's lines the employee keeps, under their list positions.
    static std::vector<Standing> keptLines(const std::vector<DraftLine>& lines);
    std::vector<Standing> replacedLines(LineKind kind, qint32 id) const;
    qint16 designationGrade(qint32 designationId, const DesignationGrades* grades) const;

    WorkspacePtr workspace_;
    WriteStatements statements_;
};

} // namespace jobchange
