#pragma once

#include <QString>
#include <array>

namespace data {

class Connection;

// The physical names of the seventeen logical tables, as linktable gives them.
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

    struct Slot {
        const char* logicalName;
        QString ResolvedTableNames::*name;
    };
    // In the order rows are matched against them.
    static const std::array<Slot, 17>& entries();
};

// Reads linktable and stores the physical name of every logical name found; a logical name
// with no row keeps what it held, and of two rows the last one returned wins.
void ResolveTableNames(Connection& connection, ResolvedTableNames& names);

// The statement ResolveTableNames sends.
QString resolveTableNamesSql();

} // namespace data
