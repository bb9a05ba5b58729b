#include "entry/frmgrade.h"

#include "history/frmemployeehistory.h"
#include "jobchange/historysourceof.h"
#include "jobchange/viewonly.h"
#include "shared/tabfocus.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

void frmGrade::showViewOnly() {
    if (const auto reason = jobchange::viewOnlyReason(*workspace_, jobChangeId_)) {
        lblViewOnly->setText(
            reason->cancelled
                ? QStringLiteral("Cancelled: ") + reason->cancelledRemarks
                : QStringLiteral("Superseded by ") + reason->laterNumber + QStringLiteral(" of ") +
                      QLocale::system().toString(reason->laterDate, QLocale::ShortFormat));
        lblViewOnly->show();
    }
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->setReadOnly(true);
    dtpGDate->setReadOnly(true);
    for (QComboBox* combo : {cboEmployee, cboOldGrade, cboNewgrade})
        combo->setEnabled(false);
    for (LineKind kind : kLineKinds) {
        QTreeWidget* lines = list(kind);
        for (int i = 0; i < lines->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lines->topLevelItem(i);
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        }
    }
}

void frmGrade::cmdHistory_Click() {
    const qint32 employee = selectedId(cboEmployee);
    if (employee <= 0)
        return;
    showEmployeeHistory(jobchange::historySourceOf(*workspace_), employee, this);
}
