#pragma once

#include <QLatin1String>
#include <QPushButton>

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

} // namespace ui
