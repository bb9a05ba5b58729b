#include "export/ownerfile.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tableexport {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString notRegularFileReason(const QString& path) {
    struct stat info {};
    // Through links: a link to a device is as bad as the device.
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("it is a device");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("it is a socket");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("it is a pipe");
    return QStringLiteral("it is not a regular file");
}

OwnerOnlyFile::OwnerOnlyFile(const QString& target) : target_(target) {
    if (target.isEmpty())
        throw ExportError(QStringLiteral("No file name was given for the export."));
    if (const QString reason = notRegularFileReason(target); !reason.isEmpty())
        fail(reason + QStringLiteral(", not a regular file; nothing was written"));
    const QFileInfo info(target);
    destination_ = info.isSymLink() && info.exists() ? info.canonicalFilePath() : target;

    const QFileInfo where(destination_);
    QByteArray name = QFile::encodeName(
        where.dir().filePath(QLatin1Char('.') + where.fileName() + QStringLiteral(".XXXXXX")));
    // mkostemp creates the file 0600 whatever the umask, and never opens an existing one.
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        fail(systemReason());
    temporary_ = QFile::decodeName(name);
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 ||
        !file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        const QString reason = systemReason();
        if (!file_.isOpen())
            ::close(fd);
        ::unlink(name.constData());
        fail(reason);
    }
}

OwnerOnlyFile::~OwnerOnlyFile() {
    if (committed_)
        return;
    file_.close();
    ::unlink(QFile::encodeName(temporary_).constData());
}

void OwnerOnlyFile::write(const QByteArray& bytes) {
    if (file_.write(bytes) != bytes.size())
        fail(file_.errorString());
}

void OwnerOnlyFile::commit() {
    const QByteArray temporary = QFile::encodeName(temporary_);
    if (file_.isOpen()) {
        if (!file_.flush() || ::fsync(file_.handle()) != 0)
            fail(file_.error() != QFileDevice::NoError ? file_.errorString() : systemReason());
        file_.close();
    } else if (const int fd = ::open(temporary.constData(), O_RDONLY | O_CLOEXEC); fd >= 0) {
        // A library closed the file when it finished with it.
        const bool synced = ::fsync(fd) == 0;
        ::close(fd);
        if (!synced)
            fail(systemReason());
    }
    if (file_.error() != QFileDevice::NoError)
        fail(file_.errorString());
    struct stat info {};
    if (::stat(temporary.constData(), &info) != 0)
        fail(systemReason());
    if (info.st_size == 0)
        fail(QStringLiteral("nothing was written"));
    // Looked at again: the target may have changed since the file was begun.
    if (const QString reason = notRegularFileReason(destination_); !reason.isEmpty())
        fail(reason + QStringLiteral(", not a regular file; nothing was written"));
    if (::rename(temporary.constData(), QFile::encodeName(destination_).constData()) != 0)
        fail(systemReason());
    committed_ = true;
}

void OwnerOnlyFile::fail(const QString& reason) const {
    throw ExportError(QStringLiteral("Cannot write %1: %2").arg(shown(target_), reason));
}

QByteArray readSmallFile(const QString& path, qint64 maxBytes) {
    const auto refuse = [&](const QString& reason) {
        return FileError(QStringLiteral("Cannot read %1: %2").arg(shown(path), reason));
    };
    if (const QString reason = notRegularFileReason(path); !reason.isEmpty())
        throw refuse(reason + QStringLiteral(", not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw refuse(file.errorString());
    // Read one byte past the limit, in case the file grew after it was looked at.
    const QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes)
        throw refuse(maxBytes % (1 << 20) == 0
                         ? QStringLiteral("it is larger than %1 MiB").arg(maxBytes >> 20)
                         : QStringLiteral("it is larger than %1 bytes").arg(maxBytes));
    if (file.error() != QFileDevice::NoError)
        throw refuse(file.errorString());
    return bytes;
}

} // namespace tableexport
