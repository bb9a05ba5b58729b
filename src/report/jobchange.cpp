#include "report/jobchange.h"

#include "data/connection.h"
#include "report/reportcontrol.h"

#include <QCoreApplication>

namespace report {

QString jobChangeReportFile() {
    return QCoreApplication::applicationDirPath() +
           QStringLiteral("/reports/rptEmpGradeChange.rpt");
}

void setUpJobChangeReport(ReportControl& control, data::Connection& connection,
                          const QString& usersTable, qint16 company, const QString& jobChangeId,
                          qint16 user) {
    const QString title = QStringLiteral("Job Change");
    control.setWindowOption(9, false);
    for (const int identifier : {123, 122, 120, 119, 125, 124, 121})
        control.setWindowOption(identifier, true);
    control.setWindowOption(ReportControl::kWindowState, ReportControl::kMaximized);
    control.setWindowTitle(title);
    control.LogOnServer(QStringLiteral("pdsodbc.dll"), QStringLiteral("payrolldsn"),
                        QStringLiteral("payroll"), QStringLiteral("mirevantolk"));
    control.setReportFileName(jobChangeReportFile());
    control.setParameterFields(0, QStringLiteral("@intCompanyID;") + QString::number(company) +
                                      QStringLiteral(";true"));
    control.setParameterFields(1, QStringLiteral("@intGradeChangeID;") + jobChangeId +
                                      QStringLiteral(";true"));
    control.setParameterFields(2,
                               QStringLiteral("strReportName;") + title + QStringLiteral(";true"));

    data::Recordset rs =
        connection.open(QStringLiteral("select username from ") + usersTable +
                        QStringLiteral(" where userid = ") + QString::number(user));
    if (!rs.eof())
        control.setParameterFields(3, QStringLiteral("strUserName;") +
                                          rs.text(QStringLiteral("UserName")).trimmed() +
                                          QStringLiteral(";true"));
}

} // namespace report
