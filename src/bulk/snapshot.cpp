#include "bulk/snapshot.h"

namespace bulk {

bool Filters::matches(const EmployeeSnapshot& employee) const {
    const QString text = search.trimmed();
    const QString money = currency.trimmed();
    return (!designationId || *designationId == employee.designationId) &&
           (!gradeId || *gradeId == employee.gradeId) &&
           (money.isEmpty() ||
            money.compare(employee.currency.trimmed(), Qt::CaseInsensitive) == 0) &&
           (text.isEmpty() || employee.name.contains(text, Qt::CaseInsensitive) ||
            employee.number.contains(text, Qt::CaseInsensitive));
}

std::vector<EmployeeSnapshot> filtered(const std::vector<EmployeeSnapshot>& employees,
                                       const Filters& filters) {
    std::vector<EmployeeSnapshot> kept;
    for (const EmployeeSnapshot& employee : employees)
        if (filters.matches(employee))
            kept.push_back(employee);
    return kept;
}

} // namespace bulk
