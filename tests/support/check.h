#pragma once

#include "data/dberror.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <type_traits>

// QString in failure messages, and after << on an assertion, as its text.
inline std::ostream& operator<<(std::ostream& os, const QString& text) {
    return os << text.toStdString();
}
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text;
}

// The error the call threw; a call that throws none fails the test and gives "no error".
template <typename Error = data::DbError, typename Call> Error thrown(Call&& call) {
    try {
        call();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error";
    if constexpr (std::is_constructible_v<Error, QString>)
        return Error(QStringLiteral("no error"));
    else
        return Error(0, {}, QStringLiteral("no error"));
}

// A file's bytes; none when it cannot be read.
QByteArray readFile(const QString& path);
// The bytes written over the file; false when it could not be.
bool writeFile(const QString& path, const QByteArray& bytes);
// The permission bits of a file, as ls shows them in octal; -1 when there is none.
int fileMode(const QString& path);
// The text pdftotext reads from a PDF (laid out as printed when asked); none without the tool.
std::optional<QString> pdfText(const QString& path, bool layout = false);

// An environment variable set (or unset, for a null value) until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    QByteArray saved_;
};
