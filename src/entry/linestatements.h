#pragma once

#include "lineeditor/linekind.h"

#include <QString>

class QTreeWidget;

// How the allowance or deduction lines of one kind are read and written: the employee's
// standing lines, the stored lines of a job change, and the columns both are written with.
// Table names are the resolved ones of the caller context.
class LineStatements {
public:
    explicit LineStatements(LineKind kind) : kind_(kind) {}

    // The employee's standing lines; fields 0 type id, 1 description, 2 amount.
    QString standingLinesSql(qint32 empId) const;

    // The stored lines of a job change, with their type currency.
    QString storedLinesSql(qint32 gcId) const;
    // Field names of a stored line in that statement's result.
    QString storedLetterField() const;
    QString storedTypeIdField() const;
    QString storedDescriptionField() const;
    QString storedOldAmountField() const;
    QString storedRevisedAmountField() const;

    // The job change's lines: table, a column by its suffix ("companyid", "gcid", "detailid",
    // "type", "oldamount", "revamount"), the type id column, and the criterion that selects the
    // lines of one job change.
    QString gcTable() const;
    QString gcColumn(const char* suffix) const;
    QString gcTypeIdColumn() const;
    QString gcDeleteCriterion(qint32 gcId) const;

    // The employee's standing lines: table, a column by its suffix ("companyid", "empid",
    // "detailid", "amount"), the type id column, and the criterion for one employee.
    QString empTable() const;
    QString empColumn(const char* suffix) const;
    QString empTypeIdColumn() const;
    QString empDeleteCriterion(qint32 empId) const;

private:
    LineKind kind_;
};

// Amounts as the lists show them: "0.00", always with a decimal point.
QString listAmount(double amount);

// Fills a revision list with the stored lines of a job change; a removed ("R") line comes
// back as an unchecked carried-over ("O") row.
void StoredLinesPopulate(LineKind kind, QTreeWidget* list, qint32 gcId);
