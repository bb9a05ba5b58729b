#pragma once

#include "bulk/importpreview.h"
#include "bulk/preview.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/lookups.h"
#include "jobchange/workspace.h"

#include <QHash>
#include <vector>

// What a bulk revision reads: the eligible employees as the preview needs them, read in a few
// statements for the whole company, and the jobs and line types its rules name. Its batch is
// saved by the writer (writer.h).
namespace jobchange {

// A designation as the new-job choice lists it.
struct JobChoice {
    qint32 designationId = 0;
    qint32 gradeId = 0;
    QString text; // grade " - " designation, as the entry window shows a job
};

// The job change the entry window would save for a planned one: the single place where the
// preview's exact amounts become the service's.
JobChangeDraft draftOf(const bulk::PlannedJobChange& planned);

class BulkReads {
public:
    explicit BulkReads(WorkspacePtr workspace);

    // Every employee eligible for a job change (active, none uncancelled dated after the process
    // date) with job texts, currency and standing lines, ordered by employee id.
    std::vector<bulk::EmployeeSnapshot> eligibleEmployees() const;
    std::vector<bulk::EmployeeSnapshot> eligibleEmployees(const bulk::Filters& filters) const;
    // The company's active designations.
    std::vector<JobChoice> jobs() const;
    // The company's active allowance or deduction types.
    std::vector<Choice> lineTypes(LineKind kind) const { return lookups_.lineTypes(kind); }

    // Why these rules cannot be used here (the date before the process date or more than a year
    // after it, a new designation or line type the company lacks); empty when they can. Fills in
    // the texts the rules name (the new job, the line types' descriptions and currencies).
    QString prepareRules(bulk::Rules& rules) const;
    // Why no batch may be dated so; empty when it may.
    QString dateProblem(const QDate& date) const;

    // The designations and line types an import may name (the active types, and those the
    // employees still hold), and, when asked, why each employee who is not eligible is not.
    bulk::ImportCatalog importCatalog(const std::vector<bulk::EmployeeSnapshot>& employees,
                                      bool withIneligible) const;
    // The imported rows against the eligible employees read now, dated `date`, with `remarks`
    // for rows without their own. Why the date cannot be used, or empty with the batch.
    QString previewImport(const bulk::ImportTable& table, const QDate& date, const QString& remarks,
                          bulk::ImportBatch& batch) const;

    // What a batch compares under its lock: every eligible employee's job, grade, basic pay and
    // standing lines, without texts.
    std::vector<bulk::EmployeeSnapshot> standing() const;
    // Locks the company's active employees against other writers, in id order, until the
    // transaction ends (SQLite's write lock, taken when the transaction began, holds them all).
    void lockEmployees() const;

private:
    // The eligible employees: with every text the preview shows, or only what sameStanding
    // compares.
    enum class Detail { Preview, Standing };
    std::vector<bulk::EmployeeSnapshot> readEmployees(Detail detail) const;
    QHash<QString, QString> ineligibleEmployees() const;

    WorkspacePtr workspace_;
    Lookups lookups_;
};

// Whether the employee still stands as the snapshot found them: job, grade, basic pay and every
// standing line in order, amounts as stored.
bool sameStanding(const bulk::EmployeeSnapshot& a, const bulk::EmployeeSnapshot& b);

} // namespace jobchange
