#include "entry/frmgrade.h"

#include "shared/revisionlist.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

bool frmGrade::fnValidate() {
    const auto refuse = [this](const QString& text, QWidget* focus) {
        message(text);
        if (focus)
            focus->setFocus();
        return false;
    };
    if (cboEmployee->currentIndex() < 0)
        return refuse(QStringLiteral("Select employee"), cboEmployee);
    if (cboNewgrade->currentIndex() < 0)
        return refuse(QStringLiteral("Select new grade"), cboNewgrade);
    if (data::leadingNumber(txtNewbasic->text()) <= 0)
        return refuse(QStringLiteral("enter new basic"), txtNewbasic);
    if (dtpGDate->date() < workspace_->processDate)
        return refuse(QStringLiteral("Grade Change Date Less than Current Date"), dtpGDate);
    for (LineKind kind : kLineKinds) {
        const QTreeWidget* lines = list(kind);
        for (int i = 0; i < lines->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = lines->topLevelItem(i);
            if (row->checkState(0) != Qt::Checked &&
                row->text(revcol::Letter) == QLatin1String("N"))
                return refuse(lineTable(kind).newLineMessage, nullptr);
        }
    }
    return true;
}

void frmGrade::cmdOK_Click() {
    if (!fnValidate())
        return;
    // The header needs the old job; refused here rather than failing inside the transaction.
    if (cboOldGrade->currentIndex() < 0) {
        message(QStringLiteral("Select old grade"));
        cboOldGrade->setFocus();
        return;
    }
    const jobchange::WriteResult result = mode_ == EntryMode::New
                                              ? service_.saveNew(draft())
                                              : service_.saveEdit(jobChangeId_, draft());
    intSaveRetries = result.retries;
    if (!result.ok) {
        message(result.error);
        return;
    }
    saved_ = result;
    QDialog::done(QDialog::Accepted);
}

jobchange::JobChangeDraft frmGrade::draft() const {
    jobchange::JobChangeDraft draft;
    draft.employeeId = selectedId(cboEmployee);
    draft.oldDesignationId = selectedId(cboOldGrade);
    draft.newDesignationId = selectedId(cboNewgrade);
    draft.oldBasic = data::leadingNumber(txtOldBasic->text());
    draft.newBasic = data::leadingNumber(txtNewbasic->text());
    draft.date = dtpGDate->date();
    draft.remarks = txtRemarks->text();
    for (LineKind kind : kLineKinds) {
        const QTreeWidget* rows = list(kind);
        for (int i = 0; i < rows->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = rows->topLevelItem(i);
            // A checked row is kept ("O") or added ("N"); an unchecked one is removed ("R").
            const QChar letter = row->checkState(0) != Qt::Checked ? QLatin1Char('R')
                                 : row->text(revcol::Letter) == QLatin1String("O")
                                     ? QLatin1Char('O')
                                     : QLatin1Char('N');
            draft.linesOf(kind).push_back({qRound64(data::leadingNumber(row->text(revcol::TypeId))),
                                           letter,
                                           data::leadingNumber(row->text(revcol::OldAmount)),
                                           data::leadingNumber(row->text(revcol::RevisedAmount))});
        }
    }
    return draft;
}
