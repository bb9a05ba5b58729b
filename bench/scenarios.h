#pragma once

#include "bench/rawfloor.h"
#include "data/connection.h"
#include "data/tablenames.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class FrmMaster;

namespace bench {

// A generated payroll database as a host hands it to the component: an open connection and
// the caller context that clsGrade::Show fills in.
class Installation {
public:
    Installation(const QString& file, const QDate& processDate);
    // An installation on a server the caller opened (no file: no raw floors).
    Installation(data::ConnectionPtr connection, const QDate& processDate);

    const QString& file() const { return file_; }
    data::Connection& db() const { return *connection_; }
    const data::ConnectionPtr& connection() const { return connection_; }
    const data::ResolvedTableNames& tables() const { return tables_; }
    const QDate& processDate() const { return processDate_; }
    // Sets the caller context as Show does, for user 1 of company 1.
    void enter() const;
    // Active employees who may get a new job change and hold at most ten standing lines of
    // each kind, every third one from `offset` (0, 1 or 2), so callers do not share them.
    std::vector<qint32> employeesForNewJobChanges(int offset, int count) const;
    // Uncancelled job changes that are the latest of their employee, likewise spread.
    std::vector<qint32> latestJobChanges(int offset, int count) const;
    // A new job change with ten allowance and ten deduction lines for the employee: its
    // standing lines carried over and raised, the rest added.
    RawJobChange newJobChange(qint32 employee) const;

private:
    QString file_;
    QDate processDate_;
    data::ConnectionPtr connection_;
    data::ResolvedTableNames tables_;
};

// Messages shown while the benchmark drives the windows, answered OK (or Yes) at once.
class MessageLog {
public:
    MessageLog();
    ~MessageLog();
    QStringList take();
};

// The register as Show loads it, every row in (the window is not shown).
std::unique_ptr<FrmMaster> loadRegister(const Installation& installation);

// The grid row of a job change, 0 when it is not listed.
int registerRow(FrmMaster& frm, qint32 jobChangeId);

// One search keystroke on the employee-name column of the shown register: the text typed so
// far is searched once (so the grid is in order), then the key is typed and timed up to the
// grid's repaint. Empty, with `problem`, when the selected row's name does not begin with the
// text.
std::optional<double> timeSearch(FrmMaster& frm, const QString& before, QChar key,
                                 QString& problem);
// One sort on the employee-name column, ascending, from the order of the number column, up to
// the grid's repaint. Empty, with `problem`, when the rows are not in name order afterwards.
std::optional<double> timeSort(FrmMaster& frm, QString& problem);

// The following act on a register from loadRegister, whose load completed the caller context.

// New from the register, the entry window driven as a clerk would (employee, new job, new
// basic, lines to ten of each kind), and the save button's click timed. Empty when the save
// did not succeed; `problem` says why.
std::optional<double> timeSave(FrmMaster& frm, const Installation& installation, qint32 employee,
                               QString& problem);

// The cancellation window's OK on the register row of the job change. Empty, with `problem`,
// when the job change was not cancelled.
std::optional<double> timeCancel(FrmMaster& frm, const Installation& installation,
                                 qint32 jobChangeId, QString& problem);

} // namespace bench
