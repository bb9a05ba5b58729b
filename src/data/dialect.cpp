#include "data/dialect.h"

namespace data {

QString Dialect::name() const {
    switch (kind_) {
    case Kind::TSql:
        return QStringLiteral("tsql");
    case Kind::SQLite:
        return QStringLiteral("sqlite");
    case Kind::Postgres:
        return QStringLiteral("postgres");
    }
    return {};
}

QString Dialect::concatSpace(const QString& a, const QString& b) const {
    if (kind_ == Kind::TSql)
        return a + QStringLiteral(" + space(1) + ") + b;
    return a + QStringLiteral(" || ' ' || ") + b;
}

QString Dialect::isNull(const QString& expr, const QString& alt) const {
    switch (kind_) {
    case Kind::TSql:
        return QStringLiteral("isnull(%1,%2)").arg(expr, alt);
    case Kind::SQLite:
        return QStringLiteral("ifnull(%1,%2)").arg(expr, alt);
    case Kind::Postgres:
        return QStringLiteral("coalesce(%1,%2)").arg(expr, alt);
    }
    return {};
}

QString Dialect::toInt(const QString& expr) const {
    if (kind_ == Kind::TSql)
        return QStringLiteral("convert(int,%1)").arg(expr);
    return QStringLiteral("cast(%1 as integer)").arg(expr);
}

QString Dialect::right(const QString& expr, const QString& n) const {
    if (kind_ == Kind::SQLite)
        return QStringLiteral("substr(%1,length(%1)-(%2)+1)").arg(expr, n);
    return QStringLiteral("right(%1,%2)").arg(expr, n);
}

QString Dialect::len(const QString& expr) const {
    if (kind_ == Kind::TSql)
        return QStringLiteral("len(%1)").arg(expr);
    return QStringLiteral("length(%1)").arg(expr);
}

QString Dialect::firstRows(const QString& select, int rows) const {
    if (kind_ == Kind::TSql)
        return QStringLiteral("select top %1 ").arg(rows) + select.mid(7);
    return select + QStringLiteral(" limit %1").arg(rows);
}

QString Dialect::inBoundNumbers(const QString& column) const {
    switch (kind_) {
    case Kind::TSql:
        return column + QStringLiteral(" in (select cast(value as int) from string_split(?, ','))");
    case Kind::Postgres:
        return column + QStringLiteral(" = any(string_to_array(?, ',')::integer[])");
    case Kind::SQLite:
        break;
    }
    return column + QStringLiteral(" in (select value from json_each('[' || ? || ']'))");
}

QString Dialect::dateLiteral(const QDate& date, const QString& tsqlFormat) const {
    const QString text = kind_ == Kind::TSql ? date.toString(tsqlFormat)
                                             : date.toString(QStringLiteral("yyyy-MM-dd"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString Dialect::lockingSelect(const QString& columns, const QString& table,
                               const QString& where) const {
    switch (kind_) {
    case Kind::TSql:
        return QStringLiteral("select %1 from %2 with (updlock, rowlock) where %3")
            .arg(columns, table, where);
    case Kind::Postgres:
        return QStringLiteral("select %1 from %2 where %3 for update").arg(columns, table, where);
    case Kind::SQLite:
        break;
    }
    return QStringLiteral("select %1 from %2 where %3").arg(columns, table, where);
}

QString Dialect::numberingLock(const QString& prefixTable, qint16 companyId) const {
    switch (kind_) {
    case Kind::TSql:
        return lockingSelect(QStringLiteral("CompanyID"), prefixTable,
                             QStringLiteral("CompanyID = ") + QString::number(companyId));
    case Kind::Postgres:
        // Held to the end of the transaction, whether or not the company has a prefix row. The
        // first key marks the lock as this program's numbering.
        return QStringLiteral("select pg_advisory_xact_lock(%1, %2)")
            .arg(QString::number(kNumberingLockKey), QString::number(companyId));
    case Kind::SQLite:
        break;
    }
    return {};
}

} // namespace data
