#include "lineeditor/linekind.h"

const LineKindInfo& lineKindInfo(LineKind kind) {
    static const LineKindInfo allowance{
        LineKind::Allowance,
        "lvwAllow",
        "all",
        {QStringLiteral("SlNo"), QStringLiteral("Allowance Type"),
         QStringLiteral("Revised  Amount"), QStringLiteral(" AllowID"), QStringLiteral("Type"),
         QStringLiteral("Old Amount"), QStringLiteral("Currency")},
        QStringLiteral("New Allowances is not checked either check or delete"),
        "frmAllowpopup",
        QStringLiteral("Alloances"),
        "cboAllow",
        QStringLiteral("Allowance Type:"),
        QStringLiteral("pallowances"),
        QStringLiteral("aAllowanceID"),
        QStringLiteral("aDescription"),
        QStringLiteral("aActive = 1 and aCompanyID = "),
        QStringLiteral("select the allowance type"),
        QStringLiteral("Allowance already exists"),
        true,
    };
    static const LineKindInfo deduction{
        LineKind::Deduction,
        "lvwDeduct",
        "ded",
        {QStringLiteral("SlNo"), QStringLiteral("Deduction Type"), QStringLiteral("Revised Amount"),
         QStringLiteral("DeductID"), QStringLiteral("Type"), QStringLiteral("Old Amount"),
         QStringLiteral("Currency")},
        QStringLiteral("New Dedcution is not checked either check or delete"),
        "frmdeductpopup",
        QStringLiteral("Deductions"),
        "cboDeduct",
        QStringLiteral("Deduction Type:"),
        QStringLiteral("pdeductions"),
        QStringLiteral("dDedID"),
        QStringLiteral("dDescription"),
        QStringLiteral("dActive = 1 and dCompanyID = "),
        QStringLiteral("select the deduction type"),
        QStringLiteral("Deduction already exists"),
        false,
    };
    return kind == LineKind::Allowance ? allowance : deduction;
}
