#include "approvalcommands.h"

#include "data/connection.h"
#include "data/datetext.h"
#include "export/tablewriter.h"
#include "jobchange/proposals.h"
#include "jobchange/writer.h"

#include "console.h"

#include <QCommandLineParser>

namespace {

const QString kSetApproval = QStringLiteral("set-approval");
const QString kProposals = QStringLiteral("proposals");
const QString kApprove = QStringLiteral("approve");
const QString kReject = QStringLiteral("reject");
const QString kReason = QStringLiteral("reason");
const QString kOut = QStringLiteral("out");

QString batchLine(const jobchange::Proposal& p) {
    QString line = QStringLiteral("Batch %1: %2, %3 employees dated %4, proposed by %5 on %6")
                       .arg(p.batchId)
                       .arg(jobchange::statusText(p.status))
                       .arg(p.rowCount)
                       .arg(data::dateText(p.jobDate), p.proposedByName, p.proposedOn);
    if (p.status != jobchange::BatchStatus::Pending)
        line += QStringLiteral(", %1 by %2 on %3")
                    .arg(jobchange::statusText(p.status), p.decidedByName, p.decidedOn);
    if (!p.reason.isEmpty())
        line += QStringLiteral(" (") + p.reason + QLatin1Char(')');
    if (!p.remarks.isEmpty())
        line += QStringLiteral("; remarks: ") + p.remarks;
    return line + QStringLiteral("; ") + p.rules;
}

// The employees the ids name, as number and name, from the batch's rows.
QString employeesOf(const std::vector<qint32>& ids, const jobchange::Proposal& proposal) {
    QStringList names;
    for (const qint32 id : ids)
        for (const jobchange::ProposalRow& row : proposal.rows)
            if (row.employee.employeeId == id)
                names << row.employee.number + QLatin1Char(' ') + row.employee.name;
    return names.join(QStringLiteral(", "));
}

int reported(const jobchange::BatchResult& result, const QString& done,
             const std::optional<jobchange::Proposal>& proposal) {
    using Outcome = jobchange::BatchResult::Outcome;
    switch (result.outcome) {
    case Outcome::Applied:
        say(done);
        return 0;
    case Outcome::Refused:
        complain(QStringLiteral("nothing saved: since the proposal another clerk changed %1")
                     .arg(proposal ? employeesOf(result.changed, *proposal) : QString()));
        return 1;
    case Outcome::Forbidden:
    case Outcome::Declined:
        complain(result.error);
        return 1;
    case Outcome::Cancelled:
    case Outcome::Failed:
        complain(result.errorNumber == data::kErrConnectionLost ? result.error
                 : result.errorNumber == 0 ? QStringLiteral("nothing saved: ") + result.error
                                           : QStringLiteral("nothing saved: error %1: %2")
                                                 .arg(result.errorNumber)
                                                 .arg(result.error));
        return 1;
    }
    return 1;
}

int approve(const jobchange::WorkspacePtr& workspace, const ApprovalCommand& command) {
    const jobchange::ProposalReads reads(workspace);
    const std::optional<jobchange::Proposal> proposal = reads.proposal(command.batchId);
    if (proposal && !command.outFile.isEmpty()) {
        const std::vector<jobchange::RowReview> reviews =
            proposal->status == jobchange::BatchStatus::Pending
                ? reads.review(*proposal)
                : std::vector<jobchange::RowReview>{};
        tableexport::writeTable(jobchange::proposalTable(*proposal, reviews), command.outFile);
        say(QStringLiteral("%1 rows of batch %2 written to %3.")
                .arg(proposal->rows.size())
                .arg(command.batchId)
                .arg(command.outFile));
    }
    const jobchange::BatchResult result =
        jobchange::JobChangeWriter(workspace).approve(command.batchId);
    return reported(result,
                    result.saved.empty()
                        ? QString()
                        : QStringLiteral("Batch %1 approved: saved %2 job changes, %3 to %4.")
                              .arg(command.batchId)
                              .arg(result.saved.size())
                              .arg(result.saved.front().number, result.saved.back().number),
                    proposal);
}

} // namespace

QList<QCommandLineOption> approvalOptions() {
    return {
        QCommandLineOption(kSetApproval,
                           QStringLiteral("Whether --company's bulk batches need a second user's "
                                          "approval."),
                           QStringLiteral("on|off")),
        QCommandLineOption(kProposals,
                           QStringLiteral("List the company's bulk batches, pending first.")),
        QCommandLineOption(kApprove,
                           QStringLiteral("Apply the pending bulk batch N as its approver (its "
                                          "rows to --out first, when given)."),
                           QStringLiteral("N")),
        QCommandLineOption(kReject, QStringLiteral("Reject the pending bulk batch N (--reason)."),
                           QStringLiteral("N")),
        QCommandLineOption(kReason, QStringLiteral("With --reject: why."), QStringLiteral("TEXT")),
    };
}

bool readApprovalCommand(const QCommandLineParser& parser, ApprovalCommand& command,
                         QString& error) {
    int asked = 0;
    for (const QString& option : {kSetApproval, kProposals, kApprove, kReject})
        asked += parser.isSet(option);
    if (asked == 0) {
        if (parser.isSet(kReason)) {
            error = QStringLiteral("--reason goes with --reject");
            return false;
        }
        return true;
    }
    if (asked > 1) {
        error = QStringLiteral("give one of --set-approval, --proposals, --approve and --reject");
        return false;
    }
    for (const char* other : {"bulk", "bulk-import", "bulk-template", "export-pdf",
                              "export-register", "check-history", "export-history", "screenshot"})
        if (parser.isSet(QString::fromLatin1(other))) {
            error = QStringLiteral("--%1 goes with no other command")
                        .arg(parser.isSet(kApprove)  ? kApprove
                             : parser.isSet(kReject) ? kReject
                                                     : QStringLiteral("proposals"));
            return false;
        }
    if (parser.isSet(kOut) && !parser.isSet(kApprove)) {
        error = QStringLiteral("of the approval commands only --approve takes --out");
        return false;
    }
    if (parser.isSet(kReason) != parser.isSet(kReject)) {
        error = QStringLiteral("--reject N needs --reason TEXT, and --reason goes with --reject");
        return false;
    }
    if (parser.isSet(kSetApproval)) {
        const QString value = parser.value(kSetApproval).trimmed().toLower();
        if (value != QLatin1String("on") && value != QLatin1String("off")) {
            error = QStringLiteral("--set-approval takes on or off, not \"%1\"")
                        .arg(parser.value(kSetApproval));
            return false;
        }
        command.kind = ApprovalCommand::Kind::SetApproval;
        command.approvalOn = value == QLatin1String("on");
    } else if (parser.isSet(kProposals)) {
        command.kind = ApprovalCommand::Kind::List;
    } else {
        const QString option = parser.isSet(kApprove) ? kApprove : kReject;
        bool number = false;
        command.batchId = parser.value(option).trimmed().toInt(&number);
        if (!number || command.batchId <= 0) {
            error = QStringLiteral("--%1 takes a batch number, not \"%2\"")
                        .arg(option, parser.value(option));
            return false;
        }
        command.kind =
            option == kApprove ? ApprovalCommand::Kind::Approve : ApprovalCommand::Kind::Reject;
        command.reason = parser.value(kReason);
        command.outFile = parser.value(kOut);
    }
    return true;
}

bool isApprovalCommandArgument(const QByteArray& argument) {
    for (const char* option : {"--set-approval", "--proposals", "--approve", "--reject"})
        if (isOption(argument, option))
            return true;
    return false;
}

int runApprovalCommand(const ApprovalCommand& command, data::Connection& connection,
                       const CommandContext& context) {
    try {
        const data::ConnectionPtr shared(&connection, [](data::Connection*) {});
        const jobchange::WorkspacePtr workspace =
            jobchange::Workspace::open(shared, context.company, context.user, context.interfaceId,
                                       context.processDate, QStringLiteral("Payroll"));
        const jobchange::JobChangeWriter writer(workspace);
        switch (command.kind) {
        case ApprovalCommand::Kind::None:
            return 0;
        case ApprovalCommand::Kind::SetApproval: {
            const jobchange::WriteResult result = writer.setApprovalRequired(command.approvalOn);
            if (!result.ok) {
                complain(result.error);
                return 1;
            }
            say(QStringLiteral("Bulk batches of company %1 %2.")
                    .arg(context.company)
                    .arg(command.approvalOn ? QStringLiteral("need approval")
                                            : QStringLiteral("are applied directly")));
            return 0;
        }
        case ApprovalCommand::Kind::List: {
            const std::vector<jobchange::Proposal> all = jobchange::ProposalReads(workspace).list();
            if (all.empty())
                say(QStringLiteral("No bulk batches."));
            for (const jobchange::Proposal& proposal : all)
                say(batchLine(proposal));
            return 0;
        }
        case ApprovalCommand::Kind::Approve:
            return approve(workspace, command);
        case ApprovalCommand::Kind::Reject:
            return reported(writer.reject(command.batchId, command.reason),
                            QStringLiteral("Batch %1 rejected.").arg(command.batchId), {});
        }
    } catch (const tableexport::ExportError& error) {
        complain(error.message());
    } catch (const data::DbError& error) {
        complain(QStringLiteral("error %1: %2").arg(error.number()).arg(error.description()));
    }
    return 1;
}
