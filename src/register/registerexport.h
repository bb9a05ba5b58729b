#pragma once

#include "export/tablewriter.h"

#include <QHash>
#include <QVariantList>
#include <vector>

namespace data {
class Recordset;
}

// The register as a table of typed cells: its shown columns, after the hidden id, are the
// number, date, employee, old job, new job and cancelled.
namespace registerexport {

const std::vector<tableexport::ExportColumnKind>& columnKinds();

// One register row from the fields of the register query (the id first): texts as the grid
// shows them, the date as a date and the cancelled flag as yes or no.
tableexport::ExportRow typedRow(const QVariantList& fields);

// Every row of a register query's result by its job change id.
QHash<qint32, tableexport::ExportRow> typedRowsById(data::Recordset& rs);

} // namespace registerexport
