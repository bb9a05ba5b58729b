#pragma once

#include "ui/messages.h"
#include "ui/modal.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <vector>

// A scene could not be played: a window other than the one expected opened, or a row it names
// is not in the register.
class SceneError : public std::runtime_error {
public:
    explicit SceneError(const QString& why) : std::runtime_error(why.toStdString()) {}
};

// What a scene does in one window: sets it into the state pictured, or opens the next window.
using SceneStep = std::function<void(QDialog&)>;

// A window in a known state, reached from the register without a clerk. Step i acts in the
// window opened i-th (the register first); the window of the last step is pictured once its
// step has run. Every window is closed as Cancel closes it, so a scene saves nothing.
struct Scene {
    QString name;  // the picture's file name, without ".png"
    QString shows; // what the picture shows, in a few words
    std::vector<SceneStep> steps;
};

// The step for a window of that class; any other window stops the scene.
template <class Window> SceneStep in(std::function<void(Window&)> act) {
    return [act = std::move(act)](QDialog& dialog) {
        auto* window = dynamic_cast<Window*>(&dialog);
        if (!window)
            throw SceneError(QStringLiteral("window %1 opened instead").arg(dialog.objectName()));
        act(*window);
    };
}

// Every scene of the guide, in its order.
const std::vector<Scene>& guideScenes();
// The scene of that name, or nothing.
const Scene* findScene(const QString& name);
// The register after searching the employee names for the text.
Scene searchScene(const QString& text);
// The entry window of the job change numbered so, opened from the register.
Scene jobScene(const QString& number);

// Shows each window just long enough to play its step of the scene, pictures the last one, and
// closes them all. Message boxes are answered (Yes to a question) and remembered, not shown.
class ScreenshotDisplay : public ui::ModalDisplay {
public:
    ScreenshotDisplay(QString file, Scene scene);
    ~ScreenshotDisplay() override;

    int exec(QDialog& dialog) override;
    ui::MsgAnswer showMessage(const QString& title, const QString& text, ui::MsgIcon icon,
                              ui::MsgButtons buttons);

    bool saved() const { return error_.isEmpty() && taken_; }
    // Why the picture could not be made or written.
    QString error() const;
    // The texts of the message boxes the scene met.
    const QStringList& messages() const { return messages_; }

private:
    void take(QDialog& dialog);
    QString sceneFailure(const QString& why) const;

    QString file_;
    Scene scene_;
    bool taken_ = false;
    QString error_;
    QStringList messages_;
    size_t depth_ = 0;
};
