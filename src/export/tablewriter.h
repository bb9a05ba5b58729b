#pragma once

#include "export/ownerfile.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <variant>
#include <vector>

// Writing a table of typed cells to a spreadsheet file: an .xlsx workbook, or CSV when the
// file name ends in ".csv".
namespace tableexport {

enum class ExportColumnKind { Text, WholeNumber, Amount, Date, YesNo };

// An amount, exactly, as a count of hundredths.
struct Cents {
    qint64 value = 0;
};

// One cell: empty, or a value of its column's kind: Text a QString, WholeNumber a qint64,
// Amount Cents, Date a QDate (an invalid date is empty), YesNo a bool.
using ExportCell = std::variant<std::monostate, QString, qint64, Cents, QDate, bool>;
using ExportRow = std::vector<ExportCell>;

struct ExportTable {
    QStringList titles;
    std::vector<ExportColumnKind> kinds;
    std::vector<ExportRow> rows;
};

// True when the file name ends in ".csv", in any case.
bool isCsvPath(const QString& path);

// Takes rows one at a time, so that a long table never has to be held whole. The file at the
// path appears (or is replaced) only when finish() succeeds; a writer dropped before that
// leaves it as it was.
class TableWriter {
public:
    // Throws ExportError when the file cannot be created, and std::invalid_argument when the
    // titles and kinds differ in number.
    static std::unique_ptr<TableWriter> open(const QString& path, const QStringList& titles,
                                             const std::vector<ExportColumnKind>& kinds);
    virtual ~TableWriter() = default;

    // Throws std::invalid_argument for a row of another width or a cell that does not fit its
    // column's kind, ExportError when writing fails.
    virtual void addRow(const ExportRow& row) = 0;
    virtual void finish() = 0;
};

// The whole table at once: titles, then the rows in their order.
void writeTable(const ExportTable& table, const QString& path);

} // namespace tableexport
