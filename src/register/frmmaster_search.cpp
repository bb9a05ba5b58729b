#include "register/frmmaster.h"

// Search and sort: not built yet.
void FrmMaster::setupSearchAndSort() {}
void FrmMaster::cboColNames_Click() {}
void FrmMaster::GridSearch() {}
