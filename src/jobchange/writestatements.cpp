#include "jobchange/writestatements.h"

#include "jobchange/closedhint.h"

#include <algorithm>

namespace jobchange {

RowInserts::RowInserts(const QString& table, const QStringList& columns)
    : head_(QStringLiteral("insert into ") + table + QStringLiteral(" (") +
            columns.join(QStringLiteral(", ")) + QStringLiteral(") values ")),
      columns_(static_cast<int>(columns.size())) {
    row_ = QStringLiteral("(?");
    for (int i = 1; i < columns_; ++i)
        row_ += QStringLiteral(", ?");
    row_ += QLatin1Char(')');
}

void RowInserts::add(const QVariantList& values) {
    Q_ASSERT(values.size() == columns_);
    values_ += values;
}

void RowInserts::flush(data::Connection& connection) {
    const qsizetype perStatement = std::max(1, kMaxBoundValues / columns_) * columns_;
    for (qsizetype from = 0; from < values_.size(); from += perStatement) {
        const QVariantList binds = values_.mid(from, perStatement);
        QString sql = head_;
        sql.reserve(head_.size() + (row_.size() + 2) * binds.size() / columns_);
        for (qsizetype row = 0; row < binds.size(); row += columns_) {
            if (row)
                sql += QStringLiteral(", ");
            sql += row_;
        }
        connection.execute(sql, binds);
    }
    values_.clear();
}

WriteStatements::WriteStatements(const data::ResolvedTableNames& tables)
    : updateEmployee(QStringLiteral("update ") + tables.pemployee +
                     QStringLiteral(" set eBasic = ?, eGradeID = ?, eDesigID = ? where "
                                    "eCompanyID = ? and eEmpID = ?")),
      headerTable_(tables.pEmployeegradeChange),
      headerColumns_({QStringLiteral("egccompanyid"), QStringLiteral("egcId"),
                      QStringLiteral("egcNo"), QStringLiteral("egcDate"),
                      QStringLiteral("egcOldDesigID"), QStringLiteral("egcOldGradeID"),
                      QStringLiteral("egcEmpID"), QStringLiteral("egcNewDesigID"),
                      QStringLiteral("egcNewGradeID"), QStringLiteral("egcOldBasic"),
                      QStringLiteral("egcNewBasic"), QStringLiteral("egcremarks"),
                      QStringLiteral("egcCancelled")}) {
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        OfKind& statements = kinds[static_cast<size_t>(kind)];
        statements.gcTable = tables.*l.gcTable;
        statements.empTable = tables.*l.empTable;
        statements.lineColumns = {l.gcColumn("companyid"), l.gcColumn("gcid"),
                                  l.gcColumn("detailid"),  l.gcColumn("type"),
                                  l.gcTypeIdColumn,        l.gcColumn("revamount"),
                                  l.gcColumn("oldamount")};
        statements.standingColumns = {l.empColumn("companyid"), l.empColumn("empid"),
                                      l.empColumn("detailid"), l.empTypeIdColumn,
                                      l.empColumn("amount")};
        statements.empCompany = l.empColumn("companyid");
        statements.empEmployee = l.empColumn("empid");
    }
}

RowInserts WriteStatements::headers() const {
    return {headerTable_, headerColumns_};
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
