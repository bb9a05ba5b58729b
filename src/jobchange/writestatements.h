#pragma once

#include "data/connection.h"
#include "data/tablenames.h"
#include "jobchange/linetable.h"

#include <QString>
#include <array>

namespace jobchange {

// Rows added to a table by multi-row INSERTs: "insert into t (a, b) values (?, ?), (?, ?)...",
// as few statements as the servers' limit on bound values allows. Every value is bound, so a
// batch's statements have a handful of texts, each prepared once.
class RowInserts {
public:
    RowInserts(const QString& table, const QStringList& columns);

    // Queues one row's values, one for each column, in column order.
    void add(const QVariantList& values);
    // Writes the rows queued and forgets them.
    void flush(data::Connection& connection);
    int columnCount() const { return columns_; }

private:
    QString head_;
    QString row_;
    int columns_;
    QVariantList values_;
};

// SQL Server takes at most 2,100 bound values a statement, SQLite before 3.32 at most 999.
inline constexpr int kMaxBoundValues = 999;

// The texts of a new job change's write statements under the installation's table names, built
// once: every value is bound, so the texts are the same for every job change and a batch of
// them prepares each statement once.
struct WriteStatements {
    explicit WriteStatements(const data::ResolvedTableNames& tables);

    // company, id, number, date, old designation, old grade, employee, new designation, new
    // grade, old basic, new basic, remarks, cancelled
    RowInserts headers() const;
    // basic, grade, designation; company, employee
    QString updateEmployee;

    struct OfKind {
        QString gcTable, empTable;
        QStringList lineColumns, standingColumns;
        // company, job change, detail, letter, type, revised amount, old amount
        RowInserts lines() const { return {gcTable, lineColumns}; }
        // company, employee, detail, type, amount
        RowInserts standing() const { return {empTable, standingColumns}; }
        // The standing lines' company column, and their employee column.
        QString empCompany, empEmployee;
    };
    const OfKind& of(LineKind kind) const { return kinds[static_cast<size_t>(kind)]; }

    std::array<OfKind, 2> kinds;

private:
    QString headerTable_;
    QStringList headerColumns_;
};

// Deletes the rows of a table that the criterion selects.
bool fnDeleteRows(data::Connection& connection, const QString& table, const QString& criterion,
                  const QVariantList& binds = {});

} // namespace jobchange
