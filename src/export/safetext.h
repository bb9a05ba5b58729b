#pragma once

#include <QString>

namespace tableexport {

// A text cell of a CSV file as a spreadsheet may open it without running anything: a text that
// begins with "=", "+", "-", "@", a tab or a carriage return gets a leading apostrophe, so that
// it is read as text and never as a formula. Amounts and numbers are written as numbers and
// never pass through here.
QString csvSafeCell(const QString& text);

// Text from the database or a file as a terminal may be given it: C0 and C1 control characters,
// DEL and the bidirectional embeddings, overrides and isolates are written as escapes ("\x1b",
// "\r", "\u202e"), so that no name can move the cursor, recolour the screen or fake a line.
QString terminalSafeText(const QString& text);

} // namespace tableexport
