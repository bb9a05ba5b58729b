#include "entry/frmgrade.h"

#include "bulk/jobdate.h"
#include "shared/amountbox.h"
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
    if (const AmountCheck basic = newBasic->check(); !basic.ok())
        return refuse(basic.problem == data::MoneyProblem::Empty || basic.zeroRefused
                          ? QStringLiteral("enter new basic")
                          : basic.message,
                      txtNewbasic);
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
    const std::optional<jobchange::JobChangeDraft> entries = draft();
    if (!entries)
        return;
    // Saved means applied to the employee master at once: a far date is most likely a slip.
    if (bulk::farAfterProcessDate(entries->date, workspace_->processDate) &&
        message(
            QStringLiteral("The job date is more than a year after the process date. Save anyway?"),
            ui::MsgIcon::Question, ui::MsgButtons::YesNo) != ui::MsgAnswer::Yes)
        return;
    const jobchange::WriteResult result = mode_ == EntryMode::New
                                              ? writer_.saveNew(*entries, shown_)
                                              : writer_.saveEdit(jobChangeId_, *entries, shown_);
    intSaveRetries = result.retries;
    if (!result.ok) {
        message(result.error);
        if (result.refused)
            emit refused();
        if (result.outcomeUnknown)
            emit mayHaveSaved(result.id);
        return;
    }
    saved_ = result;
    QDialog::done(QDialog::Accepted);
}

std::optional<jobchange::JobChangeDraft> frmGrade::draft() const {
    jobchange::JobChangeDraft draft;
    draft.employeeId = selectedId(cboEmployee);
    draft.oldDesignationId = selectedId(cboOldGrade);
    draft.newDesignationId = selectedId(cboNewgrade);
    const AmountCheck old = oldBasic->check();
    const AmountCheck basic = newBasic->check();
    for (const AmountCheck* check : {&old, &basic})
        if (!check->ok()) {
            message(check->message);
            return std::nullopt;
        }
    draft.oldBasic = *old.money;
    draft.newBasic = *basic.money;
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
            // The lists hold amounts in C notation, as stored or as the line editor took them.
            std::optional<data::Money> amounts[2];
            const int columns[2] = {revcol::OldAmount, revcol::RevisedAmount};
            for (int a = 0; a < 2; ++a) {
                const data::StoredAmount stored =
                    data::StoredAmount::fromValue(row->text(columns[a]));
                amounts[a] = stored.money();
                if (!amounts[a]) {
                    message(StoredOutOfRangeMessage(
                        QStringLiteral("%1 line %2 (%3), %4")
                            .arg(SSTab1->tabText(static_cast<int>(kind)), row->text(revcol::SlNo),
                                 row->text(revcol::Description),
                                 rows->headerItem()->text(columns[a]).simplified()),
                        stored));
                    return std::nullopt;
                }
            }
            draft.linesOf(kind).push_back({qRound64(data::leadingNumber(row->text(revcol::TypeId))),
                                           letter, *amounts[0], *amounts[1]});
        }
    }
    return draft;
}
