#pragma once

#include "jobchange/linetable.h"
#include "jobchange/storedjobchange.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace data {
class Connection;
struct ResolvedTableNames;
} // namespace data

namespace jobchange {

// Where the history is read from: the connection, its table names, and who is asking; and the
// title of the messages its window shows.
struct HistorySource {
    data::Connection& connection;
    const data::ResolvedTableNames& tables;
    qint16 company = 0;
    qint16 user = 0;
    QDate processDate;
    QString messageTitle{};
};

// An amount in hundredths, exact.
using Cents = qint64;
// An amount as stored (a number, or its text) in hundredths, rounded half away from zero.
Cents centsOf(const QVariant& value);
// "1500.50": two decimals, no grouping.
QString amountText(Cents amount);

// One standing line: a type and its amount.
struct PayLine {
    qint32 typeId = 0;
    QString description;
    Cents amount = 0;
};

// A job, its basic pay and the standing lines: what an employee is paid from some day on.
struct Pay {
    qint32 designationId = 0;
    qint32 gradeId = 0;
    QString job; // grade, a blank, designation
    Cents basic = 0;
    std::vector<PayLine> allowances;
    std::vector<PayLine> deductions;
};

// The allowances or the deductions of a pay or of a job change.
template <class Holder> auto& linesOf(Holder& holder, LineKind kind) {
    return kind == LineKind::Allowance ? holder.allowances : holder.deductions;
}

// One line of a job change, with its stored letter: "O" a standing line kept, "N" a line the
// job change added, "R" a standing line it removed.
struct LineRevision {
    enum class Status { Kept, Revised, Added, Removed };

    qint32 typeId = 0;
    QString description;
    Cents oldAmount = 0;
    Cents revisedAmount = 0;
    QChar letter;

    Status status() const;
    bool standingBefore() const { return status() != Status::Added; }
    bool standingAfter() const { return status() != Status::Removed; }
};
QString statusText(LineRevision::Status status);

// A job change as its employee's history reads it: amounts in exact cents, jobs by name.
struct JobChangeRecord : JobChangeHeader {
    QString oldJob;
    QString newJob;
    Cents oldBasic = 0;
    Cents newBasic = 0;
    std::vector<LineRevision> allowances;
    std::vector<LineRevision> deductions;

    // The pay it replaced: the old job and basic, its kept and removed lines at old amounts.
    Pay payBefore() const;
    // The pay it set: the new job and basic, its kept and added lines at revised amounts.
    Pay payAfter() const;
};

// The pay in force on a day, and the job change it comes from.
struct PayInForce {
    Pay pay;
    // The job change that decides it (an index into the history); none without job changes.
    std::optional<size_t> source;
    // Whether the pay is what that job change set (true) or what it replaced (false: the day
    // is before it, or every job change is cancelled).
    bool afterSource = false;
};

// Job changes oldest first (by date, then id). Cancelled ones change nothing: a job change was
// cancelled before any later one was made, and its cancellation put everything back.
//
// The pay in force on `date`: what the latest uncancelled job change dated on or before it set;
// before the first, what that one replaced. Nothing for an employee without job changes.
std::optional<PayInForce> payOn(const std::vector<JobChangeRecord>& history, const QDate& date);
// What the employee master and standing lines must hold: what the latest uncancelled job
// change set, whatever its date (a job change is applied when saved); when every one is
// cancelled, what the first replaced.
std::optional<PayInForce> payByHistory(const std::vector<JobChangeRecord>& history);

// How a master differs from what its history says, one text per difference; empty when they
// agree. Jobs by designation and grade, lines by type and amount in any order.
QStringList differences(const Pay& master, const Pay& history);

struct EmployeeHistory {
    qint32 employeeId = 0;
    QString employeeNo;
    QString name;
    QString currency; // symbol
    Pay master;
    std::vector<JobChangeRecord> changes; // oldest first
};

// One employee's master, standing lines and job changes with their lines; nothing when the
// company has no such employee.
std::optional<EmployeeHistory> loadEmployeeHistory(const HistorySource& source, qint32 employeeId);
// The employee whose number is `employeeNo` (as typed), if the company has one.
std::optional<qint32> findEmployeeByNumber(const HistorySource& source, const QString& employeeNo);
// The name of the source's user, trimmed; nothing without a users row.
std::optional<QString> userName(const HistorySource& source);

struct Disagreement {
    qint32 employeeId = 0;
    QString employeeNo;
    QString name;
    QStringList differences;
};

struct HistoryCheck {
    int employeesChecked = 0; // those with job changes
    std::vector<Disagreement> disagreements;
};

// Compares the master and standing lines of every employee of the company that has job changes
// with what the history says; the disagreeing ones in employee order.
HistoryCheck checkHistory(const HistorySource& source);

} // namespace jobchange
