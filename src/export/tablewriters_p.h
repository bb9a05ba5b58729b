#pragma once

#include "export/tablewriter.h"

// What the CSV and xlsx writers share; not for use outside src/export/.
namespace tableexport::detail {

std::unique_ptr<TableWriter> openCsv(const QString& path, const QStringList& titles,
                                     const std::vector<ExportColumnKind>& kinds);
std::unique_ptr<TableWriter> openXlsx(const QString& path, const QStringList& titles,
                                      const std::vector<ExportColumnKind>& kinds);

// Throws std::invalid_argument unless the row has one cell per column, each empty or of its
// column's kind.
void checkRow(const ExportRow& row, const std::vector<ExportColumnKind>& kinds);

// "-1234.50": an amount in C notation with two decimals.
QString amountText(Cents amount);

} // namespace tableexport::detail
