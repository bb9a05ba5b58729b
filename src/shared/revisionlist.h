#pragma once

#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The report-style list of allowance or deduction lines: seven columns, the fourth and fifth
// hidden, the third right-aligned, a check box on every row.
QTreeWidget* createRevisionList(const char* objectName, const QStringList& headers,
                                QWidget* parent);

// Columns by their position in the list (0-based for QTreeWidget).
namespace revcol {
enum : int { SlNo, Description, RevisedAmount, TypeId, Letter, OldAmount, Currency };
} // namespace revcol

// Appends a row (serial = row count + 1) with the six values, checked or not.
QTreeWidgetItem* addRevisionRow(QTreeWidget* list, const QString& description,
                                const QString& revisedAmount, const QString& typeId,
                                const QString& letter, const QString& oldAmount,
                                const QString& currency, bool checked);
