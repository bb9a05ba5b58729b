#pragma once

#include "bulk/sheet.h"
#include "data/linekind.h"
#include "data/money.h"

#include <QStringList>
#include <optional>
#include <vector>

// A revision as a spreadsheet gives it: a header row, then one row per employee. Columns are
// matched by their heading, without regard to case or blanks:
//   Employee No            required: the employee's number, as text, exactly
//   Name                   for the reader only; not compared
//   New Basic              the new basic pay; empty leaves it as it is
//   New Job                the new job as the entry window names it, "Senior - Officer"
//   Remarks                the job change's remarks
//   Allowance: <type>      the line's new amount; empty leaves it, "drop" drops it, and an
//   Deduction: <type>      employee without the line gets it
// Any other column is named in a warning and not read.
namespace bulk {

// What a row asks of one allowance or deduction type.
struct LineCell {
    enum class Action { Keep, Set, Drop };
    Action action = Action::Keep;
    data::Money amount; // Set
};

struct ImportLineColumn {
    QString header; // as the file writes it
    LineKind kind = LineKind::Allowance;
    QString typeName; // after the colon, blanks simplified
};

struct ImportRow {
    int sourceRow = 0; // the spreadsheet's row number
    QString employeeNo;
    std::optional<data::Money> newBasic;
    QString newJob; // empty: the job stays
    std::optional<QString> remarks;
    std::vector<LineCell> lines; // one per line column, in the table's order
    QStringList problems;        // each "row 14, New Basic: ..."
};

struct ImportTable {
    QString employeeNoHeader = QStringLiteral("Employee No");
    QString newBasicHeader = QStringLiteral("New Basic");
    QString newJobHeader = QStringLiteral("New Job");
    std::vector<ImportLineColumn> lineColumns;
    QStringList warnings; // columns not read
    std::vector<ImportRow> rows;
};

// The rows under the header, each cell read and its problems named by row and column. Throws
// ImportError when the header is unusable: no Employee No column, or a column twice.
ImportTable parseImport(const Sheet& sheet);
// The file read and parsed; every ImportError names the file.
ImportTable readImport(const QString& path);

// A heading, job or type name without regard to case or blanks.
QString nameKey(const QString& text);

// "row 14, New Basic: <what>", as every problem of a row is named.
QString rowProblem(int row, const QString& column, const QString& what);

// The amount a cell holds, or why it holds none. A number within 0.000001 of a cent (a
// formula's 28875.000000000004) is taken to the cent; more decimals than that are refused.
struct CellAmount {
    std::optional<data::Money> money;
    QString problem;
};
CellAmount cellAmount(const SheetCell& cell, int row, int column);

} // namespace bulk
