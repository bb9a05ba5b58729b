#pragma once

#include "data/connection.h"
#include "data/tablenames.h"
#include "ui/messages.h"

#include <QDate>
#include <QString>

// The caller context: what Show copies from clsGrade and what the windows share. It lives as
// long as the component is loaded and is overwritten, never cleared, by the next Show.
struct CallerContext {
    data::ConnectionPtr adocon;
    qint16 intUserID = 0;
    qint16 intCompanyID = 0;
    qint32 Intinterfaceid = 0;
    QString MsgboxTitle;
    QDate ProcessDate;

    QString strSql;
    QString strTableMain;
    QString strEntryMode;
    QString strLookupTables;
    data::ResolvedTableNames tables;
};

CallerContext& BasGrade();

// The connection of the caller context; an unopened one when none was ever handed over, so
// that every statement raises 3709.
data::Connection& adocon();

// The company of the caller context, as statements carry it.
QString company();

// A message box titled with MsgboxTitle.
ui::MsgAnswer MsgBox(const QString& text, ui::MsgIcon icon = ui::MsgIcon::Information,
                     ui::MsgButtons buttons = ui::MsgButtons::Ok);
