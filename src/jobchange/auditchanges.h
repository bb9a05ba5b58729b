#pragma once

#include "jobchange/auditreads.h"

#include <QLocale>
#include <QStringList>

// An audit row spelled out for a person: the lines that changed, as "New Basic 35,000.00 →
// 36,000.00" or "House Rent Allowance added 2,000.00", ids turned into names.

namespace jobchange {

QStringList describeChanges(const AuditRow& row, const AuditNames& names,
                            const QLocale& locale = QLocale());

} // namespace jobchange
