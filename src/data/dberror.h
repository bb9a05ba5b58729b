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
// The server connection broke (the server ended the session, a network outage, the connection
// closed under the program): whatever the statement was doing did not happen, or, for COMMIT,
// may have happened. The next statement outside a transaction reopens the connection.
inline constexpr int kErrConnectionLost = static_cast<int>(0x80072746u);

// The one error type of the database layer: what a handler shows or passes on.
class DbError : public std::runtime_error {
public:
    DbError(int number, QString source, QString description);

    int number() const { return number_; }
    const QString& source() const { return source_; }
    // What the clerk is shown.
    const QString& description() const { return description_; }
    void setDescription(const QString& description);

    // For whoever reads the trace, never for the clerk: the statement the server refused and
    // the operation of the connection that sent it ("open", "execute", "commit", ...). Both
    // empty when the error did not come from a statement.
    const QString& statement() const { return statement_; }
    const QString& operation() const { return operation_; }
    void setOrigin(QString operation, QString statement);

    static DbError connectionClosed(const QString& source);
    bool connectionLost() const { return number_ == kErrConnectionLost; }

private:
    int number_;
    QString source_;
    QString description_;
    QString statement_;
    QString operation_;
};

} // namespace data
