#pragma once

#include "bulk/preview.h"
#include "export/tablewriter.h"

namespace bulk {

// The preview as a table to export: one row per employee, then one row of totals per currency
// ("Total (USD)") of the rows that would be applied. The employee's currency stands beside the
// basics; each line rule has an old and a new amount column in its type's currency; the change of
// the monthly pay has a column per currency; a column "Notes" says what was added or dropped,
// which rules did nothing and why a row cannot be applied.
tableexport::ExportTable previewTable(const std::vector<PreviewRow>& rows, const Rules& rules);

} // namespace bulk
