#include "register/frmmaster.h"

// Delete: not built yet.
void FrmMaster::CmdDelete_Click() {}
bool FrmMaster::fnDeleteAllowed() { return false; }
