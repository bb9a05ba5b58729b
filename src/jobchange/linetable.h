#pragma once

#include "data/linekind.h"
#include "data/tablenames.h"

#include <QString>
#include <QStringList>
#include <array>

// One kind's tables, columns and texts: every statement about its lines and every caption of
// its windows is built from this. Where the two kinds' statements differ in blanks, aliases or
// field order, the difference is carried here as text.
struct LineTable {
    LineKind kind;

    // Tables, by their resolved names.
    QString data::ResolvedTableNames::*typeTable; // pallowances / pdeductions
    QString data::ResolvedTableNames::*gcTable;   // the job change's lines
    QString data::ResolvedTableNames::*empTable;  // the employee's standing lines

    // Columns.
    QString typeIdColumn;   // aAllowanceID / dDedID
    QString typeTextColumn; // aDescription / dDescription
    QString typeCompanyColumn;
    QString typeCurrencyColumn;
    QString activeFilter;   // "aActive = 1 and aCompanyID = " ...
    QString gcPrefix;       // egca / egcd: egcacompanyid, egcagcid, ...
    QString gcTypeIdColumn; // egcaallowanceid / egcddeductionid
    QString empPrefix;      // ea / ed
    QString empTypeIdColumn;

    // Statement fragments, in the order the statements join them.
    QString standingSelect;
    QString standingAlias;
    QString standingJoin;
    QString standingEmp;
    QString storedSelect;
    QString storedTypeAlias;
    QString storedGcAlias;
    QString storedJoin;
    QString storedCompany;
    QString gcDeleteCompany;
    QString gcDeleteId;
    QString empDeleteCompany;
    QString empDeleteEmp;
    QString currencySelect; // the currency of a type

    // Texts of the entry window's list and of the line editor.
    const char* listName;    // lvwAllow / lvwDeduct
    QStringList listHeaders; // the seven column headers
    QString newLineMessage;  // validation: an unchecked added line
    const char* editorName;  // frmAllowpopup / frmdeductpopup
    QString editorCaption;   // "Alloances" / "Deductions"
    const char* comboName;   // cboAllow / cboDeduct
    QString typeLabel;       // "Allowance Type:" / "Deduction Type:"
    QString selectTypeMessage;
    QString existsMessage;
    bool populateFocusesCombo; // loading a row enables and focuses the type combo

    QString gcColumn(const char* suffix) const { return gcPrefix + QLatin1String(suffix); }
    QString empColumn(const char* suffix) const { return empPrefix + QLatin1String(suffix); }
};

const LineTable& lineTable(LineKind kind);
