#pragma once

#include "commandcontext.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

namespace data {
class Connection;
}

// The host's history commands, run without a window:
//   --check-history                      employees whose master disagrees with their history
//   --export-history EMPNO --out FILE    the employee's history report as a PDF
struct HistoryCommand {
    enum class Kind { None, Check, Export };
    Kind kind = Kind::None;
    QString employeeNo;
    QString outFile;
};

QList<QCommandLineOption> historyOptions();
// The command the parsed options ask for; false with `error` when they are misused.
bool readHistoryCommand(const QCommandLineParser& parser, HistoryCommand& command, QString& error);
// Whether a command-line argument starts a history command (which needs no display).
bool isHistoryCommandArgument(const QByteArray& argument);

// Runs it and returns the exit status: for the check, 0 when every employee agrees and 1 when
// one does not (or the check fails); for the export, 0 written, 2 no such employee, 1 failed.
int runHistoryCommand(const HistoryCommand& command, data::Connection& connection,
                      const CommandContext& context);
