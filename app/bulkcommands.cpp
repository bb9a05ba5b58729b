#include "bulkcommands.h"

#include "bulk/importsheet.h"
#include "bulk/settingsfile.h"
#include "bulkwindow/previewfile.h"
#include "data/connection.h"
#include "export/tablewriter.h"
#include "jobchange/bulkreads.h"
#include "jobchange/proposals.h"
#include "jobchange/rights.h"
#include "jobchange/writer.h"

#include "console.h"

#include <QCommandLineParser>
#include <QStringList>

namespace {

const QString kBulk = QStringLiteral("bulk");
const QString kImport = QStringLiteral("bulk-import");
const QString kTemplate = QStringLiteral("bulk-template");
const QString kDate = QStringLiteral("date");
const QString kApply = QStringLiteral("apply");
const QString kPropose = QStringLiteral("propose");
const QString kOut = QStringLiteral("out");

// The employees the rows name, for a message.
QStringList numbersOf(const std::vector<qint32>& ids, const std::vector<bulk::PreviewRow>& rows) {
    QStringList numbers;
    for (const qint32 id : ids)
        for (const bulk::PreviewRow& row : rows)
            if (row.employee.employeeId == id)
                numbers << row.employee.number;
    return numbers;
}

int applyBatch(const jobchange::JobChangeWriter& writer, const std::vector<bulk::PreviewRow>& rows,
               const bulk::Rules& rules) {
    const jobchange::BatchResult result = writer.apply(rows, rules);
    switch (result.outcome) {
    case jobchange::BatchResult::Outcome::Applied:
        say(QStringLiteral("Saved %1 job changes, %2 to %3.")
                .arg(result.saved.size())
                .arg(result.saved.front().number, result.saved.back().number));
        return 0;
    case jobchange::BatchResult::Outcome::Refused:
        complain(QStringLiteral("nothing saved: since the preview another clerk changed %1")
                     .arg(numbersOf(result.changed, rows).join(QStringLiteral(", "))));
        return 1;
    case jobchange::BatchResult::Outcome::Forbidden:
    case jobchange::BatchResult::Outcome::Declined:
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
}

int proposeBatch(const jobchange::JobChangeWriter& writer,
                 const std::vector<bulk::PreviewRow>& rows, const bulk::Rules& rules,
                 const QString& rulesText) {
    const jobchange::BatchResult result = writer.propose(rows, rules, rulesText);
    if (result.outcome == jobchange::BatchResult::Outcome::Applied) {
        say(QStringLiteral("Proposed batch %1: %2 employees, for another user to approve.")
                .arg(result.batchId)
                .arg(bulk::previewTotals(rows, rules).employees));
        return 0;
    }
    if (result.outcome == jobchange::BatchResult::Outcome::Refused) {
        complain(QStringLiteral("nothing proposed: since the preview another clerk changed %1")
                     .arg(numbersOf(result.changed, rows).join(QStringLiteral(", "))));
        return 1;
    }
    complain(QStringLiteral("nothing proposed: ") + result.error);
    return 1;
}

int writeTemplate(const jobchange::BulkReads& service, const QString& path) {
    const std::vector<bulk::EmployeeSnapshot> employees = service.eligibleEmployees();
    tableexport::writeTable(
        bulk::importTemplate(employees, service.importCatalog(employees, false)), path);
    say(QStringLiteral("%1 employees written to %2.").arg(employees.size()).arg(path));
    return 0;
}

} // namespace

QList<QCommandLineOption> bulkOptions() {
    return {QCommandLineOption(kBulk,
                               QStringLiteral("Preview the bulk revision the settings file "
                                              "describes to the --out file (.xlsx, .csv or .pdf), "
                                              "without a window."),
                               QStringLiteral("FILE.ini")),
            QCommandLineOption(kImport,
                               QStringLiteral("Preview the revision the spreadsheet lists, one "
                                              "employee a row, to the --out file, without a "
                                              "window."),
                               QStringLiteral("FILE.xlsx|FILE.csv")),
            QCommandLineOption(kDate,
                               QStringLiteral("With --bulk-import: the job date (default the "
                                              "process date)."),
                               QStringLiteral("YYYY-MM-DD")),
            QCommandLineOption(kTemplate,
                               QStringLiteral("Write the eligible employees as --bulk-import "
                                              "reads them, to fill in."),
                               QStringLiteral("FILE.xlsx|FILE.csv")),
            QCommandLineOption(kApply, QStringLiteral("With --bulk or --bulk-import: also save "
                                                      "its job changes, all or none.")),
            QCommandLineOption(kPropose,
                               QStringLiteral("With --bulk or --bulk-import: store the batch for "
                                              "another user to approve (--out optional)."))};
}

bool readBulkCommand(const QCommandLineParser& parser, BulkCommand& command, QString& error) {
    const int asked =
        int(parser.isSet(kBulk)) + int(parser.isSet(kImport)) + int(parser.isSet(kTemplate));
    if (asked == 0) {
        for (const QString& option : {kApply, kPropose, kDate})
            if (parser.isSet(option)) {
                error =
                    QStringLiteral("--%1 goes with --bulk-import%2")
                        .arg(option, option != kDate ? QStringLiteral(" or --bulk") : QString());
                return false;
            }
        return true;
    }
    if (asked > 1) {
        error = QStringLiteral("give one of --bulk, --bulk-import and --bulk-template");
        return false;
    }
    for (const char* other :
         {"export-pdf", "export-register", "check-history", "export-history", "screenshot"})
        if (parser.isSet(QString::fromLatin1(other))) {
            error = QStringLiteral("the bulk revision goes with no --%1")
                        .arg(QString::fromLatin1(other));
            return false;
        }
    if (parser.isSet(kTemplate)) {
        command.templateFile = parser.value(kTemplate);
        if (command.templateFile.isEmpty() || parser.isSet(kApply) || parser.isSet(kPropose) ||
            parser.isSet(kOut) || parser.isSet(kDate)) {
            error = QStringLiteral("--bulk-template takes a file name, and no --apply, --propose, "
                                   "--date or --out");
            return false;
        }
        return true;
    }
    command.settingsFile = parser.value(kBulk);
    command.importFile = parser.value(kImport);
    command.apply = parser.isSet(kApply);
    command.propose = parser.isSet(kPropose);
    command.outFile = parser.value(kOut);
    const QString option = parser.isSet(kBulk) ? kBulk : kImport;
    if (command.apply && command.propose) {
        error = QStringLiteral("give one of --apply and --propose");
        return false;
    }
    if (parser.value(option).isEmpty() || (command.outFile.isEmpty() && !command.propose)) {
        error = QStringLiteral("--%1 needs a file and --out FILE.xlsx, .csv or .pdf").arg(option);
        return false;
    }
    if (parser.isSet(kDate)) {
        command.date = QDate::fromString(parser.value(kDate), Qt::ISODate);
        if (!parser.isSet(kImport) || !command.date.isValid()) {
            error = QStringLiteral("--date goes with --bulk-import and needs a date YYYY-MM-DD, "
                                   "not \"%1\"")
                        .arg(parser.value(kDate));
            return false;
        }
    }
    return true;
}

bool isBulkCommandArgument(const QByteArray& argument) {
    return isOption(argument, "--bulk") || isOption(argument, "--bulk-import") ||
           isOption(argument, "--bulk-template");
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
        if (command.apply || command.propose)
            if (const std::optional<QString> missing =
                    jobchange::UserRights(workspace).missingRight(jobchange::Right::Create)) {
                complain(*missing);
                return 1;
            }
        // Told as early: where batches need approval, --apply writes nothing, not even the
        // preview.
        if (command.apply && jobchange::ProposalReads(workspace).approvalRequired()) {
            complain(jobchange::kMustProposeMessage);
            return 1;
        }
        const jobchange::BulkReads service(workspace);
        if (!command.templateFile.isEmpty())
            return writeTemplate(service, command.templateFile);

        bulk::Rules rules;
        std::vector<bulk::PreviewRow> rows;
        QString rulesText;
        int rowsWithErrors = 0;
        if (!command.importFile.isEmpty()) {
            const bulk::ImportTable table = bulk::readImport(command.importFile);
            for (const QString& warning : table.warnings)
                complain(QStringLiteral("warning: ") + warning);
            bulk::ImportBatch batch;
            const QDate date = command.date.isValid() ? command.date : context.processDate;
            if (const QString problem = service.previewImport(table, date, {}, batch);
                !problem.isEmpty()) {
                complain(command.importFile + QStringLiteral(": ") + problem);
                return 1;
            }
            rowsWithErrors = batch.rowsWithErrors();
            rulesText = QStringLiteral("Rows imported from ") + command.importFile;
            rules = std::move(batch.rules);
            rows = std::move(batch.rows);
        } else {
            bulk::BulkSettings settings = bulk::readBulkSettings(command.settingsFile);
            if (const QString problem = service.prepareRules(settings.rules); !problem.isEmpty()) {
                complain(command.settingsFile + QStringLiteral(": ") + problem);
                return 1;
            }
            rulesText = jobchange::describeRules(settings.filters, settings.rules);
            rules = std::move(settings.rules);
            rows = bulk::computePreview(service.eligibleEmployees(settings.filters), rules);
        }
        if (!command.outFile.isEmpty())
            bulk::writePreviewFile(rows, rules, command.outFile);
        const bulk::PreviewTotals totals = bulk::previewTotals(rows, rules);
        say(QStringLiteral("%1 employees previewed, %2 to apply, %3 held back.")
                .arg(rows.size())
                .arg(totals.employees)
                .arg(rows.size() - static_cast<size_t>(totals.employees)));
        if (rowsWithErrors > 0) {
            for (const bulk::PreviewRow& row : rows)
                for (const QString& error : row.errors)
                    complain(error);
            complain(QStringLiteral("%1 rows have errors: nothing saved; correct the file and "
                                    "run again")
                         .arg(rowsWithErrors));
            return 1;
        }
        if (totals.employees == 0)
            return 2;
        const jobchange::JobChangeWriter writer(workspace);
        if (command.propose)
            return proposeBatch(writer, rows, rules, rulesText);
        return command.apply ? applyBatch(writer, rows, rules) : 0;
    } catch (const bulk::SettingsError& error) {
        complain(error.message());
    } catch (const bulk::ImportError& error) {
        complain(error.message());
    } catch (const tableexport::ExportError& error) {
        complain(error.message());
    } catch (const data::DbError& error) {
        complain(QStringLiteral("error %1: %2").arg(error.number()).arg(error.description()));
    }
    return 1;
}
