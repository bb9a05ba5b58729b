#pragma once

#include <functional>

class QWidget;

// The key-press event of a control as the forms' handlers take it: the typed character's code
// (Enter 13, Ctrl+Enter 10, Backspace 8, Ctrl+D 4), by reference; a handler that sets it to 0
// swallows the key. Keys that type no character do not reach the handler.
void onKeyPress(QWidget* control, std::function<void(int& keyAscii)> handler);

// The key-down event: the key code (Delete 46, Enter 13, letters and digits their upper-case
// character code) and the shift state (1 Shift, 2 Ctrl, 4 Alt); 0 swallows the key.
void onKeyDown(QWidget* control, std::function<void(int& keyCode, int shift)> handler);

// Key codes the forms test.
inline constexpr int vbKeyReturn = 13;
inline constexpr int vbKeyDelete = 46;
