#pragma once

#include <QString>
#include <optional>

namespace data {
class Connection;
struct ResolvedTableNames;
} // namespace data

namespace report {

class ReportControl;

// A file of the data folder, by its path under it: beside the program when it is there (a build
// tree), else in the installed data folder (<datadir>/quorvel).
QString dataFile(const QString& relative);

// The job change report: reports/rptEmpGradeChange.rpt of the data folder.
QString jobChangeReportFile();

// Gives the control every value of the job change report, in the order it takes them: window
// options, title, log-on, report file, then parameter fields 0 to 2, and field 3, the user's
// name, only when there is one.
void setUpJobChangeReport(ReportControl& control, qint16 company, const QString& jobChangeId,
                          const std::optional<QString>& userName);

// The user's name as the job change report prints it, trimmed: looked up by user alone, whatever
// the company; nothing without a users row.
std::optional<QString> reportUserName(data::Connection& connection,
                                      const data::ResolvedTableNames& tables, qint16 user);

} // namespace report
