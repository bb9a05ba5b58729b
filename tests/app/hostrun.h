#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

// quorvel-host, built beside the test programs, run as a program.

struct HostRun {
    int exitCode = -1;
    QString errors;
    QString output;
};

enum class Display { Offscreen, None };

// Runs it with its runtime folder, and a data-source settings file that does not exist, in dir:
// no user's own settings reach a test.
inline HostRun runHost(const QStringList& arguments, const QString& dir,
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
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    environment.insert(QStringLiteral("QUORVEL_DATASOURCES"), dir + QStringLiteral("/none.ini"));
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quorvel-host"),
                  arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString();
    return HostRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromUtf8(process.readAllStandardError()),
                   QString::fromUtf8(process.readAllStandardOutput())};
}
