#include "register/frmmaster.h"

#include "component/basgrade.h"
#include "entry/frmgrade.h"
#include "ui/modal.h"

void FrmMaster::cmdnew_Click() {
    BasGrade().strEntryMode = QStringLiteral("N");
    frmGrade form(this);
    try {
        form.Form_Load();
    } catch (const data::DbError& error) {
        // Raised from a button: it must not leave the event loop.
        MsgBox(error.description());
        return;
    }
    ui::showModal(form);
    Form_Activate();
}

// Edit: not built yet.
void FrmMaster::CmdEdit_Click() {}
void FrmMaster::AllowancePopulate(qint32) {}
void FrmMaster::DeductionPopulate(qint32) {}
