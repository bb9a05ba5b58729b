#pragma once

#include "data/dberror.h"

namespace jobchange {

// A statement that fails on a connection never opened (3709) tells the host what to look at:
// the connection properties it should have assigned.
[[noreturn]] inline void passOnWithHint(data::DbError error) {
    if (error.number() == data::kErrConnectionClosed)
        error.setDescription(error.description() + QLatin1Char('\r') +
                             QStringLiteral("HINT: Check whether Properties assigned"));
    throw error;
}

} // namespace jobchange
