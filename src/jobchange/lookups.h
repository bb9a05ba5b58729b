#pragma once

#include "data/choice.h"
#include "jobchange/combolookup.h"
#include "jobchange/linetable.h"
#include "jobchange/workspace.h"

#include <optional>
#include <vector>

// The lists a clerk chooses from: employees and jobs for the entry window's combos, allowance
// and deduction types for the line editor, with their currencies.

namespace jobchange {

// The currency of a line type.
struct TypeCurrency {
    QString name;
    QString symbol;
};

// The job combos of the entry window: the old job and the new job.
enum class JobList { Old, New };

class Lookups {
public:
    explicit Lookups(WorkspacePtr workspace) : workspace_(std::move(workspace)) {}

    // Active employees without an uncancelled job change dated after the process date.
    std::vector<Choice> eligibleEmployees() const;
    // The company's active employees with their currency symbol, and the jobs.
    ComboLookup employeeLookup() const;
    ComboLookup jobLookup(JobList list) const;
    // The lines a combo shows for the lookup, ids as item data, in the order read: a job as
    // "grade - designation", an employee as "name-number - symbol".
    std::vector<Choice> choices(const ComboLookup& lookup) const;
    // The company's active allowance or deduction types, and one type's currency.
    std::vector<Choice> lineTypes(LineKind kind) const;
    std::optional<TypeCurrency> typeCurrency(LineKind kind, qint64 typeId) const;

private:
    WorkspacePtr workspace_;
};

} // namespace jobchange
