#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

// A text box that never takes a NUL character: no server keeps one (PostgreSQL refuses the
// whole statement), so an edit that brings one in, typed or pasted, is refused with a message
// naming the box, and the box keeps what it held.
class NulRefusal : public QObject {
public:
    using Show = std::function<void(const QString& message)>;

    NulRefusal(QLineEdit* box, QString field, Show show);

private:
    QLineEdit* box_;
    QString field_;
    Show show_;
    QString accepted_;
};

bool holdsNul(const QString& text);
// "Remarks: a NUL character cannot be saved; the text was not taken".
QString NulCharacterMessage(const QString& field);
