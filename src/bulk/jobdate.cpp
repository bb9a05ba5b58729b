#include "bulk/jobdate.h"

#include "data/datetext.h"

namespace bulk {

bool farAfterProcessDate(const QDate& date, const QDate& processDate) {
    return date.isValid() && processDate.isValid() &&
           processDate.daysTo(date) > kMaxDaysAfterProcessDate;
}

QString batchJobDateProblem(const QDate& date, const QDate& processDate) {
    if (!processDate.isValid())
        return {};
    if (date < processDate)
        return QStringLiteral("The job date %1 is before the process date %2.")
            .arg(data::dateText(date), data::dateText(processDate));
    if (farAfterProcessDate(date, processDate))
        return QStringLiteral("The job date %1 is more than a year after the process date %2; "
                              "a job change is applied to the employee master at once, so a "
                              "batch may be dated up to %3.")
            .arg(data::dateText(date), data::dateText(processDate),
                 data::dateText(processDate.addDays(kMaxDaysAfterProcessDate)));
    return {};
}

} // namespace bulk
