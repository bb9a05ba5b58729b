#include "entry/linestatements.h"

#include "component/basgrade.h"
#include "lineeditor/revisionlist.h"

#include <QTreeWidget>

namespace {

// The statement texts differ between the kinds in more than names (blanks, aliases, field
// order), so each kind keeps its own fragments.
struct Fragments {
    QString data::ResolvedTableNames::*typeTable;
    QString data::ResolvedTableNames::*gcTable;
    QString data::ResolvedTableNames::*empTable;
    const char* standingSelect;
    const char* standingAlias;
    const char* standingJoin;
    const char* standingEmp;
    const char* storedSelect;
    const char* storedTypeAlias;
    const char* storedGcAlias;
    const char* storedJoin;
    const char* storedCompany;
    const char* letterField;
    const char* typeIdField;
    const char* descriptionField;
    const char* gcPrefix;
    const char* gcTypeId;
    const char* gcDeleteCompany;
    const char* gcDeleteId;
    const char* empPrefix;
    const char* empTypeId;
    const char* empDeleteCompany;
    const char* empDeleteEmp;
};

const Fragments& fragments(LineKind kind) {
    static const Fragments allowance{
        &data::ResolvedTableNames::pallowances,
        &data::ResolvedTableNames::pempgcAllowance,
        &data::ResolvedTableNames::pempallowances,
        "select a.aAllowanceID,a.aDescription,e.eaamount from ",
        " a,",
        " e where a.aCompanyID=e.eacompanyid and  a.aAllowanceID=e.eaallowanceid and ",
        "e.eaempid = ",
        "select e.egcatype,a.aAllowanceID,a.aDescription,e.egcaoldamount,e.egcarevamount,"
        "c.CurrencyName from ",
        " a,",
        " e,",
        " c where a.aCompanyID=e.egcacompanyid and  a.aAllowanceID=e.egcaallowanceid and "
        "a.aCompanyID=c.CompanyID and a.aCurrencyID=c.currencyID and  e.egcagcid = ",
        "  and e.egcacompanyid=",
        "egcatype",
        "aAllowanceID",
        "aDescription",
        "egca",
        "egcaallowanceid",
        " egcacompanyid = ",
        " and egcagcid=",
        "ea",
        "eaallowanceid",
        " eacompanyid = ",
        " and eaempid=",
    };
    static const Fragments deduction{
        &data::ResolvedTableNames::pdeductions,
        &data::ResolvedTableNames::pempgcdeductions,
        &data::ResolvedTableNames::pempdeductions,
        "select d.dDedID,d.dDescription,e.edamount from ",
        " d,",
        " e where d.dCompanyID=e.edcompanyid and  d.dDedID=e.eddeductionid and ",
        "e.edempid =",
        "select e.egcdoldamount,e.egcdrevamount,e.egcdtype,d.dDedID,d.dDescription,"
        "c.CurrencyName  from ",
        " d,",
        " e,",
        " c where d.dCompanyID=e.egcdcompanyid and  d.dDedID=e.egcddeductionid and "
        "d.dcompanyid=c.companyid and d.dCurrencyID = c.currencyID and  e.egcdgcid =",
        " and e.egcdcompanyid=",
        "egcdtype",
        "dDedID",
        "dDescription",
        "egcd",
        "egcddeductionid",
        " egcdcompanyid= ",
        " and  egcdgcid= ",
        "ed",
        "eddeductionid",
        " edcompanyid= ",
        " and  edempid= ",
    };
    return kind == LineKind::Allowance ? allowance : deduction;
}

QString table(QString data::ResolvedTableNames::*name) {
    return BasGrade().tables.*name;
}

QString latin(const char* text) {
    return QString::fromLatin1(text);
}

} // namespace

QString LineStatements::standingLinesSql(qint32 empId) const {
    const Fragments& f = fragments(kind_);
    return latin(f.standingSelect) + table(f.typeTable) + latin(f.standingAlias) +
           table(f.empTable) + latin(f.standingJoin) + latin(f.standingEmp) +
           QString::number(empId);
}

QString LineStatements::storedLinesSql(qint32 gcId) const {
    const Fragments& f = fragments(kind_);
    return latin(f.storedSelect) + table(f.typeTable) + latin(f.storedTypeAlias) +
           table(f.gcTable) + latin(f.storedGcAlias) + BasGrade().tables.pcurrencymaster +
           latin(f.storedJoin) + QString::number(gcId) + latin(f.storedCompany) + company();
}

QString LineStatements::storedLetterField() const {
    return latin(fragments(kind_).letterField);
}
QString LineStatements::storedTypeIdField() const {
    return latin(fragments(kind_).typeIdField);
}
QString LineStatements::storedDescriptionField() const {
    return latin(fragments(kind_).descriptionField);
}
QString LineStatements::storedOldAmountField() const {
    return gcColumn("oldamount");
}
QString LineStatements::storedRevisedAmountField() const {
    return gcColumn("revamount");
}

QString LineStatements::gcTable() const {
    return table(fragments(kind_).gcTable);
}

QString LineStatements::gcColumn(const char* suffix) const {
    return latin(fragments(kind_).gcPrefix) + latin(suffix);
}

QString LineStatements::gcTypeIdColumn() const {
    return latin(fragments(kind_).gcTypeId);
}

QString LineStatements::gcDeleteCriterion(qint32 gcId) const {
    const Fragments& f = fragments(kind_);
    return latin(f.gcDeleteCompany) + company() + latin(f.gcDeleteId) + QString::number(gcId);
}

QString LineStatements::empTable() const {
    return table(fragments(kind_).empTable);
}

QString LineStatements::empColumn(const char* suffix) const {
    return latin(fragments(kind_).empPrefix) + latin(suffix);
}

QString LineStatements::empTypeIdColumn() const {
    return latin(fragments(kind_).empTypeId);
}

QString LineStatements::empDeleteCriterion(qint32 empId) const {
    const Fragments& f = fragments(kind_);
    return latin(f.empDeleteCompany) + company() + latin(f.empDeleteEmp) + QString::number(empId);
}

QString listAmount(double amount) {
    return QString::number(amount, 'f', 2);
}

void StoredLinesPopulate(LineKind kind, QTreeWidget* list, qint32 gcId) {
    const LineStatements statements(kind);
    list->clear();
    data::Recordset rs = adocon().open(statements.storedLinesSql(gcId));
    while (!rs.eof()) {
        const QString letter = rs.text(statements.storedLetterField());
        const bool removed = letter == QLatin1String("R");
        addRevisionRow(list, rs.text(statements.storedDescriptionField()),
                       listAmount(rs.field(statements.storedRevisedAmountField()).toDouble()),
                       rs.text(statements.storedTypeIdField()),
                       removed ? QStringLiteral("O") : letter,
                       listAmount(rs.field(statements.storedOldAmountField()).toDouble()),
                       rs.text(QStringLiteral("CurrencyName")), !removed);
        rs.moveNext();
    }
}
