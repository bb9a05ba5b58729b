#pragma once

#include <QString>
#include <stdexcept>

// An error whose message is shown to the user as it stands; what() holds the same text.
class MessageError : public std::runtime_error {
public:
    explicit MessageError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};
