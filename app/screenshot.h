#pragma once

#include "ui/modal.h"

#include <QString>

// Shows the register just long enough to take its picture, then closes it. Before the picture
// it can search the employee names for a text, or open a job change by its number and take
// the entry window's picture instead.
class ScreenshotDisplay : public ui::ModalDisplay {
public:
    ScreenshotDisplay(QString file, QString searchName, QString openNumber)
        : file_(std::move(file)), searchName_(std::move(searchName)),
          openNumber_(std::move(openNumber)) {}

    int exec(QDialog& dialog) override;
    bool saved() const { return error_.isEmpty() && taken_; }
    // Why the picture could not be written.
    const QString& error() const { return error_; }

private:
    void take(QDialog& dialog);

    QString file_;
    QString searchName_;
    QString openNumber_;
    bool taken_ = false;
    QString error_;
    int depth_ = 0;
};
