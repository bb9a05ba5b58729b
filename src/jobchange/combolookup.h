#pragma once

#include <QString>

namespace jobchange {

// What Lookups::choices reads: the id and two text columns of the tables, kind "G"
// (designation and grade) or "E" (employee with the currency symbol of currencyTable); any other
// kind reads nothing.
struct ComboLookup {
    QString idColumn;
    QString textColumn1;
    QString textColumn2;
    QString kind;
    QString tables; // what follows "from"
    QString criterion;
    QString currencyTable;
    qint16 companyId = 0;
};

} // namespace jobchange
