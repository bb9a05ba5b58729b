#pragma once

#include "bulk/preview.h"
#include "export/tablewriter.h"

#include <QString>

namespace bulk {

// Writes the preview to FILE.xlsx, FILE.csv (as the register's export), or FILE.pdf through the
// report engine's page layout and footer. Throws tableexport::ExportError or data::DbError
// when the file cannot be written.
void writePreviewFile(const std::vector<PreviewRow>& rows, const Rules& rules, const QString& path);

// A cell of the preview table as the window and the PDF show it: amounts with group
// separators and two decimals.
QString previewCellText(const tableexport::ExportCell& cell);

// The preview as the report's HTML body: a title, then the export table's rows.
QString previewHtml(const std::vector<PreviewRow>& rows, const Rules& rules);

} // namespace bulk
