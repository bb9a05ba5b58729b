#include "auditcommands.h"

#include "console.h"
#include "data/schema.h"
#include "export/tablewriter.h"
#include "jobchange/auditchanges.h"
#include "jobchange/audittrail.h"
#include "jobchange/auditverify.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

const QString kUpgrade = QStringLiteral("upgrade-schema");
const QString kVerify = QStringLiteral("verify-audit");
const QString kHead = QStringLiteral("head");
const QString kExport = QStringLiteral("export-audit");
const QString kFrom = QStringLiteral("from");
const QString kTo = QStringLiteral("to");

int upgrade(const data::ConnectionPtr& connection, const CommandContext& context) {
    QStringList scripts;
    {
        data::TransactionGuard transaction(*connection);
        scripts = data::runUpgradeScripts(*connection);
        transaction.commit();
    }
    for (const QString& script : scripts)
        say(QStringLiteral("Ran %1.").arg(script.mid(2)));
    const int written = jobchange::writeAuditBaselines(connection, context.user);
    say(QStringLiteral("%1 baseline audit rows written.").arg(written));
    return 0;
}

jobchange::WorkspacePtr workspaceFor(const data::ConnectionPtr& connection,
                                     const CommandContext& context) {
    return jobchange::Workspace::open(connection, context.company, context.user,
                                      context.interfaceId, context.processDate, QString());
}

int verify(const AuditCommand& command, const data::ConnectionPtr& connection,
           const CommandContext& context) {
    std::optional<jobchange::AuditHead> head;
    if (!command.head.isEmpty())
        head = jobchange::AuditHead::parse(command.head);
    const jobchange::AuditVerification result =
        jobchange::verifyAudit(workspaceFor(connection, context), head);
    for (const QString& problem : result.problems)
        say(problem);
    for (const QString& employee : result.employees)
        say(employee);
    if (!result.sound()) {
        say(QStringLiteral("The audit trail of company %1 does not verify: %2 rows changed, "
                           "removed or inserted, %3 employees changed outside the program.")
                .arg(context.company)
                .arg(result.problems.size())
                .arg(result.employees.size()));
        return 1;
    }
    say(QStringLiteral("The audit trail of company %1 verifies: %2 rows; head %3")
            .arg(context.company)
            .arg(result.head.count)
            .arg(result.head.text()));
    return 0;
}

int exportAudit(const AuditCommand& command, const data::ConnectionPtr& connection,
                const CommandContext& context) {
    using tableexport::ExportColumnKind;
    const jobchange::WorkspacePtr workspace = workspaceFor(connection, context);
    const jobchange::AuditReads reads(workspace);
    if (!reads.installed()) {
        complain(QStringLiteral("this payroll database has no audit trail (see --upgrade-schema)"));
        return 1;
    }
    const jobchange::AuditNames names = reads.names();
    const auto writer = tableexport::TableWriter::open(
        command.file,
        {QStringLiteral("Row"), QStringLiteral("Time (UTC)"), QStringLiteral("User"),
         QStringLiteral("User Name"), QStringLiteral("Computer"), QStringLiteral("System User"),
         QStringLiteral("Action"), QStringLiteral("Job No"), QStringLiteral("Employee No"),
         QStringLiteral("Employee Name"), QStringLiteral("Changes"), QStringLiteral("Remark"),
         QStringLiteral("Hash")},
        {ExportColumnKind::WholeNumber, ExportColumnKind::Text, ExportColumnKind::WholeNumber,
         ExportColumnKind::Text, ExportColumnKind::Text, ExportColumnKind::Text,
         ExportColumnKind::Text, ExportColumnKind::Text, ExportColumnKind::Text,
         ExportColumnKind::Text, ExportColumnKind::Text, ExportColumnKind::Text,
         ExportColumnKind::Text});
    const QLocale c = QLocale::c();
    for (const jobchange::AuditRow& row : reads.rowsBetween(command.from, command.to)) {
        const jobchange::EmployeeName who = names.employees.value(row.employeeId);
        writer->addRow({row.seq, row.time, qint64(row.userId), row.userName, row.computer,
                        row.osUser, row.action, row.number, who.number, who.name,
                        jobchange::describeChanges(row, names, c).join(QStringLiteral("; ")),
                        row.remark, row.hash});
    }
    writer->finish();
    return 0;
}

} // namespace

QList<QCommandLineOption> auditOptions() {
    return {
        QCommandLineOption(kUpgrade,
                           QStringLiteral("Run the server's upgrade scripts (the audit trail) and "
                                          "write a baseline audit row per employee.")),
        QCommandLineOption(kVerify,
                           QStringLiteral("Check the company's audit trail and every audited "
                                          "employee's pay; exit 1 naming what was changed "
                                          "outside the program.")),
        QCommandLineOption(kHead,
                           QStringLiteral("With --verify-audit: the head printed by an earlier "
                                          "check, which the trail must still extend."),
                           QStringLiteral("HASH:COUNT")),
        QCommandLineOption(kExport,
                           QStringLiteral("Write the company's audit rows, their changes spelled "
                                          "out, to FILE.xlsx, or to CSV for a name ending in "
                                          ".csv."),
                           QStringLiteral("FILE")),
        QCommandLineOption(kFrom, QStringLiteral("With --export-audit: rows from this day."),
                           QStringLiteral("YYYY-MM-DD")),
        QCommandLineOption(kTo, QStringLiteral("With --export-audit: rows up to this day."),
                           QStringLiteral("YYYY-MM-DD")),
    };
}

bool readAuditCommand(const QCommandLineParser& parser, AuditCommand& command, QString& error) {
    const int given =
        int(parser.isSet(kUpgrade)) + int(parser.isSet(kVerify)) + int(parser.isSet(kExport));
    if (given == 0) {
        for (const QString& option : {kHead, kFrom, kTo})
            if (parser.isSet(option)) {
                error = QStringLiteral("--%1 goes with --%2")
                            .arg(option, option == kHead ? kVerify : kExport);
                return false;
            }
        return true;
    }
    if (given > 1) {
        error = QStringLiteral("give one of --upgrade-schema, --verify-audit and --export-audit");
        return false;
    }
    for (const char* other : {"export-pdf", "export-register", "screenshot", "check-history",
                              "export-history", "bulk", "bulk-import", "letters", "letters-date"})
        if (parser.isSet(QLatin1String(other))) {
            error = QStringLiteral("the audit commands go with no other command (--%1)")
                        .arg(QLatin1String(other));
            return false;
        }
    if (parser.isSet(kUpgrade)) {
        command.kind = AuditCommand::Kind::Upgrade;
    } else if (parser.isSet(kVerify)) {
        command.kind = AuditCommand::Kind::Verify;
        command.head = parser.value(kHead);
        if (parser.isSet(kHead) && !jobchange::AuditHead::parse(command.head)) {
            error = QStringLiteral("--head takes HASH:COUNT as --verify-audit printed it, not "
                                   "\"%1\"")
                        .arg(command.head);
            return false;
        }
    } else {
        command.kind = AuditCommand::Kind::Export;
        command.file = parser.value(kExport);
        if (command.file.isEmpty()) {
            error = QStringLiteral("--export-audit needs a file name");
            return false;
        }
    }
    if ((parser.isSet(kFrom) || parser.isSet(kTo)) && command.kind != AuditCommand::Kind::Export) {
        error = QStringLiteral("--from and --to go with --export-audit");
        return false;
    }
    if (parser.isSet(kHead) && command.kind != AuditCommand::Kind::Verify) {
        error = QStringLiteral("--head goes with --verify-audit");
        return false;
    }
    for (const auto& [option, date] :
         {std::pair{kFrom, &command.from}, std::pair{kTo, &command.to}})
        if (parser.isSet(option)) {
            *date = QDate::fromString(parser.value(option), Qt::ISODate);
            if (!date->isValid()) {
                error = QStringLiteral("--%1 needs a date YYYY-MM-DD, not \"%2\"")
                            .arg(option, parser.value(option));
                return false;
            }
        }
    return true;
}

bool isAuditCommandArgument(const QByteArray& argument) {
    return isOption(argument, "--upgrade-schema") || isOption(argument, "--verify-audit") ||
           isOption(argument, "--export-audit");
}

int runAuditCommand(const AuditCommand& command, const data::ConnectionPtr& connection,
                    const CommandContext& context) {
    try {
        switch (command.kind) {
        case AuditCommand::Kind::Upgrade:
            return upgrade(connection, context);
        case AuditCommand::Kind::Verify:
            return verify(command, connection, context);
        case AuditCommand::Kind::Export:
            return exportAudit(command, connection, context);
        case AuditCommand::Kind::None:
            break;
        }
    } catch (const tableexport::ExportError& failure) {
        complain(failure.message());
    } catch (const data::DbError& failure) {
        complain(QStringLiteral("error %1: %2")
                     .arg(failure.number())
                     .arg(failure.description().simplified()));
    }
    return 1;
}
