#pragma once

#include "commandcontext.h"
#include "jobchange/letterreads.h"
#include "letters/letterrun.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

namespace data {
class Connection;
}

// Revision letters without a window:
//   (--letters FROM-TO | --letters-date YYYY-MM-DD) [--template FILE]
//   (--out FILE.pdf | --out-dir FOLDER)
struct LetterCommand {
    enum class Kind { None, Numbers, Date };
    Kind kind = Kind::None;
    jobchange::NumberRange range;
    QDate date;
    QString templateFile; // empty: the template that ships
    letters::LetterOutput output;
};

QList<QCommandLineOption> letterOptions();
// The command the parsed options ask for; false with `error` when they are misused.
bool readLetterCommand(const QCommandLineParser& parser, LetterCommand& command, QString& error);
bool isLetterCommandArgument(const QByteArray& argument);

// Runs it and returns the exit status: 0 letters written; 2 no job change named, or only
// cancelled ones (nothing written); 1 when the template, the database or a file stops it.
int runLetterCommand(const LetterCommand& command, data::Connection& connection,
                     const CommandContext& context);
