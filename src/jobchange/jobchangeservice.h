#pragma once

#include "data/choice.h"
#include "data/rowstream.h"
#include "jobchange/combolookup.h"
#include "jobchange/jobchangedraft.h"
#include "jobchange/linetable.h"
#include "jobchange/numbering.h"
#include "jobchange/staleness.h"
#include "jobchange/workspace.h"
#include "jobchange/writestatements.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

// The job-change service: every statement about job changes, employees' standing lines,
// numbering and rights, and every transaction that writes them. Windows gather input, call it
// with plain values and show what it returns; it touches no widget and shows no message.
//
// Each write (saveNew, saveEdit, cancel) opens its own transaction, does every statement,
// commits or rolls back, and returns what happened. A write that loses a race with another
// clerk (the database stayed locked; for a new job change also its id or number taken meanwhile)
// is done again from the start, up to kWriteAttempts times in all. Before any statement, under a
// lock that serialises writers on the same employee, each write reads the user's rights and
// checks that what the clerk's window showed, and what the write stores as old, still holds; if
// not it writes nothing and is refused (concurrency.cpp). A write whose connection broke ends
// there; the next statement opens the connection again.

namespace jobchange {

inline constexpr int kWriteAttempts = 5;

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

// The rights the register's buttons stand for: New, Edit and Delete (which cancels).
enum class Right { Create, Edit, Cancel };
// Whether the rights letters grant the letter: both trimmed and upper-cased; "ADMIN" grants
// nothing.
bool rightsGrant(const QString& rights, const QString& letter);

// The currency of a line type.
struct TypeCurrency {
    QString name;
    QString symbol;
};

// The job combos of the entry window: the old job and the new job.
enum class JobList { Old, New };

class JobChangeService {
public:
    explicit JobChangeService(WorkspacePtr workspace);

    const Workspace& workspace() const { return *workspace_; }

    // ---- The register
    // The register query, with its date filter when previousDays is above 0, in date order, then
    // number.
    QString registerSql(qint16 previousDays) const;
    data::Recordset registerRows(qint16 previousDays) const;
    // The same rows for the register's grid, read without a QVariant per field.
    data::RowStream registerStream(qint16 previousDays) const;
    // The register row of one job change; empty when the query does not list it.
    std::optional<QVariantList> registerRow(qint16 previousDays, qint32 id) const;
    // The register's column titles, in column order.
    QStringList columnTitles() const;
    // The company's NoOfPreviousDays setting (0 without one).
    qint16 previousDays() const;
    // The user's rights letters for the module's interface ("NEDUP" for user 1); none without
    // a rights row. A null rights value raises error 94.
    std::optional<QString> userRights() const;
    // Why the user may not do that ("User 5 has no right to edit job changes (E)"), or nothing.
    // A user without a rights row may create job changes, as the register lets him, but not
    // edit or cancel them.
    std::optional<QString> missingRight(Right right) const;
    // Whether the employee of the job change has a later one that is not cancelled.
    bool laterUncancelledExists(qint32 id) const;
    // The company's job change named by the text: as an id when it is all digits and names one,
    // else as a job change number in any case; the lowest id when several share the number.
    std::optional<qint32> findJobChange(const QString& idOrNumber) const;

    // ---- The entry window
    // A stored job change with its lines as the window lists them; nothing when there is none.
    std::optional<StoredJobChange> jobChange(qint32 id) const;
    // The employee's master and standing lines (not found when the employee has no row).
    EmployeeState employeeState(qint32 employeeId) const;
    // What the entry window shows and hands back to its save, read once: for a new job change
    // the employee; for an edit the job change and its employee (nothing without the job
    // change).
    ShownState readForNew(qint32 employeeId) const;
    std::optional<ShownState> readForEdit(qint32 id) const;
    // The symbol of the employee's currency (empty when none).
    QString currencySymbol(qint32 employeeId) const;
    // Active employees without an uncancelled job change dated after the process date.
    std::vector<Choice> eligibleEmployees() const;
    // The company's active employees with their currency symbol, and the jobs.
    ComboLookup employeeLookup() const;
    ComboLookup jobLookup(JobList list) const;
    // The lines a combo shows for the lookup, ids as item data, in the order read: a job as
    // "grade - designation", an employee as "name-number - symbol".
    std::vector<Choice> choices(const ComboLookup& lookup) const;
    // The next job change number: the company's prefix for the interface and a running number.
    // Past the running number's 32-bit range the error is raised as an overflow (6).
    QString nextNumber() const;
    // The prefix and the first free running number, read once: a batch numbers on from it under
    // the numbering lock (checking the 32-bit range itself as it counts).
    NumberSeries numberSeries() const;
    // Queues the numbering of a new job change behind any other in the company, until the
    // transaction ends.
    void lockNumbering() const;
    // Under the write's transaction: raises a Refusal when the user lacks the right.
    void requireRight(Right right) const;

    // ---- The line editor
    std::vector<Choice> lineTypes(LineKind kind) const;
    std::optional<TypeCurrency> typeCurrency(LineKind kind, qint64 typeId) const;

    // ---- Writes
    WriteResult saveNew(const JobChangeDraft& draft, const ShownState& shown = {}) const;
    WriteResult saveEdit(qint32 id, const JobChangeDraft& draft,
                         const ShownState& shown = {}) const;
    // Marks the job change cancelled with the user's name and the reason, and puts the employee
    // back on the job, basic pay and standing lines it replaced.
    WriteResult cancel(qint32 id, const QString& reason) const;

    // ---- Steps of a write, for a caller that holds the transaction itself (a bulk revision)
    // The next job change id: the company's highest plus one.
    qint32 nextId() const;
    // Each designation's grade, read once for a batch of saves.
    using DesignationGrades = QHash<qint32, qint16>;
    DesignationGrades designationGrades() const;
    // Every statement of saveNew for a job change whose id and number the caller took; grades
    // (when given) answer for the designations it holds, the database for any it lacks.
    void saveNewSteps(const JobChangeDraft& draft, qint32 id, const QString& number,
                      const DesignationGrades* grades = nullptr) const;

private:
    enum class Write { New, Edit, Cancel };
    // Runs steps in a transaction of its own, again while a lost race allows. A new job change
    // names its employee; an edit or a cancellation that of job change id. draft: what a save
    // writes (none for a cancellation).
    WriteResult write(Write kind, qint32 id, const JobChangeDraft* draft, const ShownState& shown,
                      const std::function<void(WriteResult&)>& steps) const;
    // Before any statement of a write, under its transaction: locks the employee against other
    // writers, reads the user's rights, and compares what the clerk's window was built from and
    // what the draft stores as old with the database; raises a Refusal when they differ.
    void recheckUnderLock(Write kind, qint32 id, const JobChangeDraft* draft,
                          const ShownState& shown) const;
    void lockEmployee(qint32 employeeId) const;
    bool eligible(qint32 employeeId) const;
    // An active designation of the company: one the entry window offers as the old job.
    bool designationOffered(qint32 designationId) const;
    std::vector<StandingLine> standingLines(LineKind kind, qint32 employeeId) const;

    // The grades of a draft's old and new designation.
    struct DraftGrades {
        qint16 oldGrade = 0;
        qint16 newGrade = 0;
    };
    void save(WriteResult& result, const JobChangeDraft& draft, bool isNew,
              const DesignationGrades* grades = nullptr) const;
    void saveHeader(WriteResult& result, const JobChangeDraft& draft, bool isNew,
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
    // The first field of the statement's first row; null without a row.
    QVariant firstField(const QString& sql) const;
    qint16 designationGrade(qint32 designationId) const;
    qint16 designationGrade(qint32 designationId, const DesignationGrades* grades) const;
    QString table(QString data::ResolvedTableNames::*name) const {
        return workspace_->tables.*name;
    }

    // The register query without its ordering, to which a condition can be added.
    QString registerRowsSql(qint16 previousDays) const;

    WorkspacePtr workspace_;
    WriteStatements statements_;
};

} // namespace jobchange

// The register query of a company (before its date filter), in a server's dialect.
QString RegisterQuery(const data::Dialect& dialect, const data::ResolvedTableNames& tables,
                      qint16 companyId);
// The date filter appended to it: job changes dated on or after the cut-off day.
QString RegisterDateFilter(const data::Dialect& dialect, const QDate& cutoff);
// The register's ordering clause: date, then number.
QString RegisterOrder(const data::Dialect& dialect);
// The statement that finds the highest running number in use behind the prefix (0 when none).
QString gradeNoMaxSql(const data::Dialect& dialect, const QString& gradeChangeTable,
                      qint16 companyId, const QString& prefix);
