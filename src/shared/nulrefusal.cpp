#include "shared/nulrefusal.h"

#include <QLineEdit>

NulRefusal::NulRefusal(QLineEdit* box, QString field, Show show)
    : QObject(box), box_(box), field_(std::move(field)), show_(std::move(show)),
      accepted_(box->text()) {
    // As in the amount box: textEdited comes first, and a refused edit's textChanged arrives
    // after the box was put back.
    connect(box_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text == box_->text())
            accepted_ = text;
    });
    connect(box_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!holdsNul(text))
            return;
        const int cursor = box_->cursorPosition();
        box_->setText(accepted_);
        box_->setCursorPosition(qMin(cursor, static_cast<int>(accepted_.size())));
        show_(NulCharacterMessage(field_));
    });
}

bool holdsNul(const QString& text) {
    return text.contains(QChar(0));
}

QString NulCharacterMessage(const QString& field) {
    return QStringLiteral("%1: a NUL character cannot be saved; the text was not taken").arg(field);
}
