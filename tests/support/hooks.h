#pragma once

#include "data/connection.h"

#include <functional>

// Runs the step before every write statement (INSERT, UPDATE, DELETE) and before COMMIT on the
// connection: where a test injects a failure. Cleared with setStatementHook({}).
inline void hookWrites(data::Connection& connection, std::function<void(const QString&)> step) {
    connection.setStatementHook([step = std::move(step)](const QString& sql) {
        if (data::isWriteStatement(sql) || sql == QLatin1String("commit"))
            step(sql);
    });
}
