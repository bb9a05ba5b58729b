#include "lettercommands.h"

#include "data/connection.h"
#include "letters/revisionletter.h"

#include "console.h"

#include <QCommandLineParser>

namespace {

const QString kLetters = QStringLiteral("letters");
const QString kLettersDate = QStringLiteral("letters-date");
const QString kTemplate = QStringLiteral("template");
const QString kOut = QStringLiteral("out");
const QString kOutDir = QStringLiteral("out-dir");

constexpr int kExitFailed = 1;
constexpr int kExitNothing = 2;

} // namespace

QList<QCommandLineOption> letterOptions() {
    return {QCommandLineOption(kLetters,
                               QStringLiteral("Write the revision letters of the job changes "
                                              "numbered FROM to TO (JC421-JC494, or one number) "
                                              "to --out or --out-dir, without a window."),
                               QStringLiteral("FROM-TO")),
            QCommandLineOption(kLettersDate,
                               QStringLiteral("Write the revision letters of the job changes "
                                              "dated on the day, without a window."),
                               QStringLiteral("YYYY-MM-DD")),
            QCommandLineOption(kTemplate,
                               QStringLiteral("With --letters or --letters-date: the letter "
                                              "template (default: the one installed)."),
                               QStringLiteral("FILE")),
            QCommandLineOption(kOutDir,
                               QStringLiteral("With --letters or --letters-date: one PDF per job "
                                              "change in FOLDER."),
                               QStringLiteral("FOLDER"))};
}

bool readLetterCommand(const QCommandLineParser& parser, LetterCommand& command, QString& error) {
    const bool numbers = parser.isSet(kLetters);
    const bool dated = parser.isSet(kLettersDate);
    if (!numbers && !dated) {
        for (const QString& option : {kTemplate, kOutDir})
            if (parser.isSet(option)) {
                error = QStringLiteral("--%1 goes with --letters or --letters-date").arg(option);
                return false;
            }
        return true;
    }
    const QString name = numbers ? kLetters : kLettersDate;
    if (numbers && dated) {
        error = QStringLiteral("give either --letters or --letters-date, not both");
        return false;
    }
    for (const char* other :
         {"export-pdf", "export-register", "check-history", "export-history", "bulk", "screenshot"})
        if (parser.isSet(QString::fromLatin1(other))) {
            error = QStringLiteral("--%1 goes with no --%2").arg(name, QString::fromLatin1(other));
            return false;
        }
    if (numbers) {
        const std::optional<jobchange::NumberRange> range =
            letters::parseNumberRange(parser.value(kLetters));
        if (!range) {
            error = QStringLiteral("--letters needs job change numbers FROM-TO (JC421-JC494, the "
                                   "lower first) or one number, not \"%1\"")
                        .arg(parser.value(kLetters));
            return false;
        }
        command.kind = LetterCommand::Kind::Numbers;
        command.range = *range;
    } else {
        command.date = QDate::fromString(parser.value(kLettersDate), Qt::ISODate);
        if (!command.date.isValid()) {
            error = QStringLiteral("--letters-date needs a date YYYY-MM-DD, not \"%1\"")
                        .arg(parser.value(kLettersDate));
            return false;
        }
        command.kind = LetterCommand::Kind::Date;
    }
    command.templateFile = parser.value(kTemplate);
    const bool toFile = parser.isSet(kOut);
    const bool toFolder = parser.isSet(kOutDir);
    if (toFile == toFolder || parser.value(toFile ? kOut : kOutDir).isEmpty()) {
        error = QStringLiteral("--%1 needs either --out FILE.pdf or --out-dir FOLDER").arg(name);
        return false;
    }
    command.output = {toFile ? letters::LetterOutput::Kind::File
                             : letters::LetterOutput::Kind::Folder,
                      parser.value(toFile ? kOut : kOutDir)};
    return true;
}

bool isLetterCommandArgument(const QByteArray& argument) {
    return isOption(argument, "--letters") || isOption(argument, "--letters-date");
}

int runLetterCommand(const LetterCommand& command, data::Connection& connection,
                     const CommandContext& context) {
    try {
        // The template first: a fault in it stops the run before anything is read.
        const report::ReportFile letterTemplate = letters::loadLetterTemplate(
            command.templateFile.isEmpty() ? letters::defaultLetterTemplate()
                                           : command.templateFile);
        const data::ConnectionPtr shared(&connection, [](data::Connection*) {});
        const jobchange::LetterReads reads(
            jobchange::Workspace::open(shared, context.company, context.user, context.interfaceId,
                                       context.processDate, QStringLiteral("Payroll")));
        const std::vector<qint32> ids = command.kind == LetterCommand::Kind::Numbers
                                            ? reads.numbered(command.range)
                                            : reads.datedOn(command.date);
        if (ids.empty()) {
            complain(
                QStringLiteral("company %1 has no job change %2")
                    .arg(context.company)
                    .arg(command.kind == LetterCommand::Kind::Numbers
                             ? QStringLiteral("numbered %1%2 to %1%3")
                                   .arg(command.range.prefix)
                                   .arg(command.range.first)
                                   .arg(command.range.last)
                             : QStringLiteral("dated %1").arg(command.date.toString(Qt::ISODate))));
            return kExitNothing;
        }
        const letters::LettersWritten written =
            letters::writeLetters(reads, ids, letterTemplate, command.output, QDate::currentDate());
        if (!written.cancelled.isEmpty())
            complain(QStringLiteral("warning: cancelled job changes get no letter: %1")
                         .arg(written.cancelled.join(QStringLiteral(", "))));
        if (written.letters == 0) {
            complain(QStringLiteral("no letter written: every job change named is cancelled"));
            return kExitNothing;
        }
        say(letters::lettersSummary({written.letters, written.files, {}}, command.output));
        return 0;
    } catch (const data::DbError& error) {
        // A template or a file needs no error number; the database's may help its keeper.
        complain(error.number() == data::kErrGeneric
                     ? error.description()
                     : QStringLiteral("error %1: %2").arg(error.number()).arg(error.description()));
        return kExitFailed;
    }
}
