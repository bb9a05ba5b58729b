#pragma once

#include "history/frmemployeehistory.h"
#include "support/scripted.h"
#include "ui/flexgrid.h"

#include <QComboBox>
#include <QStringList>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <initializer_list>

// The cells of an item joined by "|": the columns named, or all of them.
inline QString itemText(const QTreeWidgetItem* item, std::initializer_list<int> columns = {}) {
    QStringList cells;
    for (int c = 0; c < item->columnCount(); ++c)
        cells << item->text(c);
    if (columns.size() == 0)
        return cells.join('|');
    QStringList chosen;
    for (const int c : columns)
        chosen << cells.value(c);
    return chosen.join('|');
}

// itemText of every child, in order; of a list's rows with the invisible root.
inline QStringList childTexts(const QTreeWidgetItem* parent,
                              std::initializer_list<int> columns = {}) {
    QStringList all;
    for (int i = 0; i < parent->childCount(); ++i)
        all << itemText(parent->child(i), columns);
    return all;
}

// Queues the history window, closed unseen, and records whose history it showed.
inline void recordHistory(ScriptedModal& modal, std::vector<qint32>& opened) {
    modal.then([&opened](QDialog& dialog) {
        auto* history = qobject_cast<FrmEmployeeHistory*>(&dialog);
        EXPECT_NE(history, nullptr);
        if (history && history->history())
            opened.push_back(history->history()->employeeId);
        return int(QDialog::Rejected);
    });
}

// The texts a combo offers, in order.
inline QStringList comboTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// A grid column's texts below the titles.
inline QStringList gridColumn(const ui::FlexGrid& grid, int col) {
    QStringList texts;
    for (int row = 1; row < grid.rows(); ++row)
        texts << grid.textMatrix(row, col);
    return texts;
}

// A grid row's cells from the column on, joined by "|".
inline QString gridRowText(const ui::FlexGrid& grid, int row, int fromCol = 0) {
    QStringList cells;
    for (int c = fromCol; c < grid.cols(); ++c)
        cells << grid.textMatrix(row, c);
    return cells.join('|');
}

// The first row (from 1) whose column holds the text; rows() when none does.
inline int gridRow(const ui::FlexGrid& grid, int col, const QString& text) {
    const qsizetype at = gridColumn(grid, col).indexOf(text);
    return at < 0 ? grid.rows() : static_cast<int>(at) + 1;
}
