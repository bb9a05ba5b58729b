#include "component/basgrade.h"
#include "register/frmmaster.h"
#include "report/jobchange.h"
#include "report/reportcontrol.h"
#include "ui/flexgrid.h"

// Preview: the job change of the selected row through the report control.
void FrmMaster::cmPreview_Click() {
    const QString id = flexMaster->textMatrix(flexMaster->row(), 0);
    if (!(data::leadingNumber(id) > 0))
        return;
    try {
        if (!cRptGradeChange)
            cRptGradeChange = std::make_unique<report::ReportControl>();
        const CallerContext& context = BasGrade();
        report::setUpJobChangeReport(*cRptGradeChange, adocon(), context.tables.pusers,
                                     context.intCompanyID, id, context.intUserID);
        cRptGradeChange->setAction(1);
    } catch (const data::DbError& error) {
        MsgBox(error.description());
    }
}
