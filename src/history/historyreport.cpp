#include "history/historyreport.h"

#include "data/connection.h"
#include "data/tablenames.h"
#include "report/engine.h"
#include "report/jobchange.h"
#include "report/reportcontrol.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kTitle = QStringLiteral("Employee History");

} // namespace

QString employeeHistoryReportFile() {
    // Wherever the job change report is looked for, this one sits beside it.
    return QFileInfo(report::jobChangeReportFile())
        .dir()
        .filePath(QStringLiteral("rptEmployeeHistory.rpt"));
}

void setUpEmployeeHistoryReport(report::ReportControl& control,
                                const jobchange::HistorySource& source, qint32 employeeId) {
    control.setWindowOption(report::ReportControl::kWindowState, report::ReportControl::kMaximized);
    control.setWindowTitle(kTitle);
    control.LogOnServer(QStringLiteral("pdsodbc.dll"), QStringLiteral("payrolldsn"),
                        QStringLiteral("payroll"), QString());
    control.setReportFileName(employeeHistoryReportFile());
    control.setParameterFields(0, QStringLiteral("@intCompanyID;%1;true").arg(source.company));
    control.setParameterFields(1, QStringLiteral("@intEmpID;%1;true").arg(employeeId));
    control.setParameterFields(2,
                               QStringLiteral("strReportName;") + kTitle + QStringLiteral(";true"));
    if (const std::optional<QString> user = jobchange::userName(source))
        control.setParameterFields(3, QStringLiteral("strUserName;") + *user +
                                          QStringLiteral(";true"));
}

int exportEmployeeHistoryPdf(const jobchange::HistorySource& source, const QString& employeeNo,
                             const QString& outFile, QString& error) {
    try {
        const std::optional<qint32> employee = jobchange::findEmployeeByNumber(source, employeeNo);
        if (!employee) {
            error = QStringLiteral("Company %1 has no employee numbered \"%2\".")
                        .arg(source.company)
                        .arg(employeeNo);
            return 2;
        }
        report::ReportControl control(report::ReportHost{
            .connection = [&source]() -> data::Connection& { return source.connection; }});
        setUpEmployeeHistoryReport(control, source, *employee);
        control.setPreviewSink(
            [&outFile](const report::RenderedReport& rendered, const report::ReportControl&) {
                rendered.writePdf(outFile);
            });
        control.setAction(1);
    } catch (const data::DbError& failure) {
        error = failure.description();
        return 1;
    }
    return 0;
}
