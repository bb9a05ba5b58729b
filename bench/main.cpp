// quorvel-bench: builds payroll databases of a given size and times the register's load,
// search and sort, the save of a new job change, a cancellation and the employee history window,
// beside raw SQLite floors.

#include "bench/auditbench.h"
#include "bench/bulkbench.h"
#include "bench/generate.h"
#include "bench/measure.h"
#include "bench/rawfloor.h"
#include "bench/scenarios.h"
#include "component/basgrade.h"
#include "data/connection.h"
#include "data/dberror.h"
#include "data/freedmemory.h"
#include "history/frmemployeehistory.h"
#include "jobchange/employeehistory.h"
#include "jobchange/registerload.h"
#include "register/frmmaster.h"
#include "ui/flexgrid.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kSmallRegister = 10000;
// The load's goal is set for large registers; below this, opening the window outweighs the rows.
constexpr qint64 kLoadGoalFromRows = 100000;
constexpr double kMemoryGoalMb = 250.0;

// What a median must meet: at most a multiple of its raw floor, under a time, or both.
struct Goal {
    std::optional<double> floorRatio;
    std::optional<double> underMs;

    Goal floorPart() const { return {floorRatio, std::nullopt}; }
    Goal timePart() const { return {std::nullopt, underMs}; }
    QString text() const {
        QStringList parts;
        if (floorRatio)
            parts << QStringLiteral("<= %1x floor").arg(*floorRatio);
        if (underMs)
            parts << QStringLiteral("< %1 ms").arg(*underMs);
        return parts.join(QStringLiteral(", "));
    }
    bool met(double medianMs, std::optional<double> floorMs) const {
        return (!floorRatio || (floorMs && medianMs <= *floorRatio * *floorMs)) &&
               (!underMs || medianMs < *underMs);
    }
};

constexpr Goal kFirstScreenGoal{std::nullopt, 300.0};
constexpr Goal kLoadGoal{1.2, std::nullopt};
constexpr Goal kServerLoadGoal{1.5, std::nullopt};
constexpr Goal kHistoryCheckGoal{std::nullopt, 5000.0};
// The check's time at 1,000,000 job changes against its time at 100,000.
constexpr Goal kHistoryCheckGrowthGoal{12.0, std::nullopt};
constexpr Goal kSearchGoal{std::nullopt, 10.0};
constexpr Goal kSaveGoal{3.0, 50.0};
constexpr Goal kSortGoal{std::nullopt, 500.0};
constexpr Goal kHistoryGoal{std::nullopt, 100.0};
constexpr Goal kBulkPreviewGoal{std::nullopt, 2000.0};
constexpr Goal kBulkApplyGoal{3.0, 10000.0};
constexpr Goal kBulkImportGoal{std::nullopt, 1000.0};
// A save with the audit trail beside the same save without it (the floor), and the trail's check.
constexpr Goal kAuditSaveGoal{1.2, 50.0};
constexpr Goal kVerifyAuditGoal{std::nullopt, 10000.0};

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

// Text typed so far and the next keystroke, one pair a repetition.
const std::array<std::pair<const char*, char>, 8> kKeystrokes{{{"S", 'h'},
                                                               {"M", 'e'},
                                                               {"K", 'a'},
                                                               {"A", 'n'},
                                                               {"D", 'a'},
                                                               {"P", 'r'},
                                                               {"W", 'e'},
                                                               {"L", 'a'}}};

QString rowsText(qint64 rows) {
    return QLocale(QLocale::English).toString(rows);
}

// Loads the register in a process of its own, so the peak is the register's and not the
// generator's, and prints "VmRSS-before VmHWM-after" in kB.
// A server's database is named by its connection string after this prefix.
const QString kServerProbe = QStringLiteral("postgresql:");

int memoryProbe(const QString& database) {
    const QDate processDate = bench::GenerateOptions().processDate;
    std::unique_ptr<bench::Installation> opened;
    if (database.startsWith(kServerProbe)) {
        auto server = std::make_shared<data::Connection>();
        server->openPostgres(database.mid(kServerProbe.size()));
        opened = std::make_unique<bench::Installation>(server, processDate);
    } else {
        opened = std::make_unique<bench::Installation>(database, processDate);
    }
    const bench::Installation& installation = *opened;
    const qint64 before = bench::memoryKb("VmRSS");
    auto frm = bench::loadRegister(installation);
    frm->show();
    QCoreApplication::processEvents();
    out() << before << ' ' << bench::memoryKb("VmHWM") << Qt::endl;
    return 0;
}

struct Generated {
    QString file;
    qint64 rows;
};

// A new database of that size in dir, or, when `reuse` and an earlier run kept one there, that
// one as it is (with the saves and cancellations the earlier runs added).
Generated generate(const QString& dir, qint64 rows, int employees, bool reuse) {
    bench::GenerateOptions options;
    options.jobChanges = rows;
    options.employees = employees;
    const QString file = QDir(dir).filePath(QStringLiteral("payroll-%1.sqlite").arg(rows));
    if (reuse && QFile::exists(file)) {
        out() << "measuring " << file << ", kept by an earlier run" << Qt::endl;
        return {file, rows};
    }
    QFile::remove(file);
    QElapsedTimer timer;
    timer.start();
    const bench::GenerateSummary summary = bench::generateSqlite(file, options);
    out() << "generated " << file << ": " << rowsText(summary.jobChanges) << " job changes ("
          << rowsText(summary.cancelled) << " cancelled), "
          << rowsText(summary.allowanceLines + summary.deductionLines) << " lines, "
          << rowsText(summary.employees) << " employees in "
          << QString::number(static_cast<double>(timer.elapsed()) / 1000.0, 'f', 1) << " s"
          << Qt::endl;
    return {file, rows};
}

QString withDatabase(const QString& connectionString, const QString& database) {
    // libpq and the data layer both take the last of a repeated keyword.
    return connectionString + QStringLiteral(" dbname=") + database;
}

// A database of that size on the server: created and generated by the first run that asks for
// it, measured as it is by later ones (each run adds its own saves and cancellations). Either
// way the server's statistics are brought up to date first, as autovacuum would soon do after a
// load this size: without them it plans the register's joins for empty tables.
struct ServerDatabase {
    data::ConnectionPtr connection;
    QString connectionString;
    qint64 rows;
};

ServerDatabase onServer(const QString& connectionString, qint64 rows, int employees) {
    const QString database = QStringLiteral("quorvel_bench_%1").arg(rows);
    ServerDatabase result{std::make_shared<data::Connection>(),
                          withDatabase(connectionString, database), rows};
    {
        bench::RawServer maintenance(connectionString);
        if (maintenance.scalar(
                QStringLiteral("select count(*) from pg_database where datname = '") + database +
                QLatin1Char('\'')) == 0)
            maintenance.exec(("create database " + database).toUtf8().constData());
    }
    data::Connection& connection = *result.connection;
    connection.openPostgres(result.connectionString);
    QElapsedTimer timer;
    timer.start();
    const bool generated =
        connection
            .open(QStringLiteral("select count(*) from information_schema.tables where "
                                 "table_name = 'linktable'"))
            .field(0)
            .toInt() > 0;
    if (generated) {
        out() << "measuring " << database << ", generated on PostgreSQL by an earlier run"
              << Qt::endl;
    } else {
        bench::GenerateOptions options;
        options.jobChanges = rows;
        options.employees = employees;
        const bench::GenerateSummary summary = bench::generateOn(connection, options);
        out() << "generated " << database << " on PostgreSQL: " << rowsText(summary.jobChanges)
              << " job changes, " << rowsText(summary.allowanceLines + summary.deductionLines)
              << " lines in "
              << QString::number(static_cast<double>(timer.elapsed()) / 1000.0, 'f', 1) << " s"
              << Qt::endl;
    }
    if (generated) {
        connection.execute(QStringLiteral("ANALYZE"));
    } else {
        // Left to itself the server would vacuum the new tables (autovacuum after inserts) and
        // write the pages out for minutes after, beside the measurements: done here first.
        connection.execute(QStringLiteral("VACUUM (ANALYZE)"));
        try {
            connection.execute(QStringLiteral("CHECKPOINT"));
        } catch (const data::DbError&) {
            out() << "no CHECKPOINT (it needs a superuser or pg_checkpoint): the server may "
                     "still be writing the generated rows out during the measurements"
                  << Qt::endl;
        }
    }
    return result;
}

double loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().split(' ').value(0).toDouble();
}

class Benchmark {
public:
    explicit Benchmark(int repetitions) : repetitions_(repetitions) {}

    // The register opened as Show opens it: the first screen shown and painted, then the rest
    // read behind it, against the same statement read through the database's C library.
    void registerLoad(const bench::Installation& installation, bench::RawConnection& raw,
                      qint64 rows, const std::optional<Goal>& goal) {
        std::vector<double> firstScreens;
        std::vector<double> loads;
        std::unique_ptr<FrmMaster> frm;
        for (int i = 0; i < repetitions_; ++i) {
            frm.reset();
            QElapsedTimer timer;
            timer.start();
            installation.enter();
            frm = std::make_unique<FrmMaster>();
            frm->Form_Load();
            frm->show();
            QCoreApplication::processEvents();
            firstScreens.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            frm->completeLoad();
            QCoreApplication::processEvents();
            loads.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        const QString sql = frm->registerSql();
        qint64 listed = 0;
        // The same statement read with the page cache the load's own connection has.
        const bool sqlite = raw.kind() == data::Dialect::Kind::SQLite;
        if (sqlite)
            raw.exec(QByteArray("PRAGMA cache_size = -" +
                                QByteArray::number(jobchange::RegisterLoad::kSqliteCacheKiB))
                         .constData());
        // The cache stays from one read to the next, as the load's kept connection keeps it.
        const double floor =
            bench::median(bench::timeRepeated(repetitions_, [&] { listed = raw.queryAll(sql); }));
        if (sqlite)
            raw.exec("PRAGMA cache_size = -2000"); // SQLite's default, for the other floors
        if (listed != frm->flexMaster->rows() - 1)
            problems_ << QStringLiteral("the register lists %1 rows, the query returns %2")
                             .arg(frm->flexMaster->rows() - 1)
                             .arg(listed);
        add(QStringLiteral("register first screen, %1 job changes").arg(rowsText(rows)),
            bench::median(firstScreens), {}, goal ? std::optional(kFirstScreenGoal) : std::nullopt);
        add(QStringLiteral("register full load, %1 job changes").arg(rowsText(rows)),
            bench::median(loads), floor, goal);
    }

    void searchAndSort(FrmMaster& frm, qint64 rows, bool withSortGoal) {
        std::vector<double> search;
        QString problem;
        for (int i = 0; i < repetitions_; ++i) {
            const auto& [before, key] = kKeystrokes[static_cast<size_t>(i) % kKeystrokes.size()];
            if (const auto elapsed =
                    bench::timeSearch(frm, QLatin1String(before), QLatin1Char(key), problem))
                search.push_back(*elapsed);
            else
                problems_ << problem;
        }
        const double keystroke = bench::median(search);
        add(QStringLiteral("search keystroke, name, %1 rows").arg(rowsText(rows)), keystroke, {},
            kSearchGoal);
        std::vector<double> sort;
        for (int i = 0; i < repetitions_; ++i) {
            if (const auto elapsed = bench::timeSort(frm, problem))
                sort.push_back(*elapsed);
            else
                problems_ << problem;
        }
        const double sorted = bench::median(sort);
        add(QStringLiteral("sort by name, %1 rows").arg(rowsText(rows)), sorted, {},
            withSortGoal ? std::optional(kSortGoal) : std::nullopt);
    }

    // Times one step for each id. A step that fails leaves no time and is noted as a problem
    // under its label (%1 the id), as is every message shown meanwhile.
    template <class Step>
    std::vector<double> timeEach(const std::vector<qint32>& ids, const QString& label,
                                 const Step& step) {
        std::vector<double> times;
        for (qint32 id : ids) {
            QString problem;
            if (const std::optional<double> elapsed = step(id, problem))
                times.push_back(*elapsed);
            else
                problems_ << label.arg(id) + QStringLiteral(": ") + problem;
        }
        problems_ << messages_.take();
        return times;
    }

    // New job changes saved through the window, one per repetition.
    std::vector<double> timeSaves(FrmMaster& frm, const bench::Installation& installation,
                                  const QString& what) {
        return timeEach(installation.employeesForNewJobChanges(0, repetitions_),
                        what + QStringLiteral(" for employee %1"),
                        [&](qint32 employee, QString& problem) {
                            return bench::timeSave(frm, installation, employee, problem);
                        });
    }

    void save(FrmMaster& frm, const bench::Installation& installation, bench::RawConnection& raw,
              qint64 rows, bool withTimeGoal) {
        const std::vector<double> times = timeSaves(frm, installation, QStringLiteral("save"));
        data::ResolvedTableNames tables;
        data::ResolveTableNames(installation.db(), tables);
        std::vector<double> floors;
        for (qint32 employee : installation.employeesForNewJobChanges(1, repetitions_)) {
            const bench::RawJobChange change = installation.newJobChange(employee);
            floors.push_back(
                bench::timeRepeated(1, [&] { bench::rawSave(raw, tables, change); }).front());
        }
        const QString name = QStringLiteral("save 10+10 lines, %1 stored").arg(rowsText(rows));
        if (times.empty()) {
            add(name + QStringLiteral(" (failed)"), 0, bench::median(floors), std::nullopt);
            return;
        }
        add(name, bench::median(times), bench::median(floors),
            withTimeGoal ? kSaveGoal : kSaveGoal.floorPart());
    }

    // The audit trail filled to `auditRows`; saves through the window with the trail and, its
    // linktable row taken away for the while, without it; then the trail's check.
    void audit(const bench::Installation& installation, qint64 rows, qint64 auditRows) {
        QElapsedTimer filled;
        filled.start();
        const qint64 trail =
            bench::fillAuditTrail(installation.connection(), installation.processDate(), auditRows);
        out() << "audit trail filled to " << rowsText(trail) << " rows in "
              << QString::number(static_cast<double>(filled.elapsed()) / 1000.0, 'f', 1) << " s"
              << Qt::endl;
        const auto savesWith = [&](bool audited) {
            std::unique_ptr<FrmMaster> frm = bench::loadRegister(installation);
            frm->show();
            QCoreApplication::processEvents();
            return timeSaves(*frm, installation,
                             audited ? QStringLiteral("save with the audit")
                                     : QStringLiteral("save without the audit"));
        };
        installation.db().execute(
            QStringLiteral("delete from linktable where tablename = 'paudittrail'"));
        const std::vector<double> without = savesWith(false);
        installation.db().execute(QStringLiteral("insert into linktable (tablename, "
                                                 "linktablename) values ('paudittrail', ?)"),
                                  {installation.tables().paudittrail});
        const std::vector<double> with = savesWith(true);
        add(QStringLiteral("save 10+10 lines with the audit (%1 audit rows), %2 stored; floor: "
                           "the same save without it")
                .arg(rowsText(trail), rowsText(rows)),
            bench::median(with), bench::median(without), kAuditSaveGoal);
        QString problem;
        const qint64 checked = trail + static_cast<qint64>(with.size());
        add(QStringLiteral("--verify-audit over %1 audit rows").arg(rowsText(checked)),
            bench::timeVerifyAudit(installation.connection(), installation.processDate(), problem),
            {}, kVerifyAuditGoal);
        if (!problem.isEmpty())
            problems_ << QStringLiteral("the audit trail does not verify: ") + problem;
    }

    void cancel(FrmMaster& frm, const bench::Installation& installation, qint64 rows) {
        const std::vector<double> times =
            timeEach(installation.latestJobChanges(2, repetitions_), QStringLiteral("cancel of %1"),
                     [&](qint32 id, QString& problem) {
                         return bench::timeCancel(frm, installation, id, problem);
                     });
        add(QStringLiteral("cancellation, %1 stored").arg(rowsText(rows)), bench::median(times), {},
            std::nullopt);
    }

    // The history window of the employee with the long history, loaded, shown and painted;
    // then the consistency check of every employee.
    void history(const bench::Installation& installation, qint64 rows, bool withGoal) {
        const jobchange::HistorySource source{installation.db(), installation.tables(), 1, 1,
                                              installation.processDate()};
        int listed = 0;
        const double opened = bench::median(bench::timeRepeated(repetitions_, [&] {
            FrmEmployeeHistory frm(source);
            frm.load(bench::kLongHistoryEmployee);
            frm.show();
            QCoreApplication::processEvents();
            listed = frm.lvwHistory->topLevelItemCount();
        }));
        if (listed != bench::kLongHistoryJobChanges)
            problems_ << QStringLiteral("the history lists %1 job changes, not %2")
                             .arg(listed)
                             .arg(bench::kLongHistoryJobChanges);
        add(QStringLiteral("history of an employee with %1 job changes, %2 stored")
                .arg(bench::kLongHistoryJobChanges)
                .arg(rowsText(rows)),
            opened, {}, withGoal ? std::optional(kHistoryGoal) : std::nullopt);

        jobchange::HistoryCheck check;
        const double checked = bench::median(
            bench::timeRepeated(repetitions_, [&] { check = jobchange::checkHistory(source); }));
        if (!check.disagreements.empty())
            problems_ << QStringLiteral("%1 employees disagree with their history")
                             .arg(check.disagreements.size());
        add(QStringLiteral("history check of every employee, %1 stored").arg(rowsText(rows)),
            checked, {}, rows >= 1000000 ? std::optional(kHistoryCheckGoal) : std::nullopt);
        historyChecks_[rows] = checked;
        if (rows == 1000000 && historyChecks_.contains(100000))
            add(QStringLiteral("  the same against 100,000 stored"), checked,
                historyChecks_.value(100000), kHistoryCheckGrowthGoal);
    }

    void memory(const QString& database, qint64 rows) {
        QProcess probe;
        probe.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--memory-probe"), database});
        probe.waitForFinished(-1);
        const QList<QByteArray> figures = probe.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 2) {
            problems_ << QStringLiteral("memory probe: ") +
                             QString::fromLocal8Bit(probe.readAllStandardError());
            return;
        }
        const double before = figures[0].toDouble() / 1024.0;
        const double peak = figures[1].toDouble() / 1024.0;
        memoryLine_ =
            QStringLiteral("peak memory (VmHWM) with the %1-row register loaded: %2 MB (%3 MB "
                           "before the load); goal < %4 MB: %5")
                .arg(rowsText(rows))
                .arg(peak, 0, 'f', 1)
                .arg(before, 0, 'f', 1)
                .arg(kMemoryGoalMb)
                .arg(peak < kMemoryGoalMb ? QStringLiteral("yes") : QStringLiteral("NO"));
    }

    // A bulk revision of every employee, 5 allowance and 5 deduction lines each.
    void bulk(const QString& dir, int employees, const QString& serverConnection) {
        const bench::BulkFigures figures = bench::measureBulk(dir, employees, serverConnection);
        problems_ << figures.problems;
        const QString who = QStringLiteral("%1 employees x 10 lines").arg(rowsText(employees));
        add(QStringLiteral("bulk preview, ") + who, figures.previewMs, {}, kBulkPreviewGoal);
        add(QStringLiteral("bulk import and preview, %1 rows of a workbook")
                .arg(rowsText(figures.employees)),
            figures.importMs, {}, kBulkImportGoal);
        add(QStringLiteral("bulk apply, ") + who, figures.applyMs, figures.floorMs, kBulkApplyGoal);
    }

    void report(const QString& server) const {
        out() << '\n'
              << server << ", load average " << QString::number(loadAverage(), 'f', 2)
              << " at the end\n"
              << bench::formatTable(rows_);
        if (!memoryLine_.isEmpty())
            out() << memoryLine_ << '\n';
        for (const QString& problem : problems_)
            out() << "problem: " << problem << '\n';
        out().flush();
    }

private:
    void add(const QString& name, double medianMs, std::optional<double> floorMs,
             const std::optional<Goal>& goal) {
        out() << "  " << name << ": " << QString::number(medianMs, 'f', 2) << " ms (load average "
              << QString::number(loadAverage(), 'f', 2) << ')' << Qt::endl;
        rows_.push_back({name, medianMs, floorMs, goal ? goal->text() : QString(),
                         goal ? std::optional(goal->met(medianMs, floorMs)) : std::nullopt});
    }

    int repetitions_;
    bench::MessageLog messages_;
    std::vector<bench::Measurement> rows_;
    QStringList problems_;
    QString memoryLine_;
    QMap<qint64, double> historyChecks_;
};

} // namespace

int main(int argc, char** argv) {
    // As the program itself runs.
    data::keepFreedMemory();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times the job-change register, search, sort, save, cancellation and employee history "
        "on generated payroll databases, beside raw SQLite floors."));
    parser.addHelpOption();
    const QCommandLineOption rowsOption(
        QStringLiteral("rows"),
        QStringLiteral("Job changes in the large database (100000); several sizes, comma "
                       "separated (100000,1000000), are each measured against the goals."),
        QStringLiteral("N[,N...]"), QStringLiteral("100000"));
    const QCommandLineOption employeesOption(
        QStringLiteral("employees"), QStringLiteral("Employees in the large database (20000)."),
        QStringLiteral("M"), QStringLiteral("20000"));
    const QCommandLineOption repsOption(QStringLiteral("reps"),
                                        QStringLiteral("Repetitions of each measurement (5)."),
                                        QStringLiteral("K"), QStringLiteral("5"));
    const QCommandLineOption pgOption(
        QStringLiteral("pg"),
        QStringLiteral("Measure on the PostgreSQL server of this connection string instead "
                       "(\"host=... port=... dbname=... user=... password=...\"): each size in "
                       "a database quorvel_bench_N there, generated by the first run and "
                       "measured as it is by later ones; the bulk revision in "
                       "quorvel_bench_bulk_N, made again each run."),
        QStringLiteral("CONNSTR"));
    const QCommandLineOption keepOption(
        QStringLiteral("keep"),
        QStringLiteral("Keep the generated SQLite files in DIR, and measure those an "
                       "earlier run kept there as they are."),
        QStringLiteral("DIR"));
    const QCommandLineOption walOption(
        QStringLiteral("wal"),
        QStringLiteral("Put the generated databases in write-ahead-log mode (one sync a commit "
                       "instead of the rollback journal's several)."));
    QCommandLineOption probeOption(QStringLiteral("memory-probe"),
                                   QStringLiteral("Internal: load the register of FILE and print "
                                                  "the memory used."),
                                   QStringLiteral("FILE"));
    probeOption.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption bulkOption(
        QStringLiteral("bulk-employees"),
        QStringLiteral("Employees in the bulk revision's database (5000); 0 leaves it out."),
        QStringLiteral("N"), QStringLiteral("5000"));
    const QCommandLineOption auditOption(
        QStringLiteral("audit-rows"),
        QStringLiteral("Audit rows to fill the largest database's trail with before a save is "
                       "timed with and without the audit and the trail checked (as many as its "
                       "job changes); 0 leaves it out."),
        QStringLiteral("N"));
    const QCommandLineOption registerOnlyOption(
        QStringLiteral("register-only"),
        QStringLiteral("Measure only the register's load (first screen, full load) and the "
                       "memory it takes: no history, search, sort, save, audit or bulk lines."));
    const QCommandLineOption checkOnlyOption(
        QStringLiteral("check-only"),
        QStringLiteral("Measure only the employee history window and the history check of every "
                       "employee: no register, search, sort, save, audit, bulk or memory lines."));
    parser.addOptions({rowsOption, employeesOption, repsOption, pgOption, keepOption, walOption,
                       probeOption, bulkOption, auditOption, registerOnlyOption, checkOnlyOption});
    parser.process(app);

#if !defined(__OPTIMIZE__)
    out() << "warning: built without optimisation; configure with "
             "-DCMAKE_BUILD_TYPE=RelWithDebInfo for figures worth comparing"
          << Qt::endl;
#endif
    try {
        if (parser.isSet(probeOption))
            return memoryProbe(parser.value(probeOption));

        std::vector<qint64> sizes;
        for (const QString& size : parser.value(rowsOption).split(QLatin1Char(',')))
            sizes.push_back(std::max<qint64>(1, size.trimmed().toLongLong()));
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        const qint64 rows = sizes.back();
        const int employees = std::max(1, parser.value(employeesOption).toInt());
        const int repetitions = std::max(1, parser.value(repsOption).toInt());
        QTemporaryDir temporary;
        const QString dir = parser.isSet(keepOption) ? parser.value(keepOption) : temporary.path();
        QDir().mkpath(dir);

        // Smaller databases keep the largest one's job changes per employee. One size alone is
        // measured beside a small register; several are each measured against the goals.
        if (sizes.size() == 1 && rows > kSmallRegister)
            sizes.insert(sizes.begin(), kSmallRegister);
        const bool listed = parser.value(rowsOption).contains(QLatin1Char(','));
        const bool registerOnly = parser.isSet(registerOnlyOption);
        const bool checkOnly = parser.isSet(checkOnlyOption);
        if (registerOnly && checkOnly) {
            out() << "error: give either --register-only or --check-only, not both" << Qt::endl;
            return 1;
        }
        const bool oneLineOnly = registerOnly || checkOnly;
        Benchmark benchmark(repetitions);
        // Measures one database of the run: its register, history, search, sort, save and
        // cancellation.
        const auto measure = [&](const bench::Installation& installation, bench::RawConnection& raw,
                                 qint64 size, bool server) {
            const bool large = listed || size == rows;
            out() << "measuring " << rowsText(size) << " job changes" << Qt::endl;
            if (checkOnly) {
                benchmark.history(installation, size, large);
                return;
            }
            std::optional<Goal> loadGoal;
            if (large && size >= kLoadGoalFromRows)
                loadGoal = server ? kServerLoadGoal : kLoadGoal;
            benchmark.registerLoad(installation, raw, size, loadGoal);
            if (registerOnly)
                return;
            benchmark.history(installation, size, large);
            std::unique_ptr<FrmMaster> frm = bench::loadRegister(installation);
            // Search and sort on the window as the clerk sees it, repaints included.
            frm->show();
            QCoreApplication::processEvents();
            if (large)
                benchmark.searchAndSort(*frm, size, listed || rows >= 1000000);
            benchmark.save(*frm, installation, raw, size, large);
            if (large)
                benchmark.cancel(*frm, installation, size);
        };
        const QDate processDate = bench::GenerateOptions().processDate;
        QString memoryOf;
        if (parser.isSet(pgOption)) {
            const QString connection = parser.value(pgOption);
            for (const qint64 size : sizes) {
                const ServerDatabase database = onServer(
                    connection, size, std::max(1, static_cast<int>(employees * size / rows)));
                const bench::Installation installation(database.connection, processDate);
                bench::RawServer raw(database.connectionString);
                measure(installation, raw, size, true);
                memoryOf = kServerProbe + database.connectionString;
            }
        } else {
            std::vector<Generated> databases;
            for (const qint64 size : sizes)
                databases.push_back(generate(dir, size,
                                             std::max(1, static_cast<int>(employees * size / rows)),
                                             parser.isSet(keepOption)));
            if (parser.isSet(walOption)) {
                for (const Generated& database : databases)
                    bench::RawDatabase(database.file).exec("PRAGMA journal_mode=WAL");
            }
            for (const Generated& database : databases) {
                const bench::Installation installation(database.file, processDate);
                bench::RawDatabase raw(database.file);
                measure(installation, raw, database.rows, false);
            }
            memoryOf = databases.back().file;
            if (const qint64 auditRows = oneLineOnly ? 0
                                         : parser.isSet(auditOption)
                                             ? parser.value(auditOption).toLongLong()
                                             : databases.back().rows;
                auditRows > 0) {
                out() << "measuring the audit trail" << Qt::endl;
                const bench::Installation installation(databases.back().file, processDate);
                benchmark.audit(installation, databases.back().rows, auditRows);
            }
        }
        if (const int bulkEmployees = oneLineOnly ? 0 : parser.value(bulkOption).toInt();
            bulkEmployees > 0) {
            out() << "measuring a bulk revision" << Qt::endl;
            benchmark.bulk(dir, bulkEmployees,
                           parser.isSet(pgOption) ? parser.value(pgOption) : QString());
        }
        if (!checkOnly)
            benchmark.memory(memoryOf, rows);
        benchmark.report(parser.isSet(pgOption) ? QStringLiteral("PostgreSQL")
                                                : QStringLiteral("SQLite"));
    } catch (const data::DbError& error) {
        out() << "error: " << error.description() << Qt::endl;
        return 1;
    }
    return 0;
}
