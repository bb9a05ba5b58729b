#pragma once

#include "jobchange/staleness.h"
#include "jobchange/storedjobchange.h"
#include "jobchange/workspace.h"

#include <map>
#include <optional>
#include <vector>

// What the entry window reads, and what its writes check again: a stored job change, an employee
// as the window shows them, and which employees and jobs the window offers.

namespace jobchange {

class EntryReads {
public:
    explicit EntryReads(WorkspacePtr workspace) : workspace_(std::move(workspace)) {}

    // A stored job change with its lines as the window lists them; nothing when there is none.
    std::optional<StoredJobChange> jobChange(qint32 id) const;
    // The company's job changes with ids from first to last, read in three statements, each as
    // jobChange reads it save the lines' descriptions and currencies; by id.
    std::map<qint32, StoredJobChange> jobChanges(qint32 first, qint32 last) const;
    // The employee's master and standing lines (not found when the employee has no row).
    EmployeeState employeeState(qint32 employeeId) const;
    // What the entry window shows and hands back to its save, read once: for a new job change
    // the employee; for an edit the job change and its employee (nothing without the job
    // change).
    ShownState readForNew(qint32 employeeId) const;
    std::optional<ShownState> readForEdit(qint32 id) const;
    // The symbol of the employee's currency (empty when none).
    QString currencySymbol(qint32 employeeId) const;
    // Active, and without an uncancelled job change dated after the process date: an employee
    // the window offers for a new job change.
    bool offersEmployee(qint32 employeeId) const;
    // An active designation of the company: one the window offers as the old job.
    bool offersOldJob(qint32 designationId) const;

private:
    static void readHeader(const data::Recordset& rs, StoredJobChange& stored);
    std::vector<StandingLine> standingLines(LineKind kind, qint32 employeeId) const;

    WorkspacePtr workspace_;
};

} // namespace jobchange
