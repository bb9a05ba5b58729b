#pragma once

#include "support/testdb.h"

#include <QDate>

// Points the caller context at the database (company, user, process date) and resolves the table
// names, as the register's load would.
void useContext(const TestDatabase& db, qint16 company, qint16 user, const QDate& processDate);
