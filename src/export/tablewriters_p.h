#pragma once

#include "export/tablewriter.h"

#include <QSaveFile>

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

// The file being written: opened at once, so that an unwritable path fails before any row is
// read, and put in place only by commit().
class TargetFile {
public:
    explicit TargetFile(const QString& path);
    QSaveFile& file() { return file_; }
    // Throws ExportError naming the file when a write did not take.
    void write(const QByteArray& bytes);
    void commit();
    [[noreturn]] void fail(const QString& reason) const;

private:
    QSaveFile file_;
};

} // namespace tableexport::detail
