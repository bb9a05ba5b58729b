#pragma once

#include "data/tablenames.h"

#include <QString>
#include <QStringList>

// Allowance and deduction lines differ only in names and texts; this is that difference.
enum class LineKind { Allowance, Deduction };

struct LineKindInfo {
    LineKind kind;
    // The revision list of the entry window.
    const char* listName;     // lvwAllow / lvwDeduct
    const char* listSelector; // "all" / "ded": strListFlag
    QStringList listHeaders;  // the seven column headers
    QString newLineMessage;   // validation: an unchecked added line
    // The line editor.
    const char* editorName;                           // frmAllowpopup / frmdeductpopup
    QString editorCaption;                            // "Alloances" / "Deductions"
    const char* comboName;                            // cboAllow / cboDeduct
    QString typeLabel;                                // "Allowance Type:" / "Deduction Type:"
    QString typeTable;                                // logical name of the type table
    QString data::ResolvedTableNames::*typeTableName; // its resolved name
    QString valueColumn;                              // aAllowanceID / dDedID
    QString textColumn;                               // aDescription / dDescription
    QString activeFilter;                             // "aActive = 1 and aCompanyID = " ...
    // The currency of a type: currencySelect + currencies " a," + types " b where ..." joined
    // on the type's company and currency columns.
    QString currencySelect;    // "select currencyname,symbol from " ...
    QString companyColumn;     // aCompanyID / dCompanyID
    QString currencyColumn;    // aCurrencyID / dCurrencyID
    QString selectTypeMessage; // "select the allowance type" ...
    QString existsMessage;     // "Allowance already exists" ...
    bool populateFocusesCombo; // loading a row enables and focuses the type combo
};

const LineKindInfo& lineKindInfo(LineKind kind);
