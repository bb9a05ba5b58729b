#include "shared/keyevents.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace {

// The key code of a key that types no printable character (Enter 13, Backspace 8, Escape 27,
// Tab 9, Delete 46); 0 for any other key.
int specialKeyCode(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

int keyAsciiOf(const QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int special = specialKeyCode(event->key());
    if (special == 13)
        return ctrl ? 10 : 13;
    if (special == 8 || special == 27)
        return special;
    if (special == 9) // Tab moves on and types nothing
        return 0;
    if (ctrl && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return event->key() - Qt::Key_A + 1;
    const QString text = event->text();
    if (text.isEmpty() || text.at(0).unicode() < 32)
        return 0;
    return text.at(0).unicode();
}

int keyCodeOf(const QKeyEvent* event) {
    const int key = event->key();
    if (const int special = specialKeyCode(key))
        return special;
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key;
    return 0;
}

int shiftOf(const QKeyEvent* event) {
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= 1;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= 2;
    if (event->modifiers() & Qt::AltModifier)
        shift |= 4;
    return shift;
}

class KeyFilter : public QObject {
public:
    KeyFilter(QWidget* control, std::function<void(int&)> press,
              std::function<void(int&, int)> down)
        : QObject(control), press_(std::move(press)), down_(std::move(down)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (down_) {
            int code = keyCodeOf(key);
            if (code != 0) {
                down_(code, shiftOf(key));
                if (code == 0)
                    return true;
            }
        }
        if (press_) {
            int ascii = keyAsciiOf(key);
            if (ascii != 0) {
                press_(ascii);
                if (ascii == 0)
                    return true;
            }
        }
        return false;
    }

private:
    std::function<void(int&)> press_;
    std::function<void(int&, int)> down_;
};

} // namespace

void onKeyPress(QWidget* control, std::function<void(int& keyAscii)> handler) {
    control->installEventFilter(new KeyFilter(control, std::move(handler), {}));
}

void onKeyDown(QWidget* control, std::function<void(int& keyCode, int shift)> handler) {
    control->installEventFilter(new KeyFilter(control, {}, std::move(handler)));
}
