#pragma once

#include <QString>

class QWidget;

namespace ui {

// Every "save as" question goes through here, so tests can answer it without a dialog.
class SaveFileChooser {
public:
    virtual ~SaveFileChooser() = default;
    // The chosen path; empty when the user cancelled.
    virtual QString choose(QWidget* parent, const QString& caption, const QString& suggested,
                           const QString& filter) = 0;
};

// nullptr restores QFileDialog.
void setSaveFileChooser(SaveFileChooser* chooser);
QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter);

} // namespace ui
