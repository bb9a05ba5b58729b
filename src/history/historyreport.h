#pragma once

#include "jobchange/employeehistory.h"

#include <QString>

namespace report {
class ReportControl;
}

// The history report beside the job change report: reports/rptEmployeeHistory.rpt.
QString employeeHistoryReportFile();

// Gives the control the history report of the employee: window options, title, log-on, file
// and the parameters, the user's name among them when it is found. Raises data::DbError.
void setUpEmployeeHistoryReport(report::ReportControl& control,
                                const jobchange::HistorySource& source, qint32 employeeId);

// Writes the history of the employee numbered `employeeNo` to a PDF without a window. Returns
// 0 when written; 2 when the company has no such employee (nothing is written); 1 for any
// other failure. `error` then says why.
int exportEmployeeHistoryPdf(const jobchange::HistorySource& source, const QString& employeeNo,
                             const QString& outFile, QString& error);
