#include "entry/viewonlyform.h"

#include "data/datetext.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

void showViewOnly(QWidget& window, QLabel& whyLine,
                  const std::optional<jobchange::ViewOnlyReason>& reason) {
    if (reason) {
        whyLine.setText(reason->cancelled
                            ? QStringLiteral("Cancelled: ") + reason->cancelledRemarks
                            : QStringLiteral("Superseded by ") + reason->laterNumber +
                                  QStringLiteral(" of ") + data::dateText(reason->laterDate));
        whyLine.show();
    }
    for (QLineEdit* box : window.findChildren<QLineEdit*>())
        box->setReadOnly(true);
    for (QDateEdit* date : window.findChildren<QDateEdit*>())
        date->setReadOnly(true);
    for (QComboBox* combo : window.findChildren<QComboBox*>())
        combo->setEnabled(false);
    for (QTreeWidget* lines : window.findChildren<QTreeWidget*>()) {
        for (int i = 0; i < lines->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lines->topLevelItem(i);
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        }
    }
}
