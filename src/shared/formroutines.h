#pragma once

#include <QString>
#include <QVariant>

class QComboBox;
class QWidget;

// Enter (13) moves the focus to the next control in tab order, as Tab does; the key itself is
// left as it is.
void EnterAsTab(int& keyAscii);

// False, after a message and with the focus on the control, when its text is blank.
bool fnCheckMandatory(QWidget* control, const QString& message, const QString& title);

// Records the text of every text box and combo box and the value of every check box and
// option button of the window in the control's tag.
void SetControlTags(QWidget* window);
// True when a control differs from what SetControlTags recorded (texts compared trimmed).
bool fnFormChanged(QWidget* window);

// Brings one job change's register row up to date from the register query: a new row in
// entry mode "N", the current row in mode "E". Shows its own errors.
void GridRefreshRow(const QString& criterion, qint32 id);

// Fills a combo from strLookupTables: kind "G" (designation and grade) or "E" (employee with
// currency symbol); any other kind leaves it empty.
void ComboPopulate(QComboBox* combo, const QString& idColumn, const QString& textColumn1,
                   const QString& textColumn2, const QString& kind, const QString& criterion = {});

// Deletes the rows of a table that the criterion selects.
bool fnDeleteRows(const QString& table, const QString& criterion);

// The register's text of a field: the date column in the system's short date format, every
// other value as the database layer writes it. Not trimmed.
QString RegisterCellText(const QVariant& value, int column);

// The tag property that SetControlTags and fnFormChanged keep.
inline constexpr const char* kTagProperty = "tag";
