#include "ui/modal.h"

#include <QDialog>

namespace ui {

namespace {
ModalDisplay* installed = nullptr;
}

void setModalDisplay(ModalDisplay* display) {
    installed = display;
}

int showModal(QDialog& dialog) {
    if (installed)
        return installed->exec(dialog);
    return dialog.exec();
}

} // namespace ui
