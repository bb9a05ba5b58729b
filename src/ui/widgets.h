#pragma once

#include <QHeaderView>
#include <QLatin1String>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

namespace ui {

// The widget, under the object name by which the host and the tests find it.
template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A button that Enter does not press: in these windows Enter moves on to the next field.
inline QPushButton* plainButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Each column as wide as its widest cell, up to `widest` pixels (a longer text is elided), and
// never narrower than its title.
inline void fitColumns(QTreeWidget* list, int widest) {
    for (int column = 0; column < list->columnCount(); ++column) {
        list->resizeColumnToContents(column);
        const int title = list->header()->sectionSizeHint(column);
        list->setColumnWidth(column, std::max(title, std::min(list->columnWidth(column), widest)));
    }
}

} // namespace ui
