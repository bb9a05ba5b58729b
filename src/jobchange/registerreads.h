#pragma once

#include "data/rowstream.h"
#include "jobchange/workspace.h"

#include <QStringList>
#include <QVariantList>
#include <optional>

// What the register reads: its rows, titles and setting, and the job changes a clerk names.

namespace jobchange {

// The register's statements for a load that shows its newest rows first.
struct RegisterStatements {
    // The last `newestRows` rows of the register, newest first.
    QString newest;
    // Every row, in the register's order.
    QString all;
    // About how many rows the register lists: the company's job changes in its date range.
    QString count;
    // Every row after a given one, in the register's order: bound with registerKey of that row.
    QString allAfter;
    int newestRows = 0;
};

// What allAfter is bound with for the row a stream of the register stands on (its date,
// number and id, as stored). Empty when the row has no date or no number, after which no row
// could be told apart.
QVariantList registerKey(data::RowStream& rows);

class RegisterReads {
public:
    explicit RegisterReads(WorkspacePtr workspace) : workspace_(std::move(workspace)) {}

    const Workspace& workspace() const { return *workspace_; }

    // The register query, with its date filter when previousDays is above 0, in date order, then
    // number.
    QString registerSql(qint16 previousDays) const;
    data::Recordset registerRows(qint16 previousDays) const;
    RegisterStatements registerStatements(qint16 previousDays, int newestRows) const;
    // The same rows for the register's grid, read without a QVariant per field.
    data::RowStream registerStream(qint16 previousDays) const;
    // The register row of one job change; empty when the query does not list it.
    std::optional<QVariantList> registerRow(qint16 previousDays, qint32 id) const;
    // The register's column titles, in column order.
    QStringList columnTitles() const;
    // The company's NoOfPreviousDays setting (0 without one).
    qint16 previousDays() const;
    // Whether the employee of the job change has a later one that is not cancelled.
    bool laterUncancelledExists(qint32 id) const;
    // The company's job change named by the text: as an id when it is all digits and names one,
    // else as a job change number in any case; the lowest id when several share the number.
    std::optional<qint32> findJobChange(const QString& idOrNumber) const;

private:
    // The register query without its ordering, to which a condition can be added.
    QString registerRowsSql(qint16 previousDays) const;

    WorkspacePtr workspace_;
};

} // namespace jobchange

// The register query of a company (before its date filter), in a server's dialect.
QString RegisterQuery(const data::Dialect& dialect, const data::ResolvedTableNames& tables,
                      qint16 companyId);
// The date filter appended to it: job changes dated on or after the cut-off day.
QString RegisterDateFilter(const data::Dialect& dialect, const QDate& cutoff);
// The register's ordering clause: date, then number (then id), or the reverse.
QString RegisterOrder(const data::Dialect& dialect, bool newestFirst = false);
