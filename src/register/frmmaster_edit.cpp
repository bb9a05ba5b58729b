#include "register/frmmaster.h"

#include "entry/frmgrade.h"
#include "ui/modal.h"

void FrmMaster::cmdnew_Click() {
    frmGrade form(workspace_, this);
    form.loadNew();
    // After a save cut off in its COMMIT the register shows what the database holds.
    connect(&form, &frmGrade::mayHaveSaved, this,
            [this](qint32 id) { GridRefreshRow(id, RowChange::Added); });
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
    connect(&form, &frmGrade::refused, this, [this, id] { GridShowPresentState(id); });
    connect(&form, &frmGrade::mayHaveSaved, this, [this, id] { GridShowPresentState(id); });
    ui::showModal(form);
    if (form.saved())
        GridRefreshRow(id, RowChange::Changed);
    Form_Activate();
}
