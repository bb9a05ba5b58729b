#include "bulkcommands.h"

#include "bulk/settingsfile.h"
#include "bulkwindow/previewfile.h"
#include "data/connection.h"
#include "export/tablewriter.h"
#include "jobchange/bulkreads.h"
#include "jobchange/rights.h"
#include "jobchange/writer.h"

#include "console.h"

#include <QCommandLineParser>
#include <QStringList>

namespace {

const QString kBulk = QStringLiteral("bulk");
const QString kApply = QStringLiteral("apply");
const QString kOut = QStringLiteral("out");

} // namespace

QList<QCommandLineOption> bulkOptions() {
    return {QCommandLineOption(kBulk,
                               QStringLiteral("Preview the bulk revision the settings file "
                                              "describes to the --out file (.xlsx, .csv or .pdf), "
                                              "without a window."),
                               QStringLiteral("FILE.ini")),
            QCommandLineOption(kApply, QStringLiteral("With --bulk: also save its job changes, "
                                                      "all or none."))};
}

bool readBulkCommand(const QCommandLineParser& parser, BulkCommand& command, QString& error) {
    if (!parser.isSet(kBulk)) {
        if (parser.isSet(kApply)) {
            error = QStringLiteral("--apply goes with --bulk");
            return false;
        }
        return true;
    }
    for (const char* other :
         {"export-pdf", "export-register", "check-history", "export-history", "screenshot"})
        if (parser.isSet(QString::fromLatin1(other))) {
            error = QStringLiteral("--bulk goes with no --%1").arg(QString::fromLatin1(other));
            return false;
        }
    command.settingsFile = parser.value(kBulk);
    command.apply = parser.isSet(kApply);
    command.outFile = parser.value(kOut);
    if (command.settingsFile.isEmpty() || command.outFile.isEmpty()) {
        error = QStringLiteral("--bulk needs a settings file and --out FILE.xlsx, .csv or .pdf");
        return false;
    }
    return true;
}

bool isBulkCommandArgument(const QByteArray& argument) {
    return isOption(argument, "--bulk");
}

int runBulkCommand(const BulkCommand& command, data::Connection& connection,
                   const CommandContext& context) {
    try {
        const data::ConnectionPtr shared(&connection, [](data::Connection*) {});
        const jobchange::WorkspacePtr workspace =
            jobchange::Workspace::open(shared, context.company, context.user, context.interfaceId,
                                       context.processDate, QStringLiteral("Payroll"));
        // Before anything else, the preview file too: a user who may not save is told so. The
        // user is taken on trust, as a host hands its user over.
        if (command.apply)
            if (const std::optional<QString> missing =
                    jobchange::UserRights(workspace).missingRight(jobchange::Right::Create)) {
                complain(*missing);
                return 1;
            }
        bulk::BulkSettings settings = bulk::readBulkSettings(command.settingsFile);
        const jobchange::BulkReads service(workspace);
        if (const QString problem = service.prepareRules(settings.rules); !problem.isEmpty()) {
            complain(command.settingsFile + QStringLiteral(": ") + problem);
            return 1;
        }
        const std::vector<bulk::PreviewRow> rows =
            bulk::computePreview(service.eligibleEmployees(settings.filters), settings.rules);
        bulk::writePreviewFile(rows, settings.rules, command.outFile);
        const bulk::PreviewTotals totals = bulk::previewTotals(rows, settings.rules);
        say(QStringLiteral("%1 employees previewed, %2 to apply, %3 held back.")
                .arg(rows.size())
                .arg(totals.employees)
                .arg(rows.size() - static_cast<size_t>(totals.employees)));
        if (totals.employees == 0)
            return 2;
        if (!command.apply)
            return 0;

        const jobchange::BatchResult result =
            jobchange::JobChangeWriter(workspace).apply(rows, settings.rules);
        switch (result.outcome) {
        case jobchange::BatchResult::Outcome::Applied:
            say(QStringLiteral("Saved %1 job changes, %2 to %3.")
                    .arg(result.saved.size())
                    .arg(result.saved.front().number, result.saved.back().number));
            return 0;
        case jobchange::BatchResult::Outcome::Refused: {
            QStringList numbers;
            for (const qint32 id : result.changed)
                for (const bulk::PreviewRow& row : rows)
                    if (row.employee.employeeId == id)
                        numbers << row.employee.number;
            complain(QStringLiteral("nothing saved: since the preview another clerk changed %1")
                         .arg(numbers.join(QStringLiteral(", "))));
            return 1;
        }
        case jobchange::BatchResult::Outcome::Forbidden:
            complain(result.error);
            return 1;
        case jobchange::BatchResult::Outcome::Cancelled:
        case jobchange::BatchResult::Outcome::Failed:
            // A lost connection's message says itself what was saved.
            complain(result.errorNumber == data::kErrConnectionLost ? result.error
                     : result.errorNumber == 0 ? QStringLiteral("nothing saved: ") + result.error
                                               : QStringLiteral("nothing saved: error %1: %2")
                                                     .arg(result.errorNumber)
                                                     .arg(result.error));
            return 1;
        }
        return 1;
    } catch (const bulk::SettingsError& error) {
        complain(error.message());
    } catch (const tableexport::ExportError& error) {
        complain(error.message());
    } catch (const data::DbError& error) {
        complain(QStringLiteral("error %1: %2").arg(error.number()).arg(error.description()));
    }
    return 1;
}
