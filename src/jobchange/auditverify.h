#pragma once

#include "jobchange/workspace.h"

#include <QStringList>
#include <optional>

// The audit's check: the company's chain computed again row by row, and every audited
// employee's pay compared with what the trail last saw of it.

namespace jobchange {

// A chain's head as recorded outside the database: its last hash and its number of rows.
struct AuditHead {
    QString hash;
    qint64 count = 0;
    // "HASH:COUNT"; nothing when the text is not one.
    static std::optional<AuditHead> parse(const QString& text);
    QString text() const { return hash + QLatin1Char(':') + QString::number(count); }
};

struct AuditVerification {
    AuditHead head;        // of the chain as found
    QStringList problems;  // each audit row changed, removed or inserted, one a line
    QStringList employees; // each employee whose pay was changed outside the program
    bool sound() const { return problems.isEmpty() && employees.isEmpty(); }
};

// Raises DbError when the trail cannot be read, or is not installed.
AuditVerification verifyAudit(const WorkspacePtr& workspace,
                              const std::optional<AuditHead>& recorded = std::nullopt);

} // namespace jobchange
