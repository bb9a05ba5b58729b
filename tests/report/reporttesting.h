#pragma once

// What the report tests share: a settings file that names no data source, so that a user's own
// data sources never leak into a test, and the text of a PDF.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <optional>

class NoDataSources {
public:
    NoDataSources() : saved_(qgetenv("QUORVEL_DATASOURCES")) {
        qputenv("QUORVEL_DATASOURCES", dir_.filePath(QStringLiteral("none.ini")).toUtf8());
    }
    ~NoDataSources() { qputenv("QUORVEL_DATASOURCES", saved_); }
    NoDataSources(const NoDataSources&) = delete;
    NoDataSources& operator=(const NoDataSources&) = delete;

    // Makes the settings file name one data source.
    void name(const QString& dataSource, const QString& driver, const QString& database) const {
        QFile file(dir_.filePath(QStringLiteral("none.ini")));
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.write(QStringLiteral("[%1]\ndriver=%2\ndatabase=%3\n")
                           .arg(dataSource, driver, database)
                           .toUtf8());
    }

private:
    QTemporaryDir dir_;
    QByteArray saved_;
};

// The text of a PDF as pdftotext lays it out; nothing when pdftotext is not installed.
inline std::optional<QString> pdfText(const QString& path) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline bool isPdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
}
