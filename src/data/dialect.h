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
    // A quoted date literal. tsqlFormat is the format T-SQL is given ("yyyyMMdd", "yyyy/MM/dd");
    // the other servers take ISO dates.
    QString dateLiteral(const QDate& date, const QString& tsqlFormat) const;

private:
    Kind kind_;
};

} // namespace data
