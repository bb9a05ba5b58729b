#pragma once

// Starting quorvel-clerk processes on a test's database and reading what they said.

#include "support/testdb.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <vector>

// The clerk program, built beside the test programs.
inline QString clerkProgram() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/quorvel-clerk");
}

// The options that take a clerk to the test's database by the road the test itself takes.
inline QStringList clerkSource(const TestDatabase& db) {
    if (db.isPostgres())
        return {QStringLiteral("--pg"), qEnvironmentVariable("QUORVEL_TEST_PG") +
                                            QStringLiteral(" dbname=") +
                                            db.db().database().databaseName()};
    if (qEnvironmentVariableIsSet("QUORVEL_TEST_ODBC"))
        return {QStringLiteral("--odbc"), QStringLiteral("Driver=SQLite3;Database=") +
                                              db.sqlitePath() + QStringLiteral(";Timeout=10000")};
    return {QStringLiteral("--db"), db.sqlitePath()};
}

struct CommittedSave {
    qint64 id = 0;
    QString number;
    qint32 employee = 0;
};

// What one clerk process said, line by line (see clerk.cpp).
struct ClerkReport {
    std::vector<CommittedSave> committed;
    QStringList reported; // the messages, one per save that was reported
    int retried = 0;
    int edited = 0;
    int cancelled = 0;
    int skipped = 0;
    bool ready = false;
    bool done = false;
    QStringList unexpected;

    int saves() const { return static_cast<int>(committed.size()) + reported.size(); }

    void read(const QByteArray& output) {
        const QList<QByteArray> lines = output.split('\n');
        for (const QByteArray& raw : lines) {
            const QString line = QString::fromUtf8(raw);
            if (line.isEmpty())
                continue;
            const QStringList words = line.split(QLatin1Char(' '));
            const QString& what = words.first();
            if (what == QLatin1String("ready")) {
                ready = true;
            } else if (what == QLatin1String("done")) {
                done = true;
            } else if (what == QLatin1String("committed") && words.size() == 5) {
                committed.push_back({words[1].toLongLong(), words[2], words[3].toInt()});
                retried += words[4].toInt();
            } else if (what == QLatin1String("reported") && words.size() >= 2) {
                retried += words[1].toInt();
                reported << line.section(QLatin1Char(' '), 2);
            } else if (what == QLatin1String("edited")) {
                ++edited;
            } else if (what == QLatin1String("cancelled")) {
                ++cancelled;
            } else if (what == QLatin1String("skipped")) {
                ++skipped;
            } else {
                unexpected << line;
            }
        }
    }
};

// A clerk process; killed (not waited for) if still running when it goes.
class ClerkProcess {
public:
    ClerkProcess(const TestDatabase& db, const QStringList& options) {
        process_.setProgram(clerkProgram());
        process_.setArguments(clerkSource(db) + options);
        process_.start();
    }
    ~ClerkProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    ClerkProcess(const ClerkProcess&) = delete;
    ClerkProcess& operator=(const ClerkProcess&) = delete;

    QProcess& process() { return process_; }

    // Waits until the clerk has said a line beginning with the word.
    bool waitFor(const QByteArray& word, int milliseconds) {
        while (!output_.startsWith(word + '\n') && !output_.contains('\n' + word + '\n')) {
            if (!process_.waitForReadyRead(milliseconds))
                return false;
            output_ += process_.readAllStandardOutput();
        }
        return true;
    }

    // Starts a clerk that waits (--wait) for the word.
    void go() {
        process_.write("go\n");
        process_.waitForBytesWritten(5000);
    }

    // Waits for the end and reads everything the clerk said.
    ClerkReport finish(int milliseconds) {
        process_.waitForFinished(milliseconds);
        output_ += process_.readAllStandardOutput();
        errors_ += process_.readAllStandardError();
        ClerkReport report;
        report.read(output_);
        return report;
    }

    const QByteArray& errors() const { return errors_; }

private:
    QProcess process_;
    QByteArray output_;
    QByteArray errors_;
};
