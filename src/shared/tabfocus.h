#pragma once

class QWidget;

// Takes every read-only text, number or date box of the window out of the Tab order; a click
// still reaches it, to select and copy its text.
void skipReadOnlyOnTab(QWidget* window);
