#include "entry/frmgrade.h"

// Validation and the save: not built yet.
void frmGrade::cmdOK_Click() {}
bool frmGrade::fnValidate() {
    return false;
}
