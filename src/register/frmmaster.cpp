#include "register/frmmaster.h"

#include "component/basgrade.h"
#include "sharedlib/clscommondb.h"
#include "sharedlib/clscommongen.h"
#include "ui/flexgrid.h"

#include <QEvent>

namespace report {
class ReportControl {};
} // namespace report

FrmMaster::FrmMaster(QWidget* parent) : QDialog(parent) {
    flexMaster = new ui::FlexGrid(this);
    BasGrade().registerGrid = flexMaster;
}

FrmMaster::~FrmMaster() {
    if (BasGrade().registerGrid == flexMaster)
        BasGrade().registerGrid = nullptr;
}

void FrmMaster::Form_Load() { ResolveTableNames(); }
void FrmMaster::Form_Activate() {}
void FrmMaster::GridPopulate(const QString&, const QString&, const QString&) {}
void FrmMaster::UserRights() {}
bool FrmMaster::fnUserRights(QString&) { return false; }
void FrmMaster::SelectionRule() {}
void FrmMaster::CmdClose_Click() { close(); }
void FrmMaster::cboColNames_Click() {}
void FrmMaster::GridSearch() {}
bool FrmMaster::event(QEvent* event) { return QDialog::event(event); }
void FrmMaster::ResolveTableNames() { data::ResolveTableNames(adocon(), BasGrade().tables); }
void FrmMaster::GridHeaderPopulate(const QString&, std::vector<int>&) {}
void FrmMaster::GridMarkCancelled() {}
void FrmMaster::setupSearchAndSort() {}
