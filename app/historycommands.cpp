#include "historycommands.h"

#include "data/connection.h"
#include "data/tablenames.h"
#include "history/historyreport.h"
#include "jobchange/employeehistory.h"

#include "console.h"

#include <QCommandLineParser>

namespace {

const QString kCheck = QStringLiteral("check-history");
const QString kExport = QStringLiteral("export-history");
const QString kOut = QStringLiteral("out");

int check(const jobchange::HistorySource& source) {
    const jobchange::HistoryCheck result = jobchange::checkHistory(source);
    for (const jobchange::Disagreement& employee : result.disagreements)
        say(QStringLiteral("%1 %2 (employee %3): %4")
                .arg(employee.employeeNo, employee.name)
                .arg(employee.employeeId)
                .arg(employee.differences.join(QStringLiteral("; "))));
    say(QStringLiteral("%1 of %2 employees with job changes disagree with their history.")
            .arg(result.disagreements.size())
            .arg(result.employeesChecked));
    return result.disagreements.empty() ? 0 : 1;
}

} // namespace

QList<QCommandLineOption> historyOptions() {
    return {
        QCommandLineOption(kCheck, QStringLiteral("Print every employee whose master or standing "
                                                  "lines disagree with their job changes; exit 1 "
                                                  "when there is one.")),
        QCommandLineOption(kExport,
                           QStringLiteral("Write the history report of the employee "
                                          "numbered EMPNO to the --out file, without a "
                                          "window."),
                           QStringLiteral("EMPNO"))};
}

bool readHistoryCommand(const QCommandLineParser& parser, HistoryCommand& command, QString& error) {
    const bool checking = parser.isSet(kCheck);
    const bool exporting = parser.isSet(kExport);
    if (!checking && !exporting)
        return true;
    if (checking && exporting) {
        error = QStringLiteral("give either --check-history or --export-history, not both");
        return false;
    }
    if (parser.isSet(QStringLiteral("export-pdf")) || parser.isSet(QStringLiteral("screenshot"))) {
        error = QStringLiteral("--%1 goes with neither --export-pdf nor --screenshot")
                    .arg(checking ? kCheck : kExport);
        return false;
    }
    if (checking) {
        if (parser.isSet(kOut)) {
            error = QStringLiteral("--out goes with --export-pdf or --export-history");
            return false;
        }
        command.kind = HistoryCommand::Kind::Check;
        return true;
    }
    command.kind = HistoryCommand::Kind::Export;
    command.employeeNo = parser.value(kExport);
    command.outFile = parser.value(kOut);
    if (command.outFile.isEmpty()) {
        error = QStringLiteral("--export-history needs --out FILE.pdf");
        return false;
    }
    return true;
}

bool isHistoryCommandArgument(const QByteArray& argument) {
    return isOption(argument, "--check-history") || isOption(argument, "--export-history");
}

int runHistoryCommand(const HistoryCommand& command, data::Connection& connection,
                      const CommandContext& context) {
    try {
        data::ResolvedTableNames tables;
        data::ResolveTableNames(connection, tables);
        const jobchange::HistorySource source{connection, tables, context.company, context.user,
                                              context.processDate};
        if (command.kind == HistoryCommand::Kind::Check)
            return check(source);
        QString error;
        const int status =
            exportEmployeeHistoryPdf(source, command.employeeNo, command.outFile, error);
        if (status != 0)
            complain(error);
        return status;
    } catch (const data::DbError& error) {
        complain(QStringLiteral("error %1: %2")
                     .arg(error.number())
                     .arg(error.description().simplified()));
        return 1;
    }
}
