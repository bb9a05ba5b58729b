#pragma once

class QDialog;

namespace ui {

// Every modal window is shown through here, so tests can drive it without timers.
class ModalDisplay {
public:
    virtual ~ModalDisplay() = default;
    virtual int exec(QDialog& dialog) = 0;
};

void setModalDisplay(ModalDisplay* display); // nullptr restores QDialog::exec
int showModal(QDialog& dialog);

} // namespace ui
