#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct HostRun {
    int exitCode = -1;
    QString errors;
    QString output;
};

enum class Display { Offscreen, None };

HostRun runHost(const QStringList& arguments, const QString& runtimeDir,
                Display display = Display::Offscreen) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (display == Display::Offscreen) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        // As from a terminal without X or Wayland.
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quorvel-host"),
                  arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString();
    return HostRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromLocal8Bit(process.readAllStandardError()),
                   QString::fromLocal8Bit(process.readAllStandardOutput())};
}

// The permission bits of a file, as ls shows them in octal.
int modeOf(const QString& file) {
    struct stat info {};
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

class Host : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    HostRun host(const QStringList& arguments, Display display = Display::Offscreen) const {
        return runHost(arguments, dir.path(), display);
    }
};

TEST_F(Host, InitDemoCreatesTheDatabaseAndScreenshotPicturesTheRegister) {
    const QString db = path("demo.sqlite");
    // Even with nothing masked, the files that hold pay are created for their owner only.
    struct NoUmask {
        mode_t before = ::umask(0);
        ~NoUmask() { ::umask(before); }
    } noUmask;
    const HostRun first = host({"--db", db, "--init-demo", "--process-date", "2026-11-30",
                                "--screenshot", path("register.png")});
    ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();
    EXPECT_TRUE(QFile::exists(db));
    const QImage picture(path("register.png"));
    EXPECT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 400);

    // The existing file opens without --init-demo; the trace records the register's query.
    const HostRun second = host({"--db", db, "--company", "2", "--sql-trace", path("trace.sql"),
                                 "--screenshot", path("second.png")});
    ASSERT_EQ(second.exitCode, 0) << second.errors.toStdString();
    QFile trace(path("trace.sql"));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    EXPECT_TRUE(trace.readAll().contains("select egcid, egcno, egcdate, ename,"));
    EXPECT_EQ(modeOf(db), 0600);
    EXPECT_EQ(modeOf(path("trace.sql")), 0600);

    // A PDF of a job change without a window; an unknown one is refused and writes nothing.
    EXPECT_EQ(host({"--db", db, "--export-pdf", "39", "--out", path("jc39.pdf")}).exitCode, 0);
    EXPECT_GT(QFile(path("jc39.pdf")).size(), 1000);
    const HostRun run = host({"--db", db, "--export-pdf", "JC99999", "--out", path("none.pdf")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains("JC99999")) << run.errors.toStdString();
    EXPECT_FALSE(QFile::exists(path("none.pdf")));
}

TEST_F(Host, ExportRegisterWritesTheChosenFormatAndNamesAFileItCannotWrite) {
    const QString db = path("demo.sqlite");
    const QStringList open{"--db", db, "--init-demo", "--process-date", "2026-11-30"};
    ASSERT_EQ(host(open + QStringList{"--export-register", path("register.CSV")}).exitCode, 0);
    QFile csv(path("register.CSV"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readLine().startsWith("Job No,Job Date,Employee Name,"));

    const HostRun unwritable =
        host(open + QStringList{"--export-register", path("none/register.xlsx")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.errors.contains(path("none/register.xlsx")))
        << unwritable.errors.toStdString();

    const HostRun both = host(open + QStringList{"--export-register", path("r.csv"), "--export-pdf",
                                                 "39", "--out", path("r.pdf")});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_FALSE(QFile::exists(path("r.csv")));
}

TEST_F(Host, BadOptionsExitWithStatusTwoAndOneLine) {
    const QString db = path("none.sqlite");
    for (const QStringList& arguments :
         {QStringList{"--db", db, "--init-demo", "--bogus"},
          QStringList{"--db", db, "--init-demo", "--company", "abc"},
          QStringList{"--db", db, "--init-demo", "--process-date", "2026-02-30"},
          QStringList{"--init-demo"}}) {
        const HostRun run = host(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.errors.trimmed().count('\n'), 0) << run.errors.toStdString();
        EXPECT_FALSE(run.errors.trimmed().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(db));
}

TEST_F(Host, MissingDatabaseWithoutInitDemoIsRefusedAndNotCreated) {
    const QString db = path("missing.sqlite");
    for (const Display display : {Display::Offscreen, Display::None}) {
        const HostRun run = host({"--db", db}, display);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.errors.contains("missing.sqlite")) << run.errors.toStdString();
        EXPECT_FALSE(QFile::exists(db));
    }
}

TEST_F(Host, WithoutADisplayOptionsAreCheckedAndOnlyTheWindowIsRefused) {
    const HostRun bad = host({"--db", path("any.sqlite"), "--bogus"}, Display::None);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.errors.contains("bogus")) << bad.errors.toStdString();

    // The exports need no display; the register's window does, and says so.
    const QString db = path("demo.sqlite");
    EXPECT_EQ(host({"--db", db, "--init-demo", "--export-register", path("r.csv")}, Display::None)
                  .exitCode,
              0);
    EXPECT_TRUE(QFile::exists(path("r.csv")));
    const HostRun window = host({"--db", db}, Display::None);
    EXPECT_EQ(window.exitCode, 1);
    EXPECT_TRUE(window.errors.contains("display")) << window.errors.toStdString();
}

TEST_F(Host, HelpPrintsTheOptionsWithoutADisplay) {
    const HostRun help = host({"--help"}, Display::None);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"--db", "--odbc", "--pg", "--init-demo", "--screenshot", "--export-register"})
        EXPECT_TRUE(help.output.contains(QLatin1String(option))) << help.output.toStdString();
}

} // namespace
