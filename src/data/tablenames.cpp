#include "data/tablenames.h"

#include "data/connection.h"

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

QString resolveTableNamesSql() {
    return QStringLiteral(" select tablename, linktablename from linktable where tablename in ( ") +
           QStringLiteral(
               " 'pusers', 'pEmployeegradeChange', 'pemployee', 'pGrades', 'ptables', ") +
           QStringLiteral(" 'ptablecolumns', 'puserrights','pSettings', "
                          "'pDesignation','pcurrencymaster','pPrefix','pdeductions',") +
           QStringLiteral(" 'pallowances','pempgcAllowance','pempgcdeductions','pempallowances',"
                          "'pempdeductions')");
}

void ResolveTableNames(Connection& connection, ResolvedTableNames& names) {
    Recordset rs = connection.open(resolveTableNamesSql());
    while (!rs.eof()) {
        const QString logical = rs.text(QStringLiteral("tablename")).toUpper();
        const QVariant physical = rs.field(QStringLiteral("linktablename"));
        for (const auto& slot : ResolvedTableNames::entries()) {
            if (logical == QString::fromLatin1(slot.logicalName).toUpper()) {
                if (physical.isNull())
                    throw DbError(94, QStringLiteral("ResolveTableNames"),
                                  QStringLiteral("Invalid use of Null"));
                names.*slot.name = physical.toString();
                break;
            }
        }
        rs.moveNext();
    }
}

} // namespace data
