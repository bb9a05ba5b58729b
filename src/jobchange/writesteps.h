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
    // Every statement of a new job change under the id and number taken, or of the edit of job
    // change id; grades (when given) answer for the designations they hold, the database for any
    // they lack.
    void save(qint32 id, const QString& number, const JobChangeDraft& draft, bool isNew,
              const DesignationGrades* grades = nullptr) const;
    // Marks the job change cancelled with the user's name and the reason, and puts the employee
    // back on the job, basic pay and standing lines it replaced.
    void cancel(qint32 id, const QString& reason) const;

private:
    // The grades of a draft's old and new designation.
    struct DraftGrades {
        qint16 oldGrade = 0;
        qint16 newGrade = 0;
    };
    void saveHeader(qint32 id, const QString& number, const JobChangeDraft& draft, bool isNew,
                    const DraftGrades& grades) const;
    void updateEmployee(const JobChangeDraft& draft, const DraftGrades& grades) const;
    void saveLines(LineKind kind, qint32 id, const JobChangeDraft& draft, bool isNew) const;
    struct Standing {
        int detailId;
        qint64 typeId;
        // A clerk's amount, or one put back as it was stored.
        data::StoredAmount amount;
    };
    // The one rewrite of an employee's standing lines of a kind: all deleted, then these added.
    void rewriteStandingLines(LineKind kind, qint32 employeeId,
                              const std::vector<Standing>& lines) const;
    // The draft's lines the employee keeps, under their list positions.
    static std::vector<Standing> keptLines(const std::vector<DraftLine>& lines);
    std::vector<Standing> replacedLines(LineKind kind, qint32 id) const;
    qint16 designationGrade(qint32 designationId, const DesignationGrades* grades) const;

    WorkspacePtr workspace_;
    WriteStatements statements_;
};

} // namespace jobchange
