#include "jobchange/writestatements.h"

#include "jobchange/closedhint.h"

namespace jobchange {

namespace {

QString insertInto(const QString& table, const QStringList& columns) {
    QString placeholders;
    for (qsizetype i = 0; i < columns.size(); ++i)
        placeholders += i ? QStringLiteral(", ?") : QStringLiteral("?");
    return QStringLiteral("insert into ") + table + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + QStringLiteral(") values (") + placeholders +
           QLatin1Char(')');
}

} // namespace

WriteStatements::WriteStatements(const data::ResolvedTableNames& tables)
    : insertHeader(insertInto(tables.pEmployeegradeChange,
                              {QStringLiteral("egccompanyid"), QStringLiteral("egcId"),
                               QStringLiteral("egcNo"), QStringLiteral("egcDate"),
                               QStringLiteral("egcOldDesigID"), QStringLiteral("egcOldGradeID"),
                               QStringLiteral("egcEmpID"), QStringLiteral("egcNewDesigID"),
                               QStringLiteral("egcNewGradeID"), QStringLiteral("egcOldBasic"),
                               QStringLiteral("egcNewBasic"), QStringLiteral("egcremarks"),
                               QStringLiteral("egcCancelled")})),
      updateEmployee(QStringLiteral("update ") + tables.pemployee +
                     QStringLiteral(" set eBasic = ?, eGradeID = ?, eDesigID = ? where "
                                    "eCompanyID = ? and eEmpID = ?")) {
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        OfKind& statements = kinds[static_cast<size_t>(kind)];
        statements.insertLine = insertInto(
            tables.*l.gcTable, {l.gcColumn("companyid"), l.gcColumn("gcid"), l.gcColumn("detailid"),
                                l.gcColumn("type"), l.gcTypeIdColumn, l.gcColumn("revamount"),
                                l.gcColumn("oldamount")});
        statements.insertStanding =
            insertInto(tables.*l.empTable,
                       {l.empColumn("companyid"), l.empColumn("empid"), l.empColumn("detailid"),
                        l.empTypeIdColumn, l.empColumn("amount")});
        statements.standingCriterion =
            l.empDeleteCompany + QLatin1Char('?') + l.empDeleteEmp + QLatin1Char('?');
    }
}

bool fnDeleteRows(data::Connection& connection, const QString& table, const QString& criterion,
                  const QVariantList& binds) {
    try {
        connection.execute(
            QStringLiteral("delete from ") + table + QStringLiteral(" where ") + criterion, binds);
    } catch (const data::DbError& error) {
        passOnWithHint(error);
    }
    return true;
}

} // namespace jobchange
