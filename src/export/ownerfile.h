#pragma once

#include "data/messageerror.h"

#include <QFile>
#include <QString>

// Files that hold pay or names, written so that no one else can read them and nothing is left
// half-written; and settings files read without trusting their size or kind.
namespace tableexport {

// A file that could not be read or written; message() names it and says why.
class FileError : public MessageError {
public:
    using MessageError::MessageError;
};

// A file that could not be written.
class ExportError : public FileError {
public:
    using FileError::FileError;
};

// Every file the program writes that holds pay or names goes through this: it is written under
// a temporary name in the target's folder, created readable and writable by its owner alone
// (0600, whatever the umask), and renamed over the target by commit(). Dropped before commit(),
// it removes the temporary file and leaves the target as it was. A target that exists and is
// not a regular file (a device, a folder, a socket, a pipe) is refused before anything is
// created; a link to a regular file replaces the file it names.
class OwnerOnlyFile {
public:
    // Throws ExportError naming the target when it is refused or the folder cannot take a file.
    explicit OwnerOnlyFile(const QString& target);
    ~OwnerOnlyFile();
    OwnerOnlyFile(const OwnerOnlyFile&) = delete;
    OwnerOnlyFile& operator=(const OwnerOnlyFile&) = delete;

    // The temporary file, open for writing.
    QFile& device() { return file_; }
    // For a library that opens the file by its name: write there, then commit().
    QString temporaryPath() const { return temporary_; }
    const QString& target() const { return target_; }

    // Throws ExportError naming the target when a write did not take.
    void write(const QByteArray& bytes);
    // Flushes the file to disk and renames it over the target; throws ExportError when the
    // file is empty, a write failed, or the target became something other than a regular file.
    void commit();
    [[noreturn]] void fail(const QString& reason) const;

private:
    QString target_;
    QString destination_; // the target, or the file a link there names
    QString temporary_;
    QFile file_;
    bool committed_ = false;
};

// Why an existing path is not a regular file ("it is a folder", "it is a device", ...), or an
// empty text when it is one or does not exist.
QString notRegularFileReason(const QString& path);

// The whole of a small file that is read whole: refused with FileError (naming the file) when
// it is not a regular file or holds more than maxBytes, so that a device or a pipe given by
// mistake cannot make the program read without end.
QByteArray readSmallFile(const QString& path, qint64 maxBytes);

} // namespace tableexport
