#include "register/frmmaster.h"

// New and Edit: not built yet.
void FrmMaster::cmdnew_Click() {}
void FrmMaster::CmdEdit_Click() {}
void FrmMaster::AllowancePopulate(qint32) {}
void FrmMaster::DeductionPopulate(qint32) {}
