#include "register/frmmaster.h"

#include "component/basgrade.h"
#include "entry/frmgrade.h"
#include "entry/linestatements.h"
#include "shared/formroutines.h"
#include "sharedlib/clscommongen.h"
#include "ui/flexgrid.h"
#include "ui/modal.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace {

// The entry window that Edit is filling; the populate routines fill its lists.
frmGrade* entryWindow = nullptr;

// The header of a stored job change, as Edit copies it into the entry window.
struct StoredHeader {
    QString egcNo;
    QVariant egcDate;
    qint32 egcEmpID = 0;
    qint32 egcOldDesigID = 0;
    qint32 egcNewDesigID = 0;
    qint16 egcNewGradeID = 0;
    QString egcOldBasic;
    QString egcNewBasic;
    QString egcremarks;
    bool egcCancelled = false;
};

std::optional<StoredHeader> readHeader(qint32 id) {
    data::Recordset rs =
        adocon().open(QStringLiteral("select * from ") + BasGrade().tables.pEmployeegradeChange +
                      QStringLiteral(" where egcCompanyId=") + company() +
                      QStringLiteral(" and egcID=") + QString::number(id));
    if (rs.eof())
        return std::nullopt;
    StoredHeader header;
    header.egcNo = rs.text(QStringLiteral("egcNo"));
    header.egcDate = rs.field(QStringLiteral("egcDate"));
    header.egcEmpID = rs.field(QStringLiteral("egcEmpID")).toInt();
    header.egcOldDesigID = rs.field(QStringLiteral("egcOldDesigID")).toInt();
    header.egcNewDesigID = rs.field(QStringLiteral("egcNewDesigID")).toInt();
    header.egcNewGradeID = static_cast<qint16>(rs.field(QStringLiteral("egcNewGradeID")).toInt());
    header.egcOldBasic = rs.text(QStringLiteral("egcOldBasic"));
    header.egcNewBasic = rs.text(QStringLiteral("egcNewBasic"));
    header.egcremarks = rs.text(QStringLiteral("egcremarks"));
    header.egcCancelled = rs.field(QStringLiteral("egcCancelled")).toInt() != 0;
    return header;
}

// The employee's current designation or grade ("eDesigID", "eGradeID"); 0 without a row.
qint32 employeeField(const char* field, qint32 empId) {
    data::Recordset rs = adocon().open(QStringLiteral("select ") + QString::fromLatin1(field) +
                                       QStringLiteral(" from ") + BasGrade().tables.pemployee +
                                       QStringLiteral(" where eCompanyID =") + company() +
                                       QStringLiteral(" and eEmpID = ") + QString::number(empId));
    return rs.eof() ? 0 : rs.field(0).toInt();
}

// The part of the employee entry ("name-number - symbol") from the first " - " on, less its
// blank: "- symbol".
QString basicLabelSuffix(const QString& employeeEntry) {
    const qsizetype p = employeeEntry.indexOf(QLatin1String(" - ")) + 1;
    const qsizetype q = employeeEntry.indexOf(QLatin1String(" -")) + 1;
    return employeeEntry.mid(p, employeeEntry.size() - q);
}

// Edit's filling of the entry window from the stored job change; false when it is not found.
bool fillForEdit(FrmMaster& master, frmGrade& form, qint32 id) {
    const std::optional<StoredHeader> header = readHeader(id);
    if (!header)
        return false;
    form.Form_Load();
    form.txtGradeNo->setText(header->egcNo);
    if (!header->egcDate.isNull())
        form.dtpGDate->setDate(data::dateOf(header->egcDate));
    master.commonGen->SelectComboItemByValue(form.cboEmployee, header->egcEmpID);
    const QString suffix = basicLabelSuffix(form.cboEmployee->currentText());
    form.lblOldBasic->setText(QStringLiteral("Old Basic:") + suffix);
    form.lblNewBasic->setText(QStringLiteral("New Basic:") + suffix);
    master.commonGen->SelectComboItemByValue(form.cboOldGrade, header->egcOldDesigID);

    CallerContext& context = BasGrade();
    context.strLookupTables = QStringLiteral(" ") + context.tables.pGrades + QStringLiteral(",") +
                              context.tables.pDesignation + QStringLiteral(" ");
    ComboPopulate(form.cboNewgrade, QStringLiteral("dDesigID"), QStringLiteral("gDescription"),
                  QStringLiteral("dDescription"), QStringLiteral("G"),
                  QStringLiteral("dCompanyid = gCompanyid and dGradeID = gID and dactive = 1 and "
                                 " dcompanyid = ") +
                      company());
    master.commonGen->SelectComboItemByValue(form.cboNewgrade, header->egcNewDesigID);

    form.txtOldBasic->setText(header->egcOldBasic);
    form.txtNewbasic->setText(header->egcNewBasic);
    form.txtRemarks->setText(header->egcremarks);
    form.cboEmployee->setEnabled(false);
    if (header->egcCancelled)
        form.cmdOK->setEnabled(false);
    // Only the job change that set the employee's present job may still be changed.
    const qint32 currentDesig = employeeField("eDesigID", header->egcEmpID);
    const qint16 currentGrade = static_cast<qint16>(employeeField("eGradeID", header->egcEmpID));
    if (header->egcNewDesigID != currentDesig || header->egcNewGradeID != currentGrade)
        form.cmdOK->setEnabled(false);

    entryWindow = &form;
    master.AllowancePopulate(id);
    master.DeductionPopulate(id);
    entryWindow = nullptr;
    SetControlTags(&form);
    return true;
}

} // namespace

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

void FrmMaster::CmdEdit_Click() {
    BasGrade().strEntryMode = QStringLiteral("E");
    const qint32 id = flexMaster->textMatrix(flexMaster->row(), 0).trimmed().toInt();
    frmGrade form(this);
    try {
        if (!fillForEdit(*this, form, id))
            return;
    } catch (const data::DbError& error) {
        entryWindow = nullptr;
        MsgBox(error.description());
        return;
    }
    ui::showModal(form);
    Form_Activate();
}

void FrmMaster::AllowancePopulate(qint32 id) {
    if (entryWindow)
        StoredLinesPopulate(LineKind::Allowance, entryWindow->lvwAllow, id);
}

void FrmMaster::DeductionPopulate(qint32 id) {
    if (entryWindow)
        StoredLinesPopulate(LineKind::Deduction, entryWindow->lvwDeduct, id);
}
