#include "entry/gradenumbering.h"

#include "component/basgrade.h"

#include <limits>

namespace {

constexpr int kErrOverflow = 6;

// The prefix is stored data, not typed here, but a quote in it must not end the literal.
QString quoted(QString text) {
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

} // namespace

QString gradeNoMaxSql(const data::Dialect& dialect, const QString& gradeChangeTable,
                      qint16 companyId, const QString& prefix) {
    const QString number = dialect.right(QStringLiteral("egcNo"),
                                         dialect.len(QStringLiteral("egcNo")) + QLatin1Char('-') +
                                             QString::number(prefix.size()));
    return QStringLiteral("SELECT ") +
           dialect.isNull(QStringLiteral("max(") + dialect.toInt(number) + QLatin1Char(')'),
                          QStringLiteral("0")) +
           QStringLiteral(" FROM ") + gradeChangeTable + QStringLiteral(" WHERE egcCompanyID=") +
           QString::number(companyId) + QStringLiteral(" and egcNo like '") +
           quoted(prefix.trimmed()) + QStringLiteral("%'");
}

QString fnNextGradeNo(data::Connection& connection) {
    const CallerContext& context = BasGrade();
    QString prefix;
    {
        data::Recordset rs = connection.open(
            QStringLiteral("SELECT Prefix FROM ") + context.tables.pPrefix +
            QStringLiteral(" WHERE CompanyID = ") + QString::number(context.intCompanyID) +
            QStringLiteral(" and InterfaceID = ") + QString::number(context.Intinterfaceid));
        if (!rs.eof())
            prefix = rs.text(0);
    }
    data::Recordset rs = connection.open(gradeNoMaxSql(
        connection.dialect(), context.tables.pEmployeegradeChange, context.intCompanyID, prefix));
    const QString highest = rs.eof() ? QStringLiteral("0") : rs.text(0);
    qint64 next = 1;
    if (highest != QLatin1String("0")) {
        next = static_cast<qint64>(data::leadingNumber(highest)) + 1;
        if (next > std::numeric_limits<qint32>::max())
            throw data::DbError(kErrOverflow, QStringLiteral("frmGrade"),
                                QStringLiteral("Overflow"));
    }
    return prefix + QString::number(next);
}
