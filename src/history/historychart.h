#pragma once

#include "jobchange/employeehistory.h"

#include <QDate>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

// The chart of basic pay over time: a step line through the job changes in force (series
// "seriesBasic") and the cancelled ones as points at the basic they would have set
// ("seriesCancelled"). The line runs to the process date, and on past the last job change.
QChart* buildPayChart(const jobchange::EmployeeHistory& history, const QDate& processDate);
