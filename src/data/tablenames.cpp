#include "data/tablenames.h"

#include "data/connection.h"

#include <QRegularExpression>
#include <QStringList>

namespace data {

const std::array<ResolvedTableNames::Slot, 17>& ResolvedTableNames::entries() {
    using R = ResolvedTableNames;
    static const std::array<Slot, 17> all{{
        {"pusers", &R::pusers},
        {"pEmployeegradeChange", &R::pEmployeegradeChange},
        {"pemployee", &R::pemployee},
        {"pGrades", &R::pGrades},
        {"ptables", &R::ptables},
        {"ptablecolumns", &R::ptablecolumns},
        {"puserrights", &R::puserrights},
        {"pDesignation", &R::pDesignation},
        {"pPrefix", &R::pPrefix},
        {"pcurrencymaster", &R::pcurrencymaster},
        {"pdeductions", &R::pdeductions},
        {"pallowances", &R::pallowances},
        {"pempgcAllowance", &R::pempgcAllowance},
        {"pempgcdeductions", &R::pempgcdeductions},
        {"pempallowances", &R::pempallowances},
        {"pempdeductions", &R::pempdeductions},
        {"pSettings", &R::pSettings},
    }};
    return all;
}

const std::array<ResolvedTableNames::Slot, 5>& ResolvedTableNames::moduleEntries() {
    using R = ResolvedTableNames;
    static const std::array<Slot, 5> all{{
        {"paudittrail", &R::paudittrail},
        {"pJobChangeSettings", &R::pJobChangeSettings},
        {"pBulkBatch", &R::pBulkBatch},
        {"pBulkBatchRows", &R::pBulkBatchRows},
        {"pBulkBatchLines", &R::pBulkBatchLines},
    }};
    return all;
}

QString resolveModuleTableNamesSql() {
    QStringList names;
    for (const auto& slot : ResolvedTableNames::moduleEntries())
        names << QLatin1Char('\'') + QLatin1String(slot.logicalName) + QLatin1Char('\'');
    return QStringLiteral("select tablename, linktablename from linktable where tablename in (") +
           names.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString resolveTableNamesSql() {
    return QStringLiteral(" select tablename, linktablename from linktable where tablename in ( ") +
           QStringLiteral(
               " 'pusers', 'pEmployeegradeChange', 'pemployee', 'pGrades', 'ptables', ") +
           QStringLiteral(" 'ptablecolumns', 'puserrights','pSettings', "
                          "'pDesignation','pcurrencymaster','pPrefix','pdeductions',") +
           QStringLiteral(" 'pallowances','pempgcAllowance','pempgcdeductions','pempallowances',"
                          "'pempdeductions')");
}

bool isPlainTableName(const QString& name) {
    // Trailing blanks are what a fixed-width character column pads a name with; they are
    // harmless in a statement, unlike anything else that is not part of an identifier.
    static const QRegularExpression plain(
        QStringLiteral("^(?:[A-Za-z_][A-Za-z0-9_]*\\.)?[A-Za-z_][A-Za-z0-9_]* *\\z"));
    return plain.match(name).hasMatch();
}

namespace {

template <size_t N>
void readNames(Connection& connection, const QString& sql,
               const std::array<ResolvedTableNames::Slot, N>& known, ResolvedTableNames& names) {
    Recordset rs = connection.open(sql);
    while (!rs.eof()) {
        const QString logical = rs.text(QStringLiteral("tablename")).toUpper();
        const QVariant physical = rs.field(QStringLiteral("linktablename"));
        for (const auto& slot : known) {
            if (logical == QString::fromLatin1(slot.logicalName).toUpper()) {
                if (physical.isNull())
                    throw DbError(94, QStringLiteral("ResolveTableNames"),
                                  QStringLiteral("Invalid use of Null"));
                const QString name = physical.toString();
                if (!isPlainTableName(name))
                    throw DbError(kErrGeneric, QStringLiteral("ResolveTableNames"),
                                  QStringLiteral("linktable gives the table %1 the name \"%2\", "
                                                 "which is not a plain table name: only letters, "
                                                 "digits and underscores, with at most one "
                                                 "schema prefix such as \"dbo.\".")
                                      .arg(QString::fromLatin1(slot.logicalName), name));
                names.*slot.name = name;
                break;
            }
        }
        rs.moveNext();
    }
}

} // namespace

void ResolveTableNames(Connection& connection, ResolvedTableNames& resolved) {
    // Nothing is kept from a linktable with a bad row: the load stops before any statement
    // carries a name from it.
    ResolvedTableNames names = resolved;
    readNames(connection, resolveTableNamesSql(), ResolvedTableNames::entries(), names);
    readNames(connection, resolveModuleTableNamesSql(), ResolvedTableNames::moduleEntries(), names);
    resolved = names;
}

} // namespace data
