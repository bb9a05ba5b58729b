#pragma once

#include "commandcontext.h"
#include "data/connection.h"

#include <QCommandLineOption>
#include <QDate>
#include <QList>
#include <QString>

class QCommandLineParser;

// The host's audit commands, run without a window:
//   --upgrade-schema                       the server's upgrade scripts, then the baseline rows
//   --verify-audit [--head HASH:COUNT]     the chain and every audited employee's pay checked
//   --export-audit FILE [--from D] [--to D] the audit rows, their changes spelled out
struct AuditCommand {
    enum class Kind { None, Upgrade, Verify, Export };
    Kind kind = Kind::None;
    QString head;
    QString file;
    QDate from;
    QDate to;
};

QList<QCommandLineOption> auditOptions();
// The command the parsed options ask for; false with `error` when they are misused.
bool readAuditCommand(const QCommandLineParser& parser, AuditCommand& command, QString& error);
bool isAuditCommandArgument(const QByteArray& argument);

// Runs it and returns the exit status: 0 done (the trail verified), 1 a failure or, for the
// check, a row or an employee found changed outside the program.
int runAuditCommand(const AuditCommand& command, const data::ConnectionPtr& connection,
                    const CommandContext& context);
