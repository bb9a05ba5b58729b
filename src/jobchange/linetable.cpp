#include "jobchange/linetable.h"

const LineTable& lineTable(LineKind kind) {
    static const LineTable allowance{
        .kind = LineKind::Allowance,
        .typeTable = &data::ResolvedTableNames::pallowances,
        .gcTable = &data::ResolvedTableNames::pempgcAllowance,
        .empTable = &data::ResolvedTableNames::pempallowances,
        .typeIdColumn = QStringLiteral("aAllowanceID"),
        .typeTextColumn = QStringLiteral("aDescription"),
        .typeCompanyColumn = QStringLiteral("aCompanyID"),
        .typeCurrencyColumn = QStringLiteral("aCurrencyID"),
        .activeFilter = QStringLiteral("aActive = 1 and aCompanyID = "),
        .gcPrefix = QStringLiteral("egca"),
        .gcTypeIdColumn = QStringLiteral("egcaallowanceid"),
        .empPrefix = QStringLiteral("ea"),
        .empTypeIdColumn = QStringLiteral("eaallowanceid"),
        .standingSelect = QStringLiteral("select a.aAllowanceID,a.aDescription,e.eaamount from "),
        .standingAlias = QStringLiteral(" a,"),
        .standingJoin = QStringLiteral(
            " e where a.aCompanyID=e.eacompanyid and  a.aAllowanceID=e.eaallowanceid and "),
        .standingEmp = QStringLiteral("e.eaempid = "),
        .storedSelect = QStringLiteral(
            "select e.egcatype,a.aAllowanceID,a.aDescription,e.egcaoldamount,e.egcarevamount,"
            "c.CurrencyName from "),
        .storedTypeAlias = QStringLiteral(" a,"),
        .storedGcAlias = QStringLiteral(" e,"),
        .storedJoin = QStringLiteral(
            " c where a.aCompanyID=e.egcacompanyid and  a.aAllowanceID=e.egcaallowanceid and "
            "a.aCompanyID=c.CompanyID and a.aCurrencyID=c.currencyID and  e.egcagcid = "),
        .storedCompany = QStringLiteral("  and e.egcacompanyid="),
        .gcDeleteCompany = QStringLiteral(" egcacompanyid = "),
        .gcDeleteId = QStringLiteral(" and egcagcid="),
        .empDeleteCompany = QStringLiteral(" eacompanyid = "),
        .empDeleteEmp = QStringLiteral(" and eaempid="),
        .currencySelect = QStringLiteral("select currencyname,symbol from "),
        .listName = "lvwAllow",
        .listHeaders = {QStringLiteral("SlNo"), QStringLiteral("Allowance Type"),
                        QStringLiteral("Revised  Amount"), QStringLiteral(" AllowID"),
                        QStringLiteral("Type"), QStringLiteral("Old Amount"),
                        QStringLiteral("Currency")},
        .newLineMessage = QStringLiteral("New Allowances is not checked either check or delete"),
        .editorName = "frmAllowpopup",
        .editorCaption = QStringLiteral("Alloances"),
        .comboName = "cboAllow",
        .typeLabel = QStringLiteral("Allowance Type:"),
        .selectTypeMessage = QStringLiteral("select the allowance type"),
        .existsMessage = QStringLiteral("Allowance already exists"),
        .populateFocusesCombo = true,
    };
    static const LineTable deduction{
        .kind = LineKind::Deduction,
        .typeTable = &data::ResolvedTableNames::pdeductions,
        .gcTable = &data::ResolvedTableNames::pempgcdeductions,
        .empTable = &data::ResolvedTableNames::pempdeductions,
        .typeIdColumn = QStringLiteral("dDedID"),
        .typeTextColumn = QStringLiteral("dDescription"),
        .typeCompanyColumn = QStringLiteral("dCompanyID"),
        .typeCurrencyColumn = QStringLiteral("dCurrencyID"),
        .activeFilter = QStringLiteral("dActive = 1 and dCompanyID = "),
        .gcPrefix = QStringLiteral("egcd"),
        .gcTypeIdColumn = QStringLiteral("egcddeductionid"),
        .empPrefix = QStringLiteral("ed"),
        .empTypeIdColumn = QStringLiteral("eddeductionid"),
        .standingSelect = QStringLiteral("select d.dDedID,d.dDescription,e.edamount from "),
        .standingAlias = QStringLiteral(" d,"),
        .standingJoin = QStringLiteral(
            " e where d.dCompanyID=e.edcompanyid and  d.dDedID=e.eddeductionid and "),
        .standingEmp = QStringLiteral("e.edempid ="),
        .storedSelect = QStringLiteral(
            "select e.egcdoldamount,e.egcdrevamount,e.egcdtype,d.dDedID,d.dDescription,"
            "c.CurrencyName  from "),
        .storedTypeAlias = QStringLiteral(" d,"),
        .storedGcAlias = QStringLiteral(" e,"),
        .storedJoin = QStringLiteral(
            " c where d.dCompanyID=e.egcdcompanyid and  d.dDedID=e.egcddeductionid and "
            "d.dcompanyid=c.companyid and d.dCurrencyID = c.currencyID and  e.egcdgcid ="),
        .storedCompany = QStringLiteral(" and e.egcdcompanyid="),
        .gcDeleteCompany = QStringLiteral(" egcdcompanyid= "),
        .gcDeleteId = QStringLiteral(" and  egcdgcid= "),
        .empDeleteCompany = QStringLiteral(" edcompanyid= "),
        .empDeleteEmp = QStringLiteral(" and  edempid= "),
        .currencySelect = QStringLiteral("select a.currencyname,a.symbol from "),
        .listName = "lvwDeduct",
        .listHeaders = {QStringLiteral("SlNo"), QStringLiteral("Deduction Type"),
                        QStringLiteral("Revised Amount"), QStringLiteral("DeductID"),
                        QStringLiteral("Type"), QStringLiteral("Old Amount"),
                        QStringLiteral("Currency")},
        .newLineMessage = QStringLiteral("New Dedcution is not checked either check or delete"),
        .editorName = "frmdeductpopup",
        .editorCaption = QStringLiteral("Deductions"),
        .comboName = "cboDeduct",
        .typeLabel = QStringLiteral("Deduction Type:"),
        .selectTypeMessage = QStringLiteral("select the deduction type"),
        .existsMessage = QStringLiteral("Deduction already exists"),
        .populateFocusesCombo = false,
    };
    return kind == LineKind::Allowance ? allowance : deduction;
}
