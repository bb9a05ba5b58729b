#pragma once

#include "jobchange/storedjobchange.h"

#include <QJsonObject>
#include <QString>
#include <QVariant>

// The values an audit row holds, as canonical JSON: keys sorted, no blanks, amounts as decimal
// text with two decimals, dates ISO, ids as numbers. One value always gives one text, so a row's
// hash can be computed again from what is stored, and two states compare as texts.

namespace jobchange {

// Canonical text of a JSON object or array.
QString canonicalJson(const QJsonObject& object);
// An employee's master and standing lines: {"allowances":[{"amount":"2000.00","type":1}],
// "basic":"35000.00","deductions":[],"designation":5,"grade":2}, lines by type then amount.
QJsonObject employeeJson(const EmployeeState& employee);
// A job change's header and lines (letter, type, old and revised amounts).
QJsonObject jobChangeJson(const StoredJobChange& jobChange);
// A write's state: {"employee":...,"jobChange":...}, the job change left out when there is none.
QJsonObject stateJson(const EmployeeState& employee, const StoredJobChange* jobChange);

// The employee's part of a stored state text, as canonical text; empty when it has none.
QString employeePart(const QString& stateText);

// What the first row of a chain takes as the previous row's hash.
inline const QString kFirstPrevHash = QString(64, QLatin1Char('0'));

// One audit row as stored. Ids of nothing (a baseline's job change) are 0, stored as null.
struct AuditRow {
    qint16 companyId = 0;
    qint64 seq = 0;
    QString time;
    qint32 userId = 0;
    QString userName;
    QString computer;
    QString osUser;
    QString action;
    qint32 jobChangeId = 0;
    QString number;
    qint32 employeeId = 0;
    QString before; // canonical JSON, or empty for none
    QString after;
    QString remark;
    QString prevHash;
    QString hash;

    // The row's canonical text: every field but the hashes, keys sorted, the states embedded.
    QString canonicalText() const;
    // SHA-256, in hex, over the canonical text followed by the previous row's hash.
    QString computedHash() const;
};

} // namespace jobchange
