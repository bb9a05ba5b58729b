#pragma once

#include "bulk/importpreview.h"
#include "bulk/preview.h"
#include "jobchange/jobchangeservice.h"

#include <functional>
#include <vector>

// The database side of a bulk revision: the eligible employees as the preview needs them, read
// in a few statements for the whole company, and the preview's job changes saved in one
// transaction through the job-change service's own save.
namespace jobchange {

// A designation as the new-job choice lists it.
struct JobChoice {
    qint32 designationId = 0;
    qint32 gradeId = 0;
    QString text; // grade " - " designation, as the entry window shows a job
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

// The job change the entry window would save for a planned one: the single place where the
// preview's exact amounts become the service's.
JobChangeDraft draftOf(const bulk::PlannedJobChange& planned);

class BulkService {
public:
    explicit BulkService(WorkspacePtr workspace);

    // Every employee eligible for a job change (active, none uncancelled dated after the process
    // date) with job texts, currency and standing lines, ordered by employee id.
    std::vector<bulk::EmployeeSnapshot> eligibleEmployees() const;
    std::vector<bulk::EmployeeSnapshot> eligibleEmployees(const bulk::Filters& filters) const;
    // The company's active designations.
    std::vector<JobChoice> jobs() const;
    // The company's active allowance or deduction types.
    std::vector<Choice> lineTypes(LineKind kind) const { return service_.lineTypes(kind); }

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

    // Saves a job change for every row that will apply, all or none; fails, saving nothing, when
    // the rules' date may not be used for a batch. Under the transaction's lock the user's right
    // to create job changes is read, and each employee is read again and compared with the row's
    // snapshot and with what its job change stores as old; any difference refuses the whole batch
    // and names the employees.
    BatchResult apply(const std::vector<bulk::PreviewRow>& rows, const bulk::Rules& rules,
                      const BatchProgress& progress = {}) const;

private:
    // The eligible employees: with every text the preview shows, or only what sameStanding
    // compares, locked for the rest of the transaction.
    enum class Detail { Preview, Standing };
    std::vector<bulk::EmployeeSnapshot> readEmployees(Detail detail) const;
    QHash<QString, QString> ineligibleEmployees() const;
    void lockEmployees() const;

    WorkspacePtr workspace_;
    JobChangeService service_;
};

// Whether the employee still stands as the snapshot found them: job, grade, basic pay and every
// standing line in order, amounts as stored.
bool sameStanding(const bulk::EmployeeSnapshot& a, const bulk::EmployeeSnapshot& b);

} // namespace jobchange
