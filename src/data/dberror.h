#pragma once

#include <QString>
#include <stdexcept>

namespace data {

// Error numbers that callers test for.
inline constexpr int kErrConnectionClosed = 3709; // closed or never opened
inline constexpr int kErrIntegrityViolation = static_cast<int>(0x80040E2Fu); // constraint violated
inline constexpr int kErrGeneric = static_cast<int>(0x80004005u);
// Another connection held the data locked too long, or the server gave up this transaction to
// let another through (deadlock, serialization failure): trying again may succeed.
inline constexpr int kErrLockConflict = static_cast<int>(0x80040E31u);
inline constexpr int kErrCannotCreateObject = 429;

// The one error type of the database layer: what a handler shows or passes on.
class DbError : public std::runtime_error {
public:
    DbError(int number, QString source, QString description, QString helpFile = {},
            int helpContext = 0);

    int number() const { return number_; }
    const QString& source() const { return source_; }
    const QString& description() const { return description_; }
    const QString& helpFile() const { return helpFile_; }
    int helpContext() const { return helpContext_; }
    void setDescription(const QString& description);

    static DbError connectionClosed(const QString& source);

private:
    int number_;
    QString source_;
    QString description_;
    QString helpFile_;
    int helpContext_;
};

} // namespace data
