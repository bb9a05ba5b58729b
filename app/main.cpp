// quorvel-host: a small host payroll program. It opens a payroll database, gives clsGrade its
// properties from the command line and calls Show.

#include "approvalcommands.h"
#include "auditcommands.h"
#include "bulkcommands.h"
#include "component/clsgrade.h"
#include "console.h"
#include "data/connection.h"
#include "data/freedmemory.h"
#include "data/schema.h"
#include "data/serverlogin.h"
#include "exportcommands.h"
#include "historycommands.h"
#include "jobchange/audittrail.h"
#include "jobchange/workspace.h"
#include "lettercommands.h"
#include "screenshot.h"
#include "ui/modal.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr int kExitBadUse = 2;
constexpr int kExitFailed = 1;

struct Options {
    enum class Source { Sqlite, Odbc, Postgres };
    Source source = Source::Sqlite;
    QString database;
    bool initDemo = false;
    qint16 company = 1;
    qint16 user = 1;
    qint32 interfaceId = jobchange::kJobChangeInterfaceId;
    QDate processDate = QDate::currentDate();
    QString title = QStringLiteral("Payroll");
    QString screenshot;
    Scene screenshotScene;
    QString sqlTrace;
    // The job change of --export-pdf, by id or number, and its --out file.
    QString exportJob;
    QString exportFile;
    QString exportRegister;
    HistoryCommand history;
    BulkCommand bulk;
    ApprovalCommand approval;
    LetterCommand letters;
    AuditCommand audit;
};

// A whole number within the range of T, or nothing.
template <class T> std::optional<T> wholeNumber(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    if (!ok || value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(value);
}

// The options, or an error text for the one line on stderr.
std::optional<Options> parse(const QStringList& arguments, QString& error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Opens the job change register of a payroll database."));
    parser.addHelpOption();
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("SQLite database file."),
                                QStringLiteral("FILE"));
    const QCommandLineOption odbc(QStringLiteral("odbc"),
                                  QStringLiteral("ODBC data source or connection string."),
                                  QStringLiteral("CONNSTR"));
    const QCommandLineOption pg(QStringLiteral("pg"),
                                QStringLiteral("PostgreSQL: \"host=... port=... dbname=... "
                                               "user=...\" (password: see README)."),
                                QStringLiteral("CONNSTR"));
    const QCommandLineOption initDemo(
        QStringLiteral("init-demo"),
        QStringLiteral(
            "Create the demo payroll database in the --db file when it does not exist."));
    const QCommandLineOption company(
        QStringLiteral("company"), QStringLiteral("Company id (default 1)."), QStringLiteral("N"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User id (default 1)."),
                                  QStringLiteral("N"));
    const QCommandLineOption processDate(QStringLiteral("process-date"),
                                         QStringLiteral("Payroll process date (default today)."),
                                         QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption interfaceId(
        QStringLiteral("interface"),
        QStringLiteral("Calling interface id: its rights and numbering prefix (default %1, the "
                       "job change interface).")
            .arg(jobchange::kJobChangeInterfaceId),
        QStringLiteral("N"));
    const QCommandLineOption title(QStringLiteral("title"),
                                   QStringLiteral("Title of message boxes (default Payroll)."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Load the register, write a picture of it to FILE and close."),
        QStringLiteral("FILE.png"));
    const QCommandLineOption screenshotSearch(
        QStringLiteral("screenshot-search"),
        QStringLiteral("With --screenshot: search the employee names for TEXT first."),
        QStringLiteral("TEXT"));
    const QCommandLineOption screenshotJob(
        QStringLiteral("screenshot-job"),
        QStringLiteral("With --screenshot: open the job change NUMBER and take its window."),
        QStringLiteral("NUMBER"));
    const QCommandLineOption screenshotScene(
        QStringLiteral("screenshot-scene"),
        QStringLiteral("With --screenshot: take the window of the guide's scene NAME "
                       "(see --screenshot-scenes)."),
        QStringLiteral("NAME"));
    const QCommandLineOption screenshotScenes(
        QStringLiteral("screenshot-scenes"),
        QStringLiteral("List the guide's scenes, one a line: its name, a tab, what it shows."));
    const QCommandLineOption sqlTrace(QStringLiteral("sql-trace"),
                                      QStringLiteral("Append every statement sent to FILE; "
                                                     "exit 2 when it cannot be appended to."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption exportPdf(
        QStringLiteral("export-pdf"),
        QStringLiteral("Write the report of a job change, by its id or its number (JC39), to the "
                       "--out file, without a window."),
        QStringLiteral("ID|NUMBER"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("The file --export-pdf, --export-history, "
                                                "--bulk or --letters writes."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption exportRegister(
        QStringLiteral("export-register"),
        QStringLiteral("Write the register's rows to FILE.xlsx, or to CSV for a name ending in "
                       ".csv, without a window."),
        QStringLiteral("FILE"));
    parser.addOptions({db, odbc, pg, initDemo, company, user, processDate, interfaceId, title,
                       screenshot, screenshotSearch, screenshotJob, screenshotScene,
                       screenshotScenes, sqlTrace, exportPdf, out, exportRegister});
    parser.addOptions(historyOptions());
    parser.addOptions(bulkOptions());
    parser.addOptions(approvalOptions());
    parser.addOptions(letterOptions());
    parser.addOptions(auditOptions());

    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
        std::exit(0);
    }
    if (parser.isSet(screenshotScenes)) {
        for (const Scene& scene : guideScenes())
            std::fprintf(stdout, "%s\t%s\n", qPrintable(scene.name), qPrintable(scene.shows));
        std::exit(0);
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument: ") + parser.positionalArguments().first();
        return std::nullopt;
    }

    Options options;
    const int sources = int(parser.isSet(db)) + int(parser.isSet(odbc)) + int(parser.isSet(pg));
    if (sources != 1) {
        error = QStringLiteral("give exactly one of --db FILE, --odbc CONNSTR, --pg CONNSTR");
        return std::nullopt;
    }
    if (parser.isSet(db)) {
        options.database = parser.value(db);
    } else if (parser.isSet(odbc)) {
        options.source = Options::Source::Odbc;
        options.database = parser.value(odbc);
    } else {
        options.source = Options::Source::Postgres;
        options.database = parser.value(pg);
    }
    options.initDemo = parser.isSet(initDemo);
    if (options.initDemo && options.source != Options::Source::Sqlite) {
        error = QStringLiteral("--init-demo works with --db only");
        return std::nullopt;
    }

    const auto number = [&](const QCommandLineOption& option, auto& target) {
        using Number = std::remove_reference_t<decltype(target)>;
        if (!parser.isSet(option))
            return true;
        const std::optional<Number> value = wholeNumber<Number>(parser.value(option));
        if (!value) {
            error = QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                        .arg(option.names().first())
                        .arg(std::numeric_limits<Number>::min())
                        .arg(std::numeric_limits<Number>::max())
                        .arg(parser.value(option));
            return false;
        }
        target = *value;
        return true;
    };
    if (!number(company, options.company) || !number(user, options.user) ||
        !number(interfaceId, options.interfaceId))
        return std::nullopt;

    if (parser.isSet(processDate)) {
        options.processDate = QDate::fromString(parser.value(processDate), Qt::ISODate);
        if (!options.processDate.isValid()) {
            error = QStringLiteral("--process-date needs a date YYYY-MM-DD, not \"%1\"")
                        .arg(parser.value(processDate));
            return std::nullopt;
        }
    }
    if (parser.isSet(title))
        options.title = parser.value(title);
    options.screenshot = parser.value(screenshot);
    if (int(parser.isSet(screenshotSearch)) + int(parser.isSet(screenshotJob)) +
            int(parser.isSet(screenshotScene)) >
        1) {
        error = QStringLiteral(
            "give one of --screenshot-search, --screenshot-job and --screenshot-scene");
        return std::nullopt;
    }
    if (parser.isSet(screenshotSearch)) {
        options.screenshotScene = searchScene(parser.value(screenshotSearch));
    } else if (parser.isSet(screenshotJob)) {
        options.screenshotScene = jobScene(parser.value(screenshotJob));
    } else {
        const QString name = parser.isSet(screenshotScene) ? parser.value(screenshotScene)
                                                           : QStringLiteral("register");
        const Scene* scene = findScene(name);
        if (!scene) {
            error = QStringLiteral("--screenshot-scene: no scene \"%1\" (see --screenshot-scenes)")
                        .arg(name);
            return std::nullopt;
        }
        options.screenshotScene = *scene;
    }
    options.sqlTrace = parser.value(sqlTrace);
    if (parser.isSet(sqlTrace) && options.sqlTrace.isEmpty()) {
        error = QStringLiteral("--sql-trace needs a file name");
        return std::nullopt;
    }

    if (parser.isSet(exportPdf) && parser.isSet(exportRegister)) {
        error = QStringLiteral("give one of --export-pdf and --export-register");
        return std::nullopt;
    }
    options.exportRegister = parser.value(exportRegister);
    if (parser.isSet(exportRegister) && options.exportRegister.isEmpty()) {
        error = QStringLiteral("--export-register needs a file name");
        return std::nullopt;
    }
    if (parser.isSet(exportPdf)) {
        options.exportJob = parser.value(exportPdf).trimmed();
        if (options.exportJob.isEmpty()) {
            error = QStringLiteral("--export-pdf needs a job change id or number");
            return std::nullopt;
        }
        options.exportFile = parser.value(out);
        if (options.exportFile.isEmpty()) {
            error = QStringLiteral("--export-pdf needs --out FILE.pdf");
            return std::nullopt;
        }
    } else if (parser.isSet(out) && !parser.isSet(QStringLiteral("export-history")) &&
               !parser.isSet(QStringLiteral("bulk")) &&
               !parser.isSet(QStringLiteral("bulk-import")) &&
               !parser.isSet(QStringLiteral("approve")) &&
               !parser.isSet(QStringLiteral("letters")) &&
               !parser.isSet(QStringLiteral("letters-date"))) {
        error = QStringLiteral("--out goes with --export-pdf");
        return std::nullopt;
    }
    if (!readHistoryCommand(parser, options.history, error))
        return std::nullopt;
    if (!readBulkCommand(parser, options.bulk, error))
        return std::nullopt;
    if (!readApprovalCommand(parser, options.approval, error))
        return std::nullopt;
    if (!readLetterCommand(parser, options.letters, error))
        return std::nullopt;
    if (!readAuditCommand(parser, options.audit, error))
        return std::nullopt;
    return options;
}

// A password may stay off the command line, where every local user can read it: it comes from
// QUORVEL_DB_PASSWORD, the server's client settings or a prompt (see data/serverlogin.h).
void openServerConnection(data::Connection& connection, data::ServerKind kind,
                          const QString& connectionString) {
    if (data::connectionStringHasPassword(kind, connectionString))
        complain(QStringLiteral("warning: other users of this computer can read a password given "
                                "on the command line; set %1 instead, or use ~/.pgpass or an "
                                "ODBC data source")
                     .arg(QLatin1String(data::kPasswordVariable)));
    data::openServer(connection, kind, connectionString);
}

// Opens the database the options name; creates the demo database first when asked and the
// file is missing. An error text when it cannot, with nothing left behind.
data::ConnectionPtr openDatabase(const Options& options, QString& error) {
    auto connection = std::make_shared<data::Connection>();
    try {
        switch (options.source) {
        case Options::Source::Odbc:
            openServerConnection(*connection, data::ServerKind::Odbc, options.database);
            break;
        case Options::Source::Postgres:
            openServerConnection(*connection, data::ServerKind::Postgres, options.database);
            break;
        case Options::Source::Sqlite: {
            // SQLite creates a missing file on opening: look first.
            const bool exists = QFileInfo::exists(options.database);
            if (!exists && !options.initDemo) {
                error = QStringLiteral("no database file %1 (add --init-demo to create the "
                                       "demo database)")
                            .arg(options.database);
                return nullptr;
            }
            if (exists && !QFileInfo(options.database).isFile()) {
                error = QStringLiteral("%1 is not a file").arg(options.database);
                return nullptr;
            }
            connection->openSqlite(options.database);
            if (!exists) {
                try {
                    data::createSchema(*connection);
                    data::loadDemoData(*connection);
                    // The demo comes with its audit trail begun.
                    jobchange::writeAuditBaselines(connection, options.user);
                } catch (const data::DbError&) {
                    connection->close();
                    QFile::remove(options.database);
                    throw;
                }
            }
            break;
        }
        }
    } catch (const data::DbError& dbError) {
        error = QStringLiteral("cannot open the database: ") + dbError.description();
        return nullptr;
    }
    if (!options.sqlTrace.isEmpty())
        connection->setTraceFile(options.sqlTrace);
    return connection;
}

// Runs an export the options ask for; its exit status, or nothing when they ask for none.
std::optional<int> runExport(const Options& options, const data::ConnectionPtr& connection) {
    QString error;
    int status = 0;
    if (!options.exportRegister.isEmpty())
        status = exportRegister(connection, options.company, options.processDate,
                                options.exportRegister, error);
    else if (!options.exportJob.isEmpty())
        status = exportJobChangePdf(*connection, options.company, options.user, options.exportJob,
                                    options.exportFile, error);
    else
        return std::nullopt;
    if (status != 0)
        complain(error);
    return status;
}

// Whether Qt can show a window here: a platform was named, or X11 or Wayland is there.
bool displayAvailable() {
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

// Exports, screenshots and the help text need no display: run them offscreen unless told
// otherwise.
void preferOffscreenForWindowlessRuns(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--export-pdf" || arg.startsWith("--export-pdf=") ||
            arg == "--export-register" || arg.startsWith("--export-register=") ||
            arg == "--screenshot" || arg.startsWith("--screenshot=") || arg == "-h" ||
            arg == "--help" || arg == "--help-all" || arg == "-?" ||
            isHistoryCommandArgument(arg) || isBulkCommandArgument(arg) ||
            isApprovalCommandArgument(arg) || isLetterCommandArgument(arg) ||
            isAuditCommandArgument(arg)) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
}

int main(int argc, char** argv) {
    data::keepFreedMemory();
    preferOffscreenForWindowlessRuns(argc, argv);
    // Without a display the platform plugin would abort: a run that wants a window then still
    // has its options and database checked, and is told why it cannot go on.
    const std::unique_ptr<QCoreApplication> app =
        displayAvailable() ? std::make_unique<QApplication>(argc, argv)
                           : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-host"));

    QString error;
    const std::optional<Options> options = parse(QCoreApplication::arguments(), error);
    if (!options) {
        complain(error);
        return kExitBadUse;
    }
    // Before the database is opened or created, so that no run goes on without its trace.
    if (!options->sqlTrace.isEmpty()) {
        if (const QString problem = data::Connection::traceFileProblem(options->sqlTrace);
            !problem.isEmpty()) {
            complain(QStringLiteral("--sql-trace: cannot append to %1: %2")
                         .arg(options->sqlTrace, problem));
            return kExitBadUse;
        }
    }
    const data::ConnectionPtr connection = openDatabase(*options, error);
    if (!connection) {
        complain(error);
        return kExitBadUse;
    }
    if (const std::optional<int> status = runExport(*options, connection))
        return *status;
    const CommandContext context{options->company, options->user, options->interfaceId,
                                 options->processDate};
    if (options->history.kind != HistoryCommand::Kind::None)
        return runHistoryCommand(options->history, *connection, context);
    if (options->bulk.wanted())
        return runBulkCommand(options->bulk, *connection, context);
    if (options->approval.kind != ApprovalCommand::Kind::None)
        return runApprovalCommand(options->approval, *connection, context);
    if (options->letters.kind != LetterCommand::Kind::None)
        return runLetterCommand(options->letters, *connection, context);
    if (options->audit.kind != AuditCommand::Kind::None)
        return runAuditCommand(options->audit, connection, context);
    if (!qobject_cast<QApplication*>(app.get())) {
        complain(QStringLiteral("no display to open the register on (DISPLAY and WAYLAND_DISPLAY "
                                "are not set); --screenshot and the exports need none"));
        return kExitFailed;
    }

    clsGrade grade;
    grade.setAdocon(connection);
    grade.intCompanyID = options->company;
    grade.intUserID = options->user;
    grade.Intinterfaceid = options->interfaceId;
    grade.ProcessDate = options->processDate;
    grade.MsgboxTitle = options->title;

    std::optional<ScreenshotDisplay> screenshot;
    if (!options->screenshot.isEmpty())
        screenshot.emplace(options->screenshot, options->screenshotScene);
    try {
        grade.Show();
    } catch (const data::DbError& dbError) {
        complain(QStringLiteral("error %1: %2").arg(dbError.number()).arg(dbError.description()));
        return kExitFailed;
    }
    if (screenshot) {
        // What the scene met, for whoever makes the pictures to judge.
        for (const QString& text : screenshot->messages())
            complain(QStringLiteral("message: ") + text);
    }
    if (screenshot && !screenshot->saved()) {
        complain(screenshot->error().isEmpty()
                     ? QStringLiteral("cannot write %1").arg(options->screenshot)
                     : screenshot->error());
        return kExitFailed;
    }
    return 0;
}
