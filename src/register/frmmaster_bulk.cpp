#include "register/frmmaster.h"

#include "bulkwindow/frmbulk.h"
#include "bulkwindow/frmproposals.h"
#include "ui/modal.h"

// A batch may add thousands of job changes: the grid is read again once rather than a row at a
// time.
// A user who may approve bulk batches but not create job changes sees only the proposals.
void FrmMaster::cmdBulk_Click() {
    bool saved = false;
    if (!fnUserRights(QStringLiteral("N")) && fnUserRights(QStringLiteral("A"))) {
        FrmProposals form(workspace_, this);
        form.load();
        ui::showModal(form);
        saved = form.mayHaveSaved();
    } else {
        FrmBulk form(workspace_, this);
        form.load();
        ui::showModal(form);
        saved = form.mayHaveSaved();
    }
    if (saved)
        GridPopulate();
    ShowPendingBatches();
    Form_Activate();
}
