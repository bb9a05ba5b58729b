#pragma once

#include <QString>
#include <optional>

namespace report {

class ReportControl;

// The job change report: <program directory>/reports/rptEmpGradeChange.rpt when it is there (a
// build tree), else the one in the installed data folder (<datadir>/quorvel/reports).
QString jobChangeReportFile();

// Gives the control every value of the job change report, in the order it takes them: window
// options, title, log-on, report file, then parameter fields 0 to 2, and field 3, the user's
// name, only when there is one.
void setUpJobChangeReport(ReportControl& control, qint16 company, const QString& jobChangeId,
                          const std::optional<QString>& userName);

} // namespace report
