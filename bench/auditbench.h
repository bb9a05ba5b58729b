#pragma once

#include "data/connection.h"

#include <QDate>
#include <QString>

namespace bench {

// Adds `rows` rows to company 1's audit trail, chained on from its tail as the program chains
// them, in one transaction: each a write of an employee (in turn) whose pay it leaves as it
// stands, so that the check finds the trail and every employee sound. Returns the rows the
// trail then holds.
qint64 fillAuditTrail(const data::ConnectionPtr& connection, const QDate& processDate, qint64 rows);

// The trail's check of company 1 timed, in ms; problem says what it found when it did not
// verify.
double timeVerifyAudit(const data::ConnectionPtr& connection, const QDate& processDate,
                       QString& problem);

} // namespace bench
