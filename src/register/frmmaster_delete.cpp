#include "register/frmmaster.h"

#include "cancel/frmcancel.h"
#include "ui/flexgrid.h"
#include "ui/modal.h"
#include "ui/waitcursor.h"

#include <QColor>
#include <QPushButton>

// A job change is never removed: Delete cancels it through frmCancel, latest first.
bool FrmMaster::fnDeleteAllowed(qint32 id) {
    if (reads_->laterUncancelledExists(id)) {
        message(QStringLiteral("Can not delete, Succeeding transaction exists"));
        return false;
    }
    return true;
}

void FrmMaster::GridShowPresentState(qint32 id) {
    const int row = flexMaster->row();
    GridRefreshRow(id, RowChange::Changed);
    flexMaster->setRowForeColor(
        row, flexMaster->textMatrix(row, kColumnCancelled) == kCancelledText() ? kCancelledColor()
                                                                               : QColor());
}

void FrmMaster::CmdDelete_Click() {
    try {
        const int selectedRow = flexMaster->row();
        const qint32 id = selectedJobChangeId();
        if (!fnDeleteAllowed(id))
            return;
        if (flexMaster->textMatrix(selectedRow, kColumnCancelled) != kCancelledText() &&
            message(QStringLiteral("Are you sure you want to delete the entry - ") +
                        flexMaster->textMatrix(selectedRow, kColumnNumber),
                    ui::MsgIcon::Critical, ui::MsgButtons::YesNo) == ui::MsgAnswer::Yes) {
            {
                frmCancel cancel(workspace_, id, this);
                connect(&cancel, &frmCancel::refused, this,
                        [this, id] { GridShowPresentState(id); });
                ui::showModal(cancel);
            }
            const ui::WaitCursor wait;
            GridShowPresentState(id);
        }
        flexMaster->selectRowAcross(selectedRow);
        flexMaster->setTopRow(selectedRow);
        SelectionRule();
    } catch (const data::DbError& error) {
        if (error.number() != data::kErrIntegrityViolation)
            throw;
        message(QStringLiteral("Data already processed"));
        return;
    }
    // Back from the windows Delete opened, the register is active again.
    Form_Activate();
}
