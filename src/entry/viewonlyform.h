#pragma once

#include "jobchange/viewonly.h"

#include <optional>

class QLabel;
class QWidget;

// Shows a window's job change as one that can only be viewed: the line saying why, when there is
// a reason, and every input read-only (list lines can no longer be checked or unchecked).
void showViewOnly(QWidget& window, QLabel& whyLine,
                  const std::optional<jobchange::ViewOnlyReason>& reason);
