#include "app/hostrun.h"
#include "support/check.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

class Host : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    HostRun host(const QStringList& arguments, Display display = Display::Offscreen) const {
        return runHost(arguments, dir.path(), display);
    }
};

TEST_F(Host, TheDemoDatabaseServesEachCommandAndEveryFileWrittenIsTheOwnersAlone) {
    const QString db = path("demo.sqlite");
    // Even with nothing masked, the files that hold pay are created for their owner only.
    const NoUmask noUmask;
    const HostRun first = host({"--db", db, "--init-demo", "--process-date", "2026-11-30",
                                "--screenshot", path("register.png")});
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_TRUE(QFile::exists(db));
    const QImage picture(path("register.png"));
    EXPECT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 400);

    // The existing file opens without --init-demo; the trace records the register's query.
    const HostRun second = host({"--db", db, "--company", "2", "--sql-trace", path("trace.sql"),
                                 "--screenshot", path("second.png")});
    ASSERT_EQ(second.exitCode, 0) << second.errors;
    EXPECT_TRUE(readFile(path("trace.sql")).contains("select egcid, egcno, egcdate, ename,"));
    EXPECT_EQ(fileMode(db), 0600);
    EXPECT_EQ(fileMode(path("trace.sql")), 0600);

    // A PDF of a job change without a window (what it holds is the export commands' test).
    EXPECT_EQ(host({"--db", db, "--export-pdf", "39", "--out", path("jc39.pdf")}).exitCode, 0);
    for (const char* file : {"register.png", "jc39.pdf"})
        EXPECT_EQ(fileMode(path(file)), 0600) << file;

    // Without --interface, a batch is numbered with the module's own prefix, as the register's.
    ASSERT_TRUE(writeFile(path("raise.ini"), "[employees]\ngrade = 3\n[change]\n"
                                             "date = 2027-01-01\nbasic = +1%\n"));
    const HostRun bulk = host({"--db", db, "--process-date", "2026-11-30", "--bulk",
                               path("raise.ini"), "--apply", "--out", path("raise.csv")});
    ASSERT_EQ(bulk.exitCode, 0) << bulk.errors;
    EXPECT_TRUE(QRegularExpression("Saved \\d+ job changes, JC\\d+ to JC\\d+\\.")
                    .match(bulk.output)
                    .hasMatch())
        << bulk.output;

    // Without a display, help and the exports work and only the window is refused.
    EXPECT_EQ(host({"--help"}, Display::None).exitCode, 0);
    EXPECT_EQ(host({"--db", db, "--export-register", path("r.CSV")}, Display::None).exitCode, 0);
    EXPECT_TRUE(readFile(path("r.CSV")).startsWith("Job No,Job Date,Employee Name,"));
    const HostRun window = host({"--db", db}, Display::None);
    EXPECT_EQ(window.exitCode, 1);
    EXPECT_TRUE(window.errors.contains("display")) << window.errors;

    // An export to what is not a regular file is refused with exit 1 and leaves it as it was.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    const QStringList exports[] = {
        {"--export-register", path("pipe")},
        {"--export-pdf", "39", "--out", path("pipe")},
    };
    for (const QStringList& options : exports) {
        const HostRun run = host(QStringList{"--db", db} + options);
        EXPECT_EQ(run.exitCode, 1) << options.join(' ');
        EXPECT_TRUE(
            run.errors.contains("Cannot write " + options[options.size() - 1] + ": it is a "))
            << run.errors;
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path("pipe")).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(Host, BadOptionsOrAMissingDatabaseExitWithStatusTwoAndOneLineCreatingNothing) {
    const QString db = path("none.sqlite");
    const QStringList init{"--db", db, "--init-demo"};
    const std::tuple<QStringList, Display, const char*> cases[] = {
        // the line names the last
        {init + QStringList{"--bogus"}, Display::Offscreen, "bogus"},
        {init + QStringList{"--company", "abc"}, Display::Offscreen, "abc"},
        {init + QStringList{"--process-date", "2026-02-30"}, Display::Offscreen, "2026-02-30"},
        {{"--init-demo"}, Display::Offscreen, "--db"},
        {{"--db", db}, Display::None, "none.sqlite"},
        {init + QStringList{"--export-register", path("r.csv"), "--export-pdf", "39", "--out",
                            path("r.pdf")},
         Display::Offscreen, "--export"},
        // A trace that cannot be kept stops the run before the database is created.
        {init + QStringList{"--sql-trace", dir.path()}, Display::Offscreen, "folder"},
        {init + QStringList{"--sql-trace", path("no/such/trace.sql")}, Display::Offscreen,
         "no/such/trace.sql"},
    };
    for (const auto& [arguments, display, named] : cases) {
        SCOPED_TRACE(arguments.join(' '));
        const HostRun run = host(arguments, display);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.errors.trimmed().count('\n'), 0) << run.errors;
        EXPECT_TRUE(run.errors.contains(named)) << run.errors;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
}

} // namespace
