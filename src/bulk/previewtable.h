#pragma once

#include "bulk/preview.h"
#include "export/tablewriter.h"

namespace bulk {

// The preview as a table to export: one row per employee, then the totals of the rows that
// would be applied. Each line rule has an old and a new amount column; a column "Notes" says
// what was added or dropped, which rules did nothing and why a row cannot be applied.
tableexport::ExportTable previewTable(const std::vector<PreviewRow>& rows, const Rules& rules);

} // namespace bulk
