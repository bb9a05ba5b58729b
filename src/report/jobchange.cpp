#include "report/jobchange.h"

#include "data/connection.h"
#include "data/tablenames.h"
#include "report/reportcontrol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef QUORVEL_BIN_TO_DATA
#define QUORVEL_BIN_TO_DATA "../share/quorvel"
#endif
#ifndef QUORVEL_DATA_DIR
#define QUORVEL_DATA_DIR "/usr/local/share/quorvel"
#endif

namespace report {

QString dataFile(const QString& relative) {
    const QString file = QLatin1Char('/') + relative;
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString besideProgram = programDir + file;
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    // An installed program's data folder: found from the program first, so that an install
    // moved to another prefix keeps working, then where the install put it (for any other host).
    for (const QString& installed :
         {QDir::cleanPath(programDir + QStringLiteral("/" QUORVEL_BIN_TO_DATA) + file),
          QStringLiteral(QUORVEL_DATA_DIR) + file}) {
        if (QFileInfo::exists(installed))
            return installed;
    }
    return besideProgram;
}

QString jobChangeReportFile() {
    return dataFile(QStringLiteral("reports/rptEmpGradeChange.rpt"));
}

void setUpJobChangeReport(ReportControl& control, qint16 company, const QString& jobChangeId,
                          const std::optional<QString>& userName) {
    const QString title = QStringLiteral("Job Change");
    control.setWindowOption(9, false);
    for (const int identifier : {123, 122, 120, 119, 125, 124, 121})
        control.setWindowOption(identifier, true);
    control.setWindowOption(ReportControl::kWindowState, ReportControl::kMaximized);
    control.setWindowTitle(title);
    // The log-on names no account: the user and the password the report's data source needs
    // belong to its settings (or the server's own client settings), never to the program.
    control.LogOnServer(QStringLiteral("pdsodbc.dll"), QStringLiteral("payrolldsn"),
                        QStringLiteral("payroll"), QString());
    control.setReportFileName(jobChangeReportFile());
    control.setParameterFields(0, QStringLiteral("@intCompanyID;") + QString::number(company) +
                                      QStringLiteral(";true"));
    control.setParameterFields(1, QStringLiteral("@intGradeChangeID;") + jobChangeId +
                                      QStringLiteral(";true"));
    control.setParameterFields(2,
                               QStringLiteral("strReportName;") + title + QStringLiteral(";true"));
    if (userName)
        control.setParameterFields(3, QStringLiteral("strUserName;") + *userName +
                                          QStringLiteral(";true"));
}

std::optional<QString> reportUserName(data::Connection& connection,
                                      const data::ResolvedTableNames& tables, qint16 user) {
    data::Recordset rs = connection.open(QStringLiteral("select username from ") + tables.pusers +
                                             QStringLiteral(" where userid = ?"),
                                         {int(user)});
    if (rs.eof())
        return std::nullopt;
    return rs.text(QStringLiteral("UserName")).trimmed();
}

} // namespace report
