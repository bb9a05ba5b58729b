#include "ui/savefile.h"

#include <QFileDialog>

namespace ui {

namespace {
SaveFileChooser* installed = nullptr;
}

void setSaveFileChooser(SaveFileChooser* chooser) {
    installed = chooser;
}

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter) {
    if (installed)
        return installed->choose(parent, caption, suggested, filter);
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

} // namespace ui
