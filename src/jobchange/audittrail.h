#pragma once

#include "jobchange/auditvalues.h"
#include "jobchange/unitofwork.h"

#include <optional>

// The audit trail: one row per write, added in the write's transaction under the company's
// numbering lock, each chained by hash to the company's row before it. Installed when linktable
// names a table for paudittrail; without one the module records nothing.

namespace jobchange {

// The program and the computer a row is written from.
struct AuditOrigin {
    QString computer;
    QString osUser;
    static AuditOrigin ofThisProcess();
};

// Appends rows to a company's chain. Under the numbering lock, so the company's writers take
// the tail in turn.
class AuditTrail {
public:
    explicit AuditTrail(const Workspace& workspace) : ws_(workspace) {}

    // Writes row (its company, sequence, time, hashes filled in here) after the company's tail.
    void append(AuditRow row) const;
    // Writes the rows, in order, after the company's tail: the tail and the server's clock read
    // once, the chain continued here, the rows added in a few multi-row statements. The rows of
    // one transaction commit together, so they share its time; their sequence orders them.
    void append(std::vector<AuditRow> rows) const;
    // The user's name as pusers gives it (empty when none).
    QString userName() const;

private:
    const Workspace& ws_;
};

// The recorder a workspace with an audit trail carries: each write becomes one row.
class AuditRecorder : public ChangeRecorder {
public:
    void record(const Workspace& workspace, const ChangeRecord& change) override;
    void record(const Workspace& workspace, const ActionRecord& action) override;
    void record(const Workspace& workspace, const std::vector<ChangeRecord>& changes) override;

private:
    AuditRow rowFor(const Workspace& workspace);
    AuditRow rowFor(const Workspace& workspace, const ChangeRecord& change);

    std::optional<QString> userName_;
    AuditOrigin origin_ = AuditOrigin::ofThisProcess();
};

// The action's name as a row stores it: "New", "Edit", "Cancel".
QString auditActionName(Action action);
inline const QString kBaselineAction = QStringLiteral("Baseline");

// Writes, for each employee of the workspace's company without an audit row, a baseline row
// holding the pay in force, in one unit of work. The number of rows written; raises DbError.
int writeAuditBaseline(const WorkspacePtr& workspace);

} // namespace jobchange

namespace jobchange {

// The baseline of every company with employees, each company in a unit of work of its own, as
// user userId. The number of rows written; raises DbError.
int writeAuditBaselines(const data::ConnectionPtr& connection, qint16 userId);

} // namespace jobchange
