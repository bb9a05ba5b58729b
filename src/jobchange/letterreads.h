#pragma once

#include "jobchange/entryreads.h"
#include "jobchange/linetable.h"
#include "jobchange/storedjobchange.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

// What a revision letter states, read for it: which job changes a range of numbers or a date
// names, and each stored job change with the names of its employee, jobs, line types and
// currencies.

namespace jobchange {

struct LetterLine {
    LineKind kind = LineKind::Allowance;
    QString letter; // "O" kept, "N" added, "R" removed
    QString type;   // the allowance or deduction type's description
    data::StoredAmount oldAmount;
    data::StoredAmount revisedAmount;
    QString currency;
    QString symbol;
};

struct LetterJobChange {
    StoredJobChange stored;
    QString employeeNo;
    QString employeeName;
    QString oldDesignation;
    QString oldGrade;
    QString newDesignation;
    QString newGrade;
    QString currency; // the employee's, in which the basic pay is
    QString symbol;
    std::vector<LetterLine> lines; // allowances, then deductions, each in line order
};

// A company's job change numbers from prefix + first to prefix + last.
struct NumberRange {
    QString prefix;
    qint64 first = 0;
    qint64 last = 0;
};

class LetterReads {
public:
    explicit LetterReads(WorkspacePtr workspace);

    // The company's job changes dated on the day, in number order.
    std::vector<qint32> datedOn(const QDate& day) const;
    // The company's job changes numbered in the range (the prefix in any case, the running
    // number with or without leading zeros), in number order.
    std::vector<qint32> numbered(const NumberRange& range) const;
    // The job change with its names; nothing when the company has none with the id. The names
    // of designations, grades, line types and currencies are read once per reader.
    std::optional<LetterJobChange> read(qint32 id) const;

private:
    struct Named {
        QString name;
        qint32 currencyId = 0;
    };
    struct Currency {
        QString name;
        QString symbol;
    };
    void readNames() const;
    // Every row of a statement of ids and names.
    QHash<qint64, Named> namesOf(const QString& sql) const;

    WorkspacePtr workspace_;
    EntryReads reads_;
    mutable bool namesRead_ = false;
    mutable QHash<qint64, Named> designations_;
    mutable QHash<qint64, Named> grades_;
    mutable std::array<QHash<qint64, Named>, 2> types_; // by LineKind
    mutable QHash<qint64, Currency> currencies_;
};

} // namespace jobchange
