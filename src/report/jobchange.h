#pragma once

#include <QString>

namespace data {
class Connection;
}

namespace report {

class ReportControl;

// The job change report: <program directory>/reports/rptEmpGradeChange.rpt when it is there (a
// build tree), else the one in the installed data folder (<datadir>/quorvel/reports).
QString jobChangeReportFile();

// Gives the control every value of the job change report, in the order it takes them: window
// options, title, log-on, report file, then parameter fields 0 to 2; then looks up the user's
// name (by user alone, whatever the company) and sets parameter field 3 only when it is found.
// Raises data::DbError when the look-up fails.
void setUpJobChangeReport(ReportControl& control, data::Connection& connection,
                          const QString& usersTable, qint16 company, const QString& jobChangeId,
                          qint16 user);

} // namespace report
