#pragma once

#include "data/choice.h"
#include "data/connection.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

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

// Fills a combo with the choices, leaving no entry selected; no click is signalled.
void fillCombo(QComboBox* combo, const std::vector<Choice>& choices);
// Fills a combo with what read returns, the same way. The combo is emptied first, so a read that
// fails leaves it empty, with no entry selected, and its error is passed on.
void ComboPopulate(QComboBox* combo, const std::function<std::vector<Choice>()>& read);

// The register's text of a field: the date column in the system's short date format, every
// other value as the database layer writes it. Not trimmed.
QString RegisterCellText(const QVariant& value, int column);

// The tag property that SetControlTags and fnFormChanged keep.
inline constexpr const char* kTagProperty = "tag";
