#include "register/frmmaster.h"
#include "report/jobchange.h"
#include "report/reportcontrol.h"

// Preview: the job change of the selected row through the report control.
void FrmMaster::cmPreview_Click() {
    const qint32 id = selectedJobChangeId();
    if (id <= 0)
        return;
    if (!cRptGradeChange)
        cRptGradeChange = std::make_unique<report::ReportControl>();
    report::setUpJobChangeReport(
        *cRptGradeChange, workspace_->companyId, QString::number(id),
        report::reportUserName(workspace_->db(), workspace_->tables, workspace_->userId));
    cRptGradeChange->setAction(1);
}
