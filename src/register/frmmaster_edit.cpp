#include "register/frmmaster.h"

#include "entry/frmgrade.h"
#include "ui/modal.h"

void FrmMaster::cmdnew_Click() {
    frmGrade form(workspace_, this);
    form.loadNew();
    ui::showModal(form);
    if (const auto& saved = form.saved())
        GridRefreshRow(saved->id, RowChange::Added);
    Form_Activate();
}

void FrmMaster::CmdEdit_Click() {
    const qint32 id = selectedJobChangeId();
    frmGrade form(workspace_, this);
    if (!form.loadForEdit(id))
        return;
    ui::showModal(form);
    if (form.saved())
        GridRefreshRow(id, RowChange::Changed);
    Form_Activate();
}
