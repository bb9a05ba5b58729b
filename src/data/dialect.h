#pragma once

#include <QDate>
#include <QString>

namespace data {

// Renders the few places where the servers' SQL differs. Everything else is one text.
class Dialect {
public:
    enum class Kind { TSql, SQLite, Postgres };

    explicit Dialect(Kind kind = Kind::TSql) : kind_(kind) {}
    Kind kind() const { return kind_; }
    QString name() const;

    // a + space(1) + b
    QString concatSpace(const QString& a, const QString& b) const;
    // isnull(expr, alt)
    QString isNull(const QString& expr, const QString& alt) const;
    // convert(int, expr)
    QString toInt(const QString& expr) const;
    // right(expr, n)
    QString right(const QString& expr, const QString& n) const;
    // len(expr)
    QString len(const QString& expr) const;
    // A select statement (beginning "select ") cut to its first rows: "select top N ..." on
    // T-SQL, "... limit N" elsewhere.
    QString firstRows(const QString& select, int rows) const;
    // A quoted date literal. tsqlFormat is the format T-SQL is given ("yyyyMMdd", "yyyy/MM/dd");
    // the other servers take ISO dates.
    QString dateLiteral(const QDate& date, const QString& tsqlFormat) const;
    // "select columns from table where ..." that locks the rows it reads against other writers
    // until the transaction ends. SQLite needs none: its writers hold the database from BEGIN.
    QString lockingSelect(const QString& columns, const QString& table, const QString& where) const;
    // A statement that makes the numbering of a new job change within the company wait for any
    // other in progress, until the transaction ends; empty where the transaction's own lock does
    // that already (SQLite). On SQL Server it locks the company's prefix rows.
    QString numberingLock(const QString& prefixTable, qint16 companyId) const;

    // "column is one of a list of whole numbers bound as one text, 1,2,3": each server's form
    // that reads the rows by the column's index (SQLite, SQL Server) or checks each row of one
    // pass against the list in a hash (PostgreSQL, where a lookup per number costs more).
    QString inBoundNumbers(const QString& column) const;

    // The first key of PostgreSQL's numbering lock.
    static constexpr int kNumberingLockKey = 0x51564a43; // "QVJC"

private:
    Kind kind_;
};

} // namespace data
