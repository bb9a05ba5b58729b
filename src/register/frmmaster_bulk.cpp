#include "register/frmmaster.h"

#include "bulkwindow/frmbulk.h"
#include "ui/modal.h"

// A batch may add thousands of job changes: the grid is read again once rather than a row at a
// time.
void FrmMaster::cmdBulk_Click() {
    FrmBulk form(workspace_, this);
    form.load();
    ui::showModal(form);
    if (form.mayHaveSaved())
        GridPopulate();
    Form_Activate();
}
