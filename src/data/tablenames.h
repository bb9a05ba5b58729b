#pragma once

#include <QString>
#include <array>
#include <vector>

namespace data {

class Connection;

// The physical names of the seventeen logical tables the register names in its fixed statement,
// and of the module's own tables, as linktable gives them. A module table without a row stays
// empty: that part of the module is not installed.
struct ResolvedTableNames {
    QString pusers;
    QString pEmployeegradeChange;
    QString pemployee;
    QString pGrades;
    QString ptables;
    QString ptablecolumns;
    QString puserrights;
    QString pDesignation;
    QString pPrefix;
    QString pcurrencymaster;
    QString pdeductions;
    QString pallowances;
    QString pempgcAllowance;
    QString pempgcdeductions;
    QString pempallowances;
    QString pempdeductions;
    QString pSettings;
    // The module's own: the audit trail, the company's approval setting, and the bulk batches
    // proposed.
    QString paudittrail;
    QString pJobChangeSettings;
    QString pBulkBatch;
    QString pBulkBatchRows;
    QString pBulkBatchLines;

    struct Slot {
        const char* logicalName;
        QString ResolvedTableNames::*name;
    };
    // In the order rows are matched against them.
    static const std::array<Slot, 17>& entries();
    // The module's own tables, read by a statement of their own after the fixed one.
    static const std::array<Slot, 5>& moduleEntries();
};

// Reads linktable and stores the physical name of every logical name found; a logical name
// with no row keeps what it held, and of two rows the last one returned wins. A name that is
// not a plain identifier (isPlainTableName) raises DbError and leaves every name as it was.
void ResolveTableNames(Connection& connection, ResolvedTableNames& names);

// Letters, digits and underscores, not starting with a digit, with at most one schema prefix
// ("dbo.pay_employee"); trailing blanks allowed. Such a name can stand in a statement unquoted.
bool isPlainTableName(const QString& name);

// The statements ResolveTableNames sends: the fixed one, then the module tables' one.
QString resolveTableNamesSql();
QString resolveModuleTableNamesSql();

} // namespace data
