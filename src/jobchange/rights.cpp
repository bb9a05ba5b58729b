#include "jobchange/rights.h"

namespace jobchange {

namespace {

const char* rightLetter(Right right) {
    switch (right) {
    case Right::Create:
        return "N";
    case Right::Edit:
        return "E";
    case Right::Cancel:
        return "D";
    case Right::Approve:
        return "A";
    }
    return "";
}

QString rightVerb(Right right) {
    switch (right) {
    case Right::Create:
        return QStringLiteral("create job changes");
    case Right::Edit:
        return QStringLiteral("edit job changes");
    case Right::Cancel:
        return QStringLiteral("cancel job changes");
    case Right::Approve:
        return QStringLiteral("approve bulk batches");
    }
    return {};
}

} // namespace

bool rightsGrant(const QString& rights, const QString& letter) {
    const QString held = rights.trimmed().toUpper();
    // The word is not read as a list of letters.
    if (held == QLatin1String("ADMIN"))
        return false;
    return held.contains(letter.trimmed().toUpper());
}

std::optional<QString> UserRights::userRights() const {
    const Workspace& ws = *workspace_;
    if (ws.userId == 1)
        return QStringLiteral("NEDUP");
    data::Recordset rs = ws.db().open(
        QStringLiteral("select functionrights from ") + ws.tables.puserrights +
        QStringLiteral(" where userid = ") + QString::number(ws.userId) +
        QStringLiteral(" and interfaceid = ") + QString::number(kJobChangeInterfaceId));
    if (rs.eof())
        return std::nullopt;
    if (rs.isNull(0))
        throw data::DbError(94, QStringLiteral("FrmMaster"), QStringLiteral("Invalid use of Null"));
    return rs.text(0);
}

std::optional<QString> UserRights::missingRight(Right right) const {
    const QString letter = QString::fromLatin1(rightLetter(right));
    if (workspace_->userId == 1)
        return std::nullopt;
    const std::optional<QString> rights = userRights();
    if (rights ? rightsGrant(*rights, letter) : right == Right::Create)
        return std::nullopt;
    return QStringLiteral("User %1 has no right to %2 (%3)")
        .arg(workspace_->userId)
        .arg(rightVerb(right), letter);
}

} // namespace jobchange
