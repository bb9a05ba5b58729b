#pragma once

#include "data/connection.h"
#include "data/tablenames.h"

#include <QDate>
#include <QString>
#include <memory>

namespace jobchange {

class ChangeRecorder;

// The job change module's own interface: the register works through it, its rights are read
// for it whatever interface a host names, and a command without windows numbers through it
// unless told otherwise.
inline constexpr qint32 kJobChangeInterfaceId = 91004;

// What every window and routine of one register session works in: the connection, who is
// working, for which company, on which process date, and the installation's table names. Made
// once when the register loads and handed to everything that needs it, never read from a
// global.
struct Workspace {
    data::ConnectionPtr connection;
    data::ResolvedTableNames tables;
    // The company worked on, and the day its payroll is at.
    qint16 companyId = 0;
    QDate processDate;
    // Who works, through which interface (its rights and numbering prefix).
    qint16 userId = 0;
    qint32 interfaceId = 0;
    QString msgboxTitle;
    // Told of every job change written in this workspace, inside the write's transaction (see
    // unitofwork.h); none records nothing. open() gives it the audit trail's recorder when
    // linktable names the trail's table.
    std::shared_ptr<ChangeRecorder> recorder;

    // Resolves the table names through linktable on the connection (an unopened one raises
    // 3709). A logical name without a row keeps its name in earlier: what an earlier load of
    // the register found.
    static std::shared_ptr<const Workspace> open(data::ConnectionPtr connection, qint16 companyId,
                                                 qint16 userId, qint32 interfaceId,
                                                 const QDate& processDate, QString msgboxTitle,
                                                 const data::ResolvedTableNames& earlier = {});

    data::Connection& db() const { return *connection; }
    const data::Dialect& dialect() const { return connection->dialect(); }
    // The company as statements carry it.
    QString company() const { return QString::number(companyId); }
    // A table's physical name.
    QString table(QString data::ResolvedTableNames::*name) const { return tables.*name; }
};

using WorkspacePtr = std::shared_ptr<const Workspace>;

} // namespace jobchange
