#include "register/frmmaster.h"

#include "cancel/frmcancel.h"
#include "component/basgrade.h"
#include "shared/formroutines.h"
#include "sharedlib/clscommondb.h"
#include "ui/flexgrid.h"
#include "ui/modal.h"
#include "ui/waitcursor.h"

#include <QColor>
#include <QPushButton>

namespace {
const QString kYes = QStringLiteral("Yes");
}

// A job change is never removed: Delete cancels it through frmCancel, latest first.
bool FrmMaster::fnDeleteAllowed() {
    const CallerContext& context = BasGrade();
    const QString table = context.tables.pEmployeegradeChange;
    const QString company = QString::number(context.intCompanyID);
    const QString id = flexMaster->textMatrix(flexMaster->row(), 0);
    commonDB->strTablename = table;
    const QString filter = QStringLiteral("egccompanyid = ") + company +
                           QStringLiteral(" and egcempid = (select egcempid from ") + table +
                           QStringLiteral(" where egccompanyid =") + company +
                           QStringLiteral(" and egcid =") + id + QStringLiteral(")  and egcid > ") +
                           id + QStringLiteral(" and egcCancelled =0");
    if (commonDB->fnReturnField(QStringLiteral("count(*)"), filter).toLongLong() > 0) {
        MsgBox(QStringLiteral("Can not delete, Succeeding transaction exists"));
        return false;
    }
    return true;
}

void FrmMaster::CmdDelete_Click() {
    try {
        const int selectedRow = flexMaster->row();
        if (!fnDeleteAllowed())
            return;
        if (flexMaster->textMatrix(selectedRow, 6) != kYes &&
            MsgBox(QStringLiteral("Are you sure you want to delete the entry - ") +
                       flexMaster->textMatrix(selectedRow, 1),
                   ui::MsgIcon::Critical, ui::MsgButtons::YesNo) == ui::MsgAnswer::Yes) {
            {
                frmCancel cancel(this);
                ui::showModal(cancel);
            }
            const ui::WaitCursor wait;
            BasGrade().strEntryMode = QStringLiteral("E");
            GridRefreshRow(QStringLiteral("egcId = ") + flexMaster->textMatrix(selectedRow, 0), 0);
            flexMaster->setRowForeColor(selectedRow, flexMaster->textMatrix(selectedRow, 6) == kYes
                                                         ? QColor(255, 0, 0)
                                                         : QColor());
        }

        if (flexMaster->textMatrix(1, 1).isEmpty()) {
            CmdEdit->setEnabled(false);
            CmdDelete->setEnabled(false);
        } else {
            CmdEdit->setEnabled(fnUserRights(QStringLiteral("E")));
            CmdDelete->setEnabled(fnUserRights(QStringLiteral("D")));
        }
        if (flexMaster->textMatrix(flexMaster->row(), 6) == kYes)
            CmdDelete->setEnabled(false);
        flexMaster->selectRowAcross(selectedRow);
        flexMaster->setTopRow(selectedRow);
        SelectionRule();
    } catch (const data::DbError& error) {
        if (error.number() != data::kErrIntegrityViolation)
            throw;
        MsgBox(QStringLiteral("Data already processed"));
        return;
    }
    // Back from the windows Delete opened, the register is active again.
    Form_Activate();
}
