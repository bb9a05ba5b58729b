#pragma once

#include "jobchange/workspace.h"

#include <QString>
#include <optional>

// The user's rights on the module's interface.

namespace jobchange {

// The rights the register's buttons stand for: New, Edit and Delete (which cancels); and the
// right to approve or reject another user's bulk batch.
enum class Right { Create, Edit, Cancel, Approve };
// Whether the rights letters grant the letter: both trimmed and upper-cased; "ADMIN" grants
// nothing.
bool rightsGrant(const QString& rights, const QString& letter);

class UserRights {
public:
    explicit UserRights(WorkspacePtr workspace) : workspace_(std::move(workspace)) {}

    // The user's rights letters for the module's interface ("NEDUP" for user 1); none without
    // a rights row. A null rights value raises error 94.
    std::optional<QString> userRights() const;
    // Why the user may not do that ("User 5 has no right to edit job changes (E)"), or nothing.
    // A user without a rights row may create job changes, as the register lets him, but not
    // edit or cancel them. User 1 holds every right, approval too.
    std::optional<QString> missingRight(Right right) const;

private:
    WorkspacePtr workspace_;
};

} // namespace jobchange
