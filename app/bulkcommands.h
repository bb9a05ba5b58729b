#pragma once

#include "commandcontext.h"

#include <QCommandLineOption>
#include <QDate>
#include <QList>
#include <QString>

class QCommandLineParser;

namespace data {
class Connection;
}

// The bulk revision without a window:
//   --bulk FILE.ini [--apply] --out FILE.xlsx|.csv|.pdf
//   --bulk-import FILE.xlsx|FILE.csv [--date YYYY-MM-DD] [--apply] --out FILE.xlsx|.csv|.pdf
//   --bulk FILE.ini --propose [--out FILE], --bulk-import FILE --propose [--out FILE]
//   --bulk-template FILE.xlsx|FILE.csv
// writes the preview of the file's rules or rows and, with --apply, saves its job changes, or,
// with --propose, stores them as a batch for another user to approve; or writes the eligible
// employees as an import reads them.
struct BulkCommand {
    // --bulk FILE.ini [--apply] --out FILE, the others set field by field.
    BulkCommand(QString settings = {}, bool apply = false, QString out = {})
        : settingsFile(std::move(settings)), apply(apply), outFile(std::move(out)) {}

    QString settingsFile; // the rules of --bulk
    QString importFile;   // the rows of --bulk-import
    QString templateFile; // --bulk-template
    QDate date;           // --date: the import's job date (default the process date)
    bool apply = false;
    bool propose = false;
    QString outFile;

    bool wanted() const {
        return !settingsFile.isEmpty() || !importFile.isEmpty() || !templateFile.isEmpty();
    }
};

QList<QCommandLineOption> bulkOptions();
// The command the parsed options ask for; false with `error` when they are misused.
bool readBulkCommand(const QCommandLineParser& parser, BulkCommand& command, QString& error);
bool isBulkCommandArgument(const QByteArray& argument);

// Runs it and returns the exit status: 0 previewed (and saved with --apply, or proposed), or the
// template
// written; 1 when the file, the rules or the database stop it, an imported row has an error
// (the preview is still written, nothing is saved), or another clerk changed an employee
// meanwhile (nothing saved); 2 when no employee would get a job change.
int runBulkCommand(const BulkCommand& command, data::Connection& connection,
                   const CommandContext& context);
