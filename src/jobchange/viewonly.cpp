#include "jobchange/viewonly.h"

namespace jobchange {

std::optional<ViewOnlyReason> viewOnlyReason(const Workspace& workspace, qint32 id) {
    const QString table = workspace.tables.pEmployeegradeChange;
    const int company = workspace.companyId;
    ViewOnlyReason reason;
    qint32 employee = 0;
    {
        data::Recordset rs = workspace.db().open(
            QStringLiteral("select egcCancelled, egcCancelledRemarks, egcEmpID from ") + table +
                QStringLiteral(" where egcCompanyID = ? and egcId = ?"),
            {company, id});
        if (rs.eof())
            return std::nullopt;
        reason.cancelled = rs.field(0).toInt() != 0;
        reason.cancelledRemarks = rs.text(1).trimmed();
        employee = rs.field(2).toInt();
    }
    data::Recordset later = workspace.db().open(
        QStringLiteral("select egcNo, egcDate from ") + table +
            QStringLiteral(" where egcCompanyID = ? and egcEmpID = ? and egcId > ? and "
                           "egcCancelled = 0 order by egcId"),
        {company, employee, id});
    if (!later.eof()) {
        reason.laterNumber = later.text(0).trimmed();
        reason.laterDate = data::dateOf(later.field(1));
    }
    if (!reason.cancelled && reason.laterNumber.isEmpty())
        return std::nullopt;
    return reason;
}

} // namespace jobchange
