#include "screenshot.h"

#include "export/ownerfile.h"
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

// The picture shows names and pay: it is written as every such file is.
void ScreenshotDisplay::take(QDialog& dialog) {
    taken_ = true;
    try {
        tableexport::OwnerOnlyFile file(file_);
        if (!dialog.grab().save(&file.device(), "PNG"))
            file.fail(QStringLiteral("the picture could not be encoded"));
        file.commit();
    } catch (const tableexport::ExportError& failure) {
        error_ = failure.message();
    }
}
