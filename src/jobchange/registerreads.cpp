#include "jobchange/registerreads.h"

#include <algorithm>

QString RegisterQuery(const data::Dialect& dialect, const data::ResolvedTableNames& tables,
                      qint16 companyId) {
    return QStringLiteral("select egcid, egcno, egcdate, ename,") + QLatin1Char(' ') +
           dialect.concatSpace(QStringLiteral("og.gDescription"),
                               QStringLiteral("od.dDescription")) +
           QStringLiteral(", ") +
           dialect.concatSpace(QStringLiteral("ng.gDescription"),
                               QStringLiteral("nd.dDescription")) +
           QStringLiteral(",") +
           QStringLiteral(" case egccancelled when 1 then 'Yes' when 0 then 'No' end") +
           QStringLiteral(" from ") + tables.pEmployeegradeChange + QStringLiteral(", ") +
           tables.pemployee + QStringLiteral(", ") + tables.pGrades + QStringLiteral(" og, ") +
           tables.pGrades + QStringLiteral(" ng, ") + tables.pDesignation +
           QStringLiteral(" od, ") + tables.pDesignation + QStringLiteral(" nd ") +
           QStringLiteral(" where egcCompanyID = eCompanyID and egcEmpID = eEmpID and ") +
           QStringLiteral(" egcCompanyid = od.dCompanyID and egcOldDesigID = od.dDesigID and "
                          "egcCompanyid = nd.dCompanyID and egcNewDesigID = nd.dDesigID and ") +
           QStringLiteral(" od.dGradeID = og.gid and od.dcompanyid = og.gcompanyid and "
                          "nd.dGradeID = ng.gid and nd.dcompanyid = ng.gcompanyid and "
                          "egcCompanyid = ") +
           QString::number(companyId);
}

QString RegisterDateFilter(const data::Dialect& dialect, const QDate& cutoff) {
    return QStringLiteral(" and egcdate >=") +
           dialect.dateLiteral(cutoff, QStringLiteral("yyyyMMdd"));
}

QString RegisterOrder(const data::Dialect& dialect, bool newestFirst) {
    // A number's running part orders by its length first: JC9 before JC10. The id last makes the
    // order total, so that the newest rows read first are exactly the last ones in order.
    const QString direction = newestFirst ? QStringLiteral(" desc") : QString();
    return QStringLiteral(" order by egcdate") + direction + QStringLiteral(", ") +
           dialect.len(QStringLiteral("egcno")) + direction + QStringLiteral(", egcno") +
           direction + QStringLiteral(", egcid") + direction;
}

namespace jobchange {

namespace {

// The register's rows come in order of these columns; the last three are the query's first.
constexpr int kKeyDate = 2;
constexpr int kKeyNumber = 1;
constexpr int kKeyId = 0;

} // namespace

QVariantList registerKey(data::RowStream& rows) {
    if (rows.isNull(kKeyDate) || rows.isNull(kKeyNumber))
        return {};
    const QString number = rows.text(kKeyNumber).toString();
    return {rows.text(kKeyDate).toString(), number, number, rows.integer(kKeyId).value_or(0)};
}

QString RegisterReads::registerSql(qint16 previousDays) const {
    return registerRowsSql(previousDays) + RegisterOrder(workspace_->dialect());
}

QString RegisterReads::registerRowsSql(qint16 previousDays) const {
    const Workspace& ws = *workspace_;
    QString sql = RegisterQuery(ws.dialect(), ws.tables, ws.companyId);
    if (previousDays > 0)
        sql += RegisterDateFilter(ws.dialect(), ws.processDate.addDays(-previousDays));
    return sql;
}

RegisterStatements RegisterReads::registerStatements(qint16 previousDays, int newestRows) const {
    const Workspace& ws = *workspace_;
    // Job changes are numbered from 1 up in each company and never removed: the highest id is
    // their count, read from the key's end, where a count would read every row first.
    QString count = QStringLiteral("select ") +
                    (previousDays > 0 ? QStringLiteral("count(*)") : QStringLiteral("max(egcId)")) +
                    QStringLiteral(" from ") + ws.tables.pEmployeegradeChange +
                    QStringLiteral(" where egcCompanyid = ") + ws.company();
    if (previousDays > 0)
        count += RegisterDateFilter(ws.dialect(), ws.processDate.addDays(-previousDays));
    // The order's own columns compared as one value: the register's index starts where the
    // last row read ends.
    const QString after = QStringLiteral(" and (egcdate, ") +
                          ws.dialect().len(QStringLiteral("egcno")) +
                          QStringLiteral(", egcno, egcid) > (?, ") +
                          ws.dialect().len(QStringLiteral("?")) + QStringLiteral(", ?, ?)");
    return {ws.dialect().firstRows(
                registerRowsSql(previousDays) + RegisterOrder(ws.dialect(), true), newestRows),
            registerSql(previousDays), count,
            registerRowsSql(previousDays) + after + RegisterOrder(ws.dialect()), newestRows};
}

data::Recordset RegisterReads::registerRows(qint16 previousDays) const {
    return workspace_->db().open(registerSql(previousDays));
}

data::RowStream RegisterReads::registerStream(qint16 previousDays) const {
    return data::RowStream(workspace_->db(), registerSql(previousDays));
}

std::optional<QVariantList> RegisterReads::registerRow(qint16 previousDays, qint32 id) const {
    data::Recordset rs = workspace_->db().open(
        registerRowsSql(previousDays) + QStringLiteral(" and egcId = ") + QString::number(id));
    if (rs.eof())
        return std::nullopt;
    QVariantList fields;
    for (int c = 0; c < rs.fieldCount(); ++c)
        fields << rs.field(c);
    return fields;
}

QStringList RegisterReads::columnTitles() const {
    const data::ResolvedTableNames& t = workspace_->tables;
    data::Recordset rs = workspace_->db().open(
        QStringLiteral("select tc.columnheader,tc.columnname from ") + QStringLiteral(" ") +
            t.ptables + QStringLiteral("  t,") + t.ptablecolumns +
            QStringLiteral(" tc where t.tableid = tc.tableid and ") +
            QStringLiteral("  tablename = ? order by tc.ColumnID"),
        {t.pEmployeegradeChange});
    QStringList titles;
    for (; !rs.eof(); rs.moveNext())
        titles << rs.text(0);
    return titles;
}

qint16 RegisterReads::previousDays() const {
    return static_cast<qint16>(
        data::firstField(workspace_->db(), QStringLiteral("select NoOfPreviousDays from ") +
                                               workspace_->tables.pSettings +
                                               QStringLiteral(" where companyID=") +
                                               workspace_->company())
            .toInt());
}

bool RegisterReads::laterUncancelledExists(qint32 id) const {
    const QString t = workspace_->tables.pEmployeegradeChange;
    const QString company = workspace_->company();
    const QString jc = QString::number(id);
    return data::firstField(workspace_->db(),
                            QStringLiteral("select count(*) from ") + t +
                                QStringLiteral(" where ") + QStringLiteral("egccompanyid = ") +
                                company + QStringLiteral(" and egcempid = (select egcempid from ") +
                                t + QStringLiteral(" where egccompanyid =") + company +
                                QStringLiteral(" and egcid =") + jc +
                                QStringLiteral(")  and egcid > ") + jc +
                                QStringLiteral(" and egcCancelled =0"))
               .toLongLong() > 0;
}

std::optional<qint32> RegisterReads::findJobChange(const QString& idOrNumber) const {
    const Workspace& ws = *workspace_;
    const QString text = idOrNumber.trimmed();
    const QString select = QStringLiteral("select egcId from ") + ws.tables.pEmployeegradeChange +
                           QStringLiteral(" where egcCompanyID = ? and ");
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    bool fits = false;
    const qint32 id = text.toInt(&fits);
    if (digits && fits) {
        data::Recordset rs =
            ws.db().open(select + QStringLiteral("egcId = ?"), {int(ws.companyId), id});
        if (!rs.eof())
            return rs.field(0).toInt();
    }
    data::Recordset rs = ws.db().open(select + QStringLiteral("upper(egcNo) = ? order by egcId"),
                                      {int(ws.companyId), text.toUpper()});
    if (rs.eof())
        return std::nullopt;
    return rs.field(0).toInt();
}

} // namespace jobchange
