#pragma once

#include "data/dberror.h"

#include <QString>
#include <gtest/gtest.h>
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
