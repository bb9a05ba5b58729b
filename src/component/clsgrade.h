#pragma once

#include "data/connection.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// The component's one public class: the host assigns the properties and calls Show.
class clsGrade : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Reading it unassigned creates, stores and returns an unopened connection.
    data::ConnectionPtr adocon();
    void setAdocon(data::ConnectionPtr connection) { adocon_ = std::move(connection); }

    QString MsgboxTitle;
    QDate ProcessDate;
    qint16 intUserID = 0;
    qint32 Intinterfaceid = 0;
    qint16 intCompanyID = 0;

    // Copies the properties into the caller context and shows the register modally; returns
    // when the register is closed. An error while the register loads reaches the caller.
    void Show();

private:
    data::ConnectionPtr adocon_;
};

// How Show opens the register (modally, returning when it closes); the register module
// installs it when the library loads.
void setRegisterOpener(std::function<void()> opener);

namespace Quorvel {
// Creation by programmatic identifier ("Quorvel.clsGrade"); null for any other name.
std::unique_ptr<QObject> CreateObject(const QString& progId);
} // namespace Quorvel
