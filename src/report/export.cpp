#include "report/export.h"

#include "data/connection.h"
#include "data/tablenames.h"
#include "report/engine.h"
#include "report/jobchange.h"
#include "report/reportcontrol.h"

namespace report {

int exportJobChangePdf(data::Connection& connection, qint16 company, qint16 user, qint32 id,
                       const QString& outFile, QString& error) {
    bool found = false;
    try {
        data::ResolvedTableNames tables;
        data::ResolveTableNames(connection, tables);
        ReportControl control({[&connection]() -> data::Connection& { return connection; }, {}});
        setUpJobChangeReport(control, company, QString::number(id),
                             reportUserName(connection, tables, user));
        control.setPreviewSink([&](const RenderedReport& report, const ReportControl&) {
            found = report.rowCount(QStringLiteral("header")) > 0;
            if (found)
                report.writePdf(outFile);
        });
        control.setAction(1);
    } catch (const data::DbError& failure) {
        error = failure.description();
        return 1;
    }
    if (!found) {
        error = QStringLiteral("Company %1 has no job change with the id %2.").arg(company).arg(id);
        return 2;
    }
    return 0;
}

} // namespace report
