#pragma once

#include "data/connection.h"
#include "data/tablenames.h"
#include "jobchange/linetable.h"

#include <QString>
#include <array>

namespace jobchange {

// The texts of a new job change's write statements under the installation's table names, built
// once: every value is bound, so the texts are the same for every job change and a batch of
// them prepares each statement once.
struct WriteStatements {
    explicit WriteStatements(const data::ResolvedTableNames& tables);

    // company, id, number, date, old designation, old grade, employee, new designation, new
    // grade, old basic, new basic, remarks, cancelled
    QString insertHeader;
    // basic, grade, designation; company, employee
    QString updateEmployee;

    struct OfKind {
        // company, job change, detail, letter, type, revised amount, old amount
        QString insertLine;
        // company, employee, detail, type, amount
        QString insertStanding;
        // company, employee: what fnDeleteRows takes
        QString standingCriterion;
    };
    const OfKind& of(LineKind kind) const { return kinds[static_cast<size_t>(kind)]; }

    std::array<OfKind, 2> kinds;
};

// Deletes the rows of a table that the criterion selects.
bool fnDeleteRows(data::Connection& connection, const QString& table, const QString& criterion,
                  const QVariantList& binds = {});

} // namespace jobchange
