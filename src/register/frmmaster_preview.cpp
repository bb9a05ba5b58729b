#include "register/frmmaster.h"

// Preview: not built yet.
void FrmMaster::cmPreview_Click() {}
