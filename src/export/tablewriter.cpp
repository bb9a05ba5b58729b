#include "export/tablewriter.h"
#include "export/tablewriters_p.h"

#include <stdexcept>

namespace tableexport {

bool isCsvPath(const QString& path) {
    return path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
}

std::unique_ptr<TableWriter> TableWriter::open(const QString& path, const QStringList& titles,
                                               const std::vector<ExportColumnKind>& kinds) {
    if (static_cast<size_t>(titles.size()) != kinds.size())
        throw std::invalid_argument("an export table needs one kind per title");
    return isCsvPath(path) ? detail::openCsv(path, titles, kinds)
                           : detail::openXlsx(path, titles, kinds);
}

void writeTable(const ExportTable& table, const QString& path) {
    const std::unique_ptr<TableWriter> writer = TableWriter::open(path, table.titles, table.kinds);
    for (const ExportRow& row : table.rows)
        writer->addRow(row);
    writer->finish();
}

namespace detail {

void checkRow(const ExportRow& row, const std::vector<ExportColumnKind>& kinds) {
    if (row.size() != kinds.size())
        throw std::invalid_argument("an export row needs one cell per column");
    for (size_t c = 0; c < row.size(); ++c) {
        const ExportCell& cell = row[c];
        if (std::holds_alternative<std::monostate>(cell))
            continue;
        bool fits = false;
        switch (kinds[c]) {
        case ExportColumnKind::Text:
            fits = std::holds_alternative<QString>(cell);
            break;
        case ExportColumnKind::WholeNumber:
            fits = std::holds_alternative<qint64>(cell);
            break;
        case ExportColumnKind::Amount:
            fits = std::holds_alternative<Cents>(cell);
            break;
        case ExportColumnKind::Date:
            fits = std::holds_alternative<QDate>(cell);
            break;
        case ExportColumnKind::YesNo:
            fits = std::holds_alternative<bool>(cell);
            break;
        }
        if (!fits)
            throw std::invalid_argument("export cell " + std::to_string(c + 1) +
                                        " does not fit its column's kind");
    }
}

QString amountText(Cents amount) {
    const bool negative = amount.value < 0;
    // Through unsigned, so that the smallest qint64 negates too.
    const quint64 magnitude =
        negative ? 0 - static_cast<quint64>(amount.value) : static_cast<quint64>(amount.value);
    return (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) +
           QLatin1Char('.') + QString::number(magnitude % 100).rightJustified(2, QLatin1Char('0'));
}

} // namespace detail
} // namespace tableexport
