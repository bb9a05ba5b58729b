#include "screenshot.h"

#include "register/frmmaster.h"
#include "ui/flexgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPixmap>

namespace {

constexpr int kNumberColumn = 1;

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

int ScreenshotDisplay::exec(QDialog& dialog) {
    ++depth_;
    dialog.show();
    settle();
    auto* form = depth_ == 1 ? qobject_cast<FrmMaster*>(&dialog) : nullptr;
    if (form && !searchName_.isEmpty()) {
        form->cboSearch->setCurrentIndex(
            form->cboSearch->findText(QStringLiteral("Employee Name")));
        form->txtsearch->setText(searchName_);
        form->GridSearch();
        settle();
    }
    if (form && !openNumber_.isEmpty()) {
        ui::FlexGrid& grid = *form->flexMaster;
        for (int row = 1; row < grid.rows(); ++row) {
            if (grid.textMatrix(row, kNumberColumn).compare(openNumber_, Qt::CaseInsensitive) ==
                0) {
                grid.selectRowAcross(row);
                form->CmdEdit_Click(); // the entry window comes back here, and is taken
                break;
            }
        }
    } else {
        take(dialog);
    }
    dialog.hide();
    --depth_;
    return QDialog::Rejected;
}

void ScreenshotDisplay::take(QDialog& dialog) {
    saved_ = dialog.grab().save(file_, "PNG");
}
