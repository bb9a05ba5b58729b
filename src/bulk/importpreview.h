#pragma once

#include "bulk/importsheet.h"
#include "bulk/preview.h"
#include "export/tablewriter.h"

#include <QHash>
#include <array>

// An imported revision becomes preview rows exactly as a rule's would: each row turned into
// rules for its one employee (set the basic, move to the job, set or drop each line, adding the
// lines the employee lacks) and computed by the same code, so the money rules, the blocked rows
// and the apply are the rules' own.
namespace bulk {

// What the company offers, as the import names it.
struct ImportCatalog {
    struct Job {
        qint32 designationId = 0;
        QString text; // grade " - " designation, as the entry window names it
    };
    struct LineType {
        qint64 id = 0;
        QString description;
        QString currency; // by name, as the currency master names it
        bool active = true;
    };
    std::vector<Job> jobs; // the active designations
    // By LineKind: the active types, then those no longer active that employees still hold.
    std::array<std::vector<LineType>, 2> lineTypes;
    // Why an employee of the company cannot have a job change now, by employee number.
    QHash<QString, QString> ineligible;
};

struct ImportBatch {
    Rules rules; // the job date, and one line rule per line column the company has
    std::vector<PreviewRow> rows;
    QStringList warnings;

    int rowsWithErrors() const;
};

// Each row of the table against the eligible employees. Every problem is named on its row:
// one of the file's (an amount that is not one), an unknown or ineligible employee, one named
// on two rows (on both), an unknown job or line type, a line type no longer active.
ImportBatch previewImport(const ImportTable& table, const std::vector<EmployeeSnapshot>& eligible,
                          const ImportCatalog& catalog, const QDate& date, const QString& remarks);

// The employees as an import reads them: number, name, present job, basic and line amounts
// under the import's headings (one per type of the catalog), and an empty Remarks column. Read
// back unchanged, it asks for no change.
tableexport::ExportTable importTemplate(const std::vector<EmployeeSnapshot>& employees,
                                        const ImportCatalog& catalog);

} // namespace bulk
