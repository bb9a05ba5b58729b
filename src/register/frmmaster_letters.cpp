#include "register/frmmaster.h"

#include "letterwindow/frmletters.h"
#include "ui/modal.h"

void FrmMaster::cmdLetters_Click() {
    const qint32 id = selectedJobChangeId();
    if (id <= 0)
        return;
    const std::optional<jobchange::StoredJobChange> stored =
        jobchange::EntryReads(workspace_).jobChange(id);
    if (!stored)
        return;
    FrmLetters form(workspace_, id, stored->number.trimmed(), stored->date, this);
    ui::showModal(form);
    Form_Activate();
}
