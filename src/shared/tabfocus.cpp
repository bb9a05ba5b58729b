#include "shared/tabfocus.h"

#include <QAbstractSpinBox>
#include <QLineEdit>

void skipReadOnlyOnTab(QWidget* window) {
    for (QLineEdit* box : window->findChildren<QLineEdit*>()) {
        // A spin or date box's own line edit follows its box.
        if (qobject_cast<QAbstractSpinBox*>(box->parentWidget()))
            continue;
        box->setFocusPolicy(box->isReadOnly() ? Qt::ClickFocus : Qt::StrongFocus);
    }
    for (QAbstractSpinBox* box : window->findChildren<QAbstractSpinBox*>())
        box->setFocusPolicy(box->isReadOnly() ? Qt::ClickFocus : Qt::WheelFocus);
}
