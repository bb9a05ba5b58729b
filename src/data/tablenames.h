#pragma once

#include <QString>
#include <array>
#include <vector>

namespace data {

class Connection;

// The physical names of the seventeen logical tables of the payroll, then of the module's own
// tables (which its upgrade scripts create), as linktable gives them.
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
    // The module's own: the company's approval setting, and the bulk batches proposed.
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
    // The module's own tables, read by a second statement: a database not yet upgraded has no
    // rows for them, and those names stay empty.
    static const std::vector<Slot>& moduleEntries();
};

// Reads linktable and stores the physical name of every logical name found; a logical name
// with no row keeps what it held, and of two rows the last one returned wins. A name that is
// not a plain identifier (isPlainTableName) raises DbError and leaves every name as it was.
void ResolveTableNames(Connection& connection, ResolvedTableNames& names);

// Letters, digits and underscores, not starting with a digit, with at most one schema prefix
// ("dbo.pay_employee"); trailing blanks allowed. Such a name can stand in a statement unquoted.
bool isPlainTableName(const QString& name);

// The statements ResolveTableNames sends: the register's fixed one, then the module's tables'.
QString resolveTableNamesSql();
QString resolveModuleTableNamesSql();

} // namespace data
