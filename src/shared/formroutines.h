#pragma once

#include "data/connection.h"

#include <QString>
#include <QVariant>
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

// What ComboPopulate reads: the id and two text columns of the tables, kind "G" (designation
// and grade) or "E" (employee with the currency symbol of currencyTable); any other kind reads
// nothing.
struct ComboLookup {
    QString idColumn;
    QString textColumn1;
    QString textColumn2;
    QString kind;
    QString tables; // what follows "from"
    QString criterion;
    QString currencyTable;
    qint16 companyId = 0;
};

// Fills a combo from the lookup, leaving no entry selected.
void ComboPopulate(data::Connection& connection, QComboBox* combo, const ComboLookup& lookup);

// An entry of a combo: its text and the id kept as its item data.
struct Choice {
    qint64 id = 0;
    QString text;
};

// Fills a combo with the choices, leaving no entry selected; no click is signalled.
void fillCombo(QComboBox* combo, const std::vector<Choice>& choices);

// Deletes the rows of a table that the criterion selects.
bool fnDeleteRows(data::Connection& connection, const QString& table, const QString& criterion,
                  const QVariantList& binds = {});

// The register's text of a field: the date column in the system's short date format, every
// other value as the database layer writes it. Not trimmed.
QString RegisterCellText(const QVariant& value, int column);

// The tag property that SetControlTags and fnFormChanged keep.
inline constexpr const char* kTagProperty = "tag";
