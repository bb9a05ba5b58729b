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

// The same text as canonicalJson(stateJson(employee, jobChange)), written directly where its
// texts need no escape: a batch records thousands.
QString stateText(const EmployeeState& employee, const StoredJobChange* jobChange);

// The same text as canonicalJson(employeeJson(employee)), in UTF-8, written directly: the check
// compares every employee of the company.
QByteArray employeeText(const EmployeeState& employee);

// The employee's part of a stored state text, as canonical text; empty when it has none.
QString employeePart(const QString& stateText);
// The same in UTF-8: a view into stateText where it can be cut out as it stands, else into
// scratch.
QByteArrayView employeePart(QByteArrayView stateText, QByteArray& scratch);

// What the first row of a chain takes as the previous row's hash.
inline const QString kFirstPrevHash = QString(64, QLatin1Char('0'));

// An audit row's fields as the database holds them, text in UTF-8.
struct AuditRowView {
    qint16 companyId = 0;
    qint64 seq = 0;
    qint32 userId = 0;
    qint32 jobChangeId = 0;
    qint32 employeeId = 0;
    QByteArrayView time, userName, computer, osUser, action, number, before, after, remark,
        prevHash;
    QByteArrayView hash; // as stored; not part of what is hashed
};

// Where a row's states were written within the text appendHashedText appended to; -1 for none.
struct AuditStatesAt {
    qsizetype before = -1;
    qsizetype after = -1;
};

// Appends what a row's hash is taken over: its canonical text in UTF-8 (every field but the
// hashes, keys sorted, the states embedded as they stand), then the previous row's hash.
AuditStatesAt appendHashedText(QByteArray& out, const AuditRowView& row);

// SHA-256 of the bytes, in lowercase hex.
QByteArray sha256Hex(QByteArrayView bytes);

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

    // SHA-256, in hex, over the canonical text followed by the previous row's hash.
    QString computedHash() const;
};

} // namespace jobchange
