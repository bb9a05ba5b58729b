#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>
#include <sys/stat.h>

// quorvel-host, built beside the test programs, run as a program.

struct HostRun {
    int exitCode = -1;
    QString errors;
    QString output;
};

enum class Display { Offscreen, None };

// Nothing masked while it lives: what is owner-only is so by the program's own doing.
struct NoUmask {
    mode_t before = ::umask(0);
    ~NoUmask() { ::umask(before); }
};

// Starts it with its runtime folder, and a data-source settings file that does not exist, in
// dir: no user's own settings reach a test.
inline void startHost(QProcess& process, const QStringList& arguments, const QString& dir,
                      Display display = Display::Offscreen) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (display == Display::Offscreen) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        // As from a terminal without X or Wayland.
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    environment.insert(QStringLiteral("QUORVEL_DATASOURCES"), dir + QStringLiteral("/none.ini"));
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quorvel-host"),
                  arguments);
}

// Runs it to the end.
inline HostRun runHost(const QStringList& arguments, const QString& dir,
                       Display display = Display::Offscreen) {
    QProcess process;
    startHost(process, arguments, dir, display);
    EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString();
    return HostRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromUtf8(process.readAllStandardError()),
                   QString::fromUtf8(process.readAllStandardOutput())};
}
