#include "support/check.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <sys/stat.h>

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

int fileMode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

std::optional<QString> pdfText(const QString& path, bool layout) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(tool, (layout ? QStringList{QStringLiteral("-layout")} : QStringList{}) +
                            QStringList{path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : name_(name), saved_(qgetenv(name)) {
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv() {
    if (saved_.isNull())
        qunsetenv(name_);
    else
        qputenv(name_, saved_);
}
