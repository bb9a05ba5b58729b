#pragma once

#include "commandcontext.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

namespace data {
class Connection;
}

// Bulk batches that need a second user, without a window (the tables come with --upgrade-schema):
//   --set-approval on|off                whether --company's bulk batches need approval
//   --proposals                          the company's batches, pending first
//   --approve N [--out FILE]             apply pending batch N (its rows to FILE first)
//   --reject N --reason TEXT             reject pending batch N
// A batch is proposed by --bulk FILE.ini --propose or --bulk-import FILE --propose.
struct ApprovalCommand {
    enum class Kind { None, SetApproval, List, Approve, Reject };
    Kind kind = Kind::None;
    bool approvalOn = false;
    qint32 batchId = 0;
    QString reason;
    QString outFile;
};

QList<QCommandLineOption> approvalOptions();
// The command the parsed options ask for; false with `error` when they are misused.
bool readApprovalCommand(const QCommandLineParser& parser, ApprovalCommand& command,
                         QString& error);
bool isApprovalCommandArgument(const QByteArray& argument);

// Runs it: 0 done; 1 refused (no right, the proposer's own batch, a batch unknown or decided,
// an employee changed since the proposal) or failed, with the reason on stderr.
int runApprovalCommand(const ApprovalCommand& command, data::Connection& connection,
                       const CommandContext& context);
