#pragma once

#include "commandcontext.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

namespace data {
class Connection;
}

// The bulk revision without a window:
//   --bulk FILE.ini [--apply] --out FILE.xlsx|.csv|.pdf
// writes the preview of the file's rules and, with --apply, saves its job changes.
struct BulkCommand {
    QString settingsFile; // empty: no bulk revision asked for
    bool apply = false;
    QString outFile;
};

QList<QCommandLineOption> bulkOptions();
// The command the parsed options ask for; false with `error` when they are misused.
bool readBulkCommand(const QCommandLineParser& parser, BulkCommand& command, QString& error);
bool isBulkCommandArgument(const QByteArray& argument);

// Runs it and returns the exit status: 0 previewed (and saved with --apply); 1 when the file,
// the rules or the database stop it, or another clerk changed an employee meanwhile (nothing
// saved); 2 when no employee would get a job change.
int runBulkCommand(const BulkCommand& command, data::Connection& connection,
                   const CommandContext& context);
