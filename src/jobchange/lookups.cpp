#include "jobchange/lookups.h"

#include "jobchange/closedhint.h"

namespace jobchange {

namespace {

const QString kJobCriterion =
    QStringLiteral("dCompanyid = gCompanyid and dGradeID = gID and dactive = 1 and ");

} // namespace

std::vector<Choice> Lookups::eligibleEmployees() const {
    const Workspace& ws = *workspace_;
    data::Recordset rs = ws.db().open(
        QStringLiteral("select eempid, ename from ") + ws.tables.pemployee +
        QStringLiteral(" e left outer join ") + ws.tables.pEmployeegradeChange +
        QStringLiteral(" egc on e.ecompanyid = egc.egccompanyid And  e.eempid = "
                       "egc.egcempid And egc.egccancelled = 0 and egc.egcdate  > ") +
        ws.dialect().dateLiteral(ws.processDate, QStringLiteral("yyyy/MM/dd")) +
        QStringLiteral(" Where e.eactive = 1  And egc.egcempid Is Null And e.ecompanyid = ") +
        ws.company() + QStringLiteral(" order by e.ename, e.eempid"));
    std::vector<Choice> choices;
    for (; !rs.eof(); rs.moveNext())
        choices.push_back({rs.field(0).toLongLong(), rs.text(1)});
    return choices;
}

ComboLookup Lookups::employeeLookup() const {
    const Workspace& ws = *workspace_;
    return {
        QStringLiteral("eEmpId"),  QStringLiteral("eName"),
        QStringLiteral("eempno"),  QStringLiteral("E"),
        ws.tables.pemployee,       QStringLiteral("eActive = 1 and eCompanyid =") + ws.company(),
        ws.tables.pcurrencymaster, ws.companyId};
}

ComboLookup Lookups::jobLookup(JobList list) const {
    const Workspace& ws = *workspace_;
    // The two criteria differ in a blank.
    const QString company =
        list == JobList::Old ? QStringLiteral("dcompanyid = ") : QStringLiteral(" dcompanyid = ");
    return {QStringLiteral("dDesigID"),
            QStringLiteral("gDescription"),
            QStringLiteral("dDescription"),
            QStringLiteral("G"),
            QStringLiteral(" ") + ws.tables.pGrades + QStringLiteral(",") + ws.tables.pDesignation +
                QStringLiteral(" "),
            kJobCriterion + company + ws.company(),
            ws.tables.pcurrencymaster,
            ws.companyId};
}

std::vector<Choice> Lookups::choices(const ComboLookup& lookup) const {
    const bool jobs = lookup.kind == QLatin1String("G");
    if (!jobs && lookup.kind != QLatin1String("E"))
        return {};
    QString sql = QStringLiteral("select ") + lookup.idColumn + QStringLiteral(", ") +
                  lookup.textColumn1 + QStringLiteral(", ") + lookup.textColumn2;
    if (jobs) {
        sql += QStringLiteral(" from ") + lookup.tables;
        if (!lookup.criterion.isEmpty())
            sql += QStringLiteral(" where ") + lookup.criterion;
    } else {
        sql += QStringLiteral(",symbol from ") + lookup.tables + QStringLiteral(",") +
               lookup.currencyTable;
        if (!lookup.criterion.isEmpty())
            sql += QStringLiteral(" where ") + lookup.criterion +
                   QStringLiteral(" and ecurrencyid=currencyid and CompanyID=") +
                   QString::number(lookup.companyId);
        else
            sql += QStringLiteral(" where ecurrencyid=currencyid");
    }
    std::vector<Choice> choices;
    try {
        for (data::Recordset rs = workspace_->db().open(sql); !rs.eof(); rs.moveNext())
            choices.push_back(
                {rs.field(0).toLongLong(), jobs ? rs.text(1) + QStringLiteral(" - ") + rs.text(2)
                                                : rs.text(1) + QStringLiteral("-") + rs.text(2) +
                                                      QStringLiteral(" - ") + rs.text(3)});
    } catch (const data::DbError& error) {
        passOnWithHint(error);
    }
    return choices;
}

std::vector<Choice> Lookups::lineTypes(LineKind kind) const {
    const LineTable& l = lineTable(kind);
    data::Recordset rs = workspace_->db().open(
        QStringLiteral("select ") + l.typeIdColumn + QStringLiteral(", ") + l.typeTextColumn +
        QStringLiteral(" from ") + workspace_->table(l.typeTable) + QStringLiteral(" where ") +
        l.activeFilter + workspace_->company());
    std::vector<Choice> choices;
    for (; !rs.eof(); rs.moveNext())
        choices.push_back({rs.field(0).toLongLong(), rs.text(1)});
    return choices;
}

std::optional<TypeCurrency> Lookups::typeCurrency(LineKind kind, qint64 typeId) const {
    const LineTable& l = lineTable(kind);
    data::Recordset rs = workspace_->db().open(
        l.currencySelect + workspace_->tables.pcurrencymaster + QStringLiteral(" a,") +
        workspace_->table(l.typeTable) + QStringLiteral(" b where a.companyid=b.") +
        l.typeCompanyColumn + QStringLiteral(" and a.currencyID=b.") + l.typeCurrencyColumn +
        QStringLiteral(" and ") + QStringLiteral(" b.") + l.typeCompanyColumn +
        QStringLiteral("=") + workspace_->company() + QStringLiteral(" and b.") + l.typeIdColumn +
        QStringLiteral("=") + QString::number(typeId));
    if (rs.eof())
        return std::nullopt;
    return TypeCurrency{rs.text(QStringLiteral("currencyname")).trimmed(),
                        rs.text(QStringLiteral("symbol")).trimmed()};
}

} // namespace jobchange
