#include "screenshot.h"

#include "data/dberror.h"
#include "export/ownerfile.h"
#include "register/frmmaster.h"

#include <QApplication>
#include <QDialog>
#include <QPixmap>

namespace {

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

const Scene* findScene(const QString& name) {
    for (const Scene& scene : guideScenes())
        if (scene.name == name)
            return &scene;
    return nullptr;
}

ScreenshotDisplay::ScreenshotDisplay(QString file, Scene scene)
    : file_(std::move(file)), scene_(std::move(scene)) {
    ui::setModalDisplay(this);
    ui::setMessageHandler(
        [this](const QString& title, const QString& text, ui::MsgIcon icon,
               ui::MsgButtons buttons) { return showMessage(title, text, icon, buttons); });
}

ScreenshotDisplay::~ScreenshotDisplay() {
    ui::setMessageHandler({});
    ui::setModalDisplay(nullptr);
}

int ScreenshotDisplay::exec(QDialog& dialog) {
    const size_t step = depth_++;
    dialog.show();
    settle();
    // The picture shows the whole register, as it stands once every row is in.
    if (auto* form = qobject_cast<FrmMaster*>(&dialog))
        form->completeLoad();
    if (error_.isEmpty() && step < scene_.steps.size()) {
        try {
            scene_.steps[step](dialog);
            settle();
            if (step + 1 == scene_.steps.size())
                take(dialog);
        } catch (const SceneError& failure) {
            error_ = sceneFailure(QString::fromStdString(failure.what()));
        } catch (const data::DbError& failure) {
            error_ = sceneFailure(failure.description());
        }
    }
    dialog.hide();
    --depth_;
    return QDialog::Rejected;
}

ui::MsgAnswer ScreenshotDisplay::showMessage(const QString&, const QString& text, ui::MsgIcon,
                                             ui::MsgButtons buttons) {
    messages_ << text;
    return buttons == ui::MsgButtons::YesNo ? ui::MsgAnswer::Yes : ui::MsgAnswer::Ok;
}

QString ScreenshotDisplay::error() const {
    if (!error_.isEmpty() || taken_)
        return error_;
    return sceneFailure(QStringLiteral("its window %1 was never opened").arg(scene_.steps.size()));
}

QString ScreenshotDisplay::sceneFailure(const QString& why) const {
    return QStringLiteral("scene %1: %2")
        .arg(scene_.name.isEmpty() ? QStringLiteral("register") : scene_.name, why);
}

// The picture shows names and pay: it is written as every such file is.
void ScreenshotDisplay::take(QDialog& dialog) {
    taken_ = true;
    try {
        tableexport::OwnerOnlyFile file(file_);
        if (!dialog.grab().save(&file.device(), "PNG"))
            file.fail(QStringLiteral("the picture could not be encoded"));
        file.commit();
    } catch (const tableexport::ExportError& failure) {
        error_ = failure.message();
    }
}
