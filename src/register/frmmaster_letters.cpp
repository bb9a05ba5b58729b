#include "register/frmmaster.h"

#include "letterwindow/frmletters.h"
#include "ui/modal.h"

void FrmMaster::cmdLetters_Click() {
    const qint32 id = selectedJobChangeId();
    if (id <= 0)
        return;
    const jobchange::StoredJobChange stored = service_->jobChangeState(id);
    if (stored.id == 0)
        return;
    FrmLetters form(workspace_, id, stored.number.trimmed(), stored.date, this);
    ui::showModal(form);
    Form_Activate();
}
