#include "register/frmmaster.h"

#include "history/frmemployeehistory.h"
#include "jobchange/historysourceof.h"
#include "register/registerexport.h"
#include "ui/flexgrid.h"
#include "ui/savefile.h"
#include "ui/waitcursor.h"

#include <QDir>
#include <QPushButton>

std::vector<qint32> FrmMaster::gridJobChangeIds() const {
    std::vector<qint32> ids;
    for (int row = 1; row < flexMaster->rows(); ++row) {
        const qint32 id = flexMaster->textMatrix(row, kColumnId).trimmed().toInt();
        if (id > 0)
            ids.push_back(id);
    }
    return ids;
}

void FrmMaster::cmdExport_Click() {
    const QString path = ui::chooseSaveFile(
        this, QStringLiteral("Export"), QDir::home().filePath(QStringLiteral("jobchanges.xlsx")),
        QStringLiteral("Excel workbook (*.xlsx);;CSV (*.csv)"));
    if (path.isEmpty())
        return;
    const ui::WaitCursor wait;
    // The grid holds display text; the typed values come from the register query again, put in
    // the grid's order by id.
    data::Recordset rs = reads_->registerRows(previousDays_);
    const QHash<qint32, tableexport::ExportRow> typed = registerexport::typedRowsById(rs);
    const auto& kinds = registerexport::columnKinds();
    QStringList titles;
    for (size_t c = 1; c <= kinds.size(); ++c)
        titles << flexMaster->textMatrix(0, static_cast<int>(c));
    try {
        const auto writer = tableexport::TableWriter::open(path, titles, kinds);
        for (const qint32 id : gridJobChangeIds()) {
            const auto row = typed.constFind(id);
            if (row != typed.cend())
                writer->addRow(*row);
        }
        writer->finish();
    } catch (const tableexport::ExportError& error) {
        message(error.message(), ui::MsgIcon::Critical);
    }
}

void FrmMaster::cmdHistory_Click() {
    const qint32 id = selectedJobChangeId();
    if (id == 0)
        return;
    const std::optional<jobchange::StoredJobChange> stored =
        jobchange::EntryReads(workspace_).jobChange(id);
    if (!stored)
        return;
    showEmployeeHistory(jobchange::historySourceOf(*workspace_), stored->employeeId, this, id);
    Form_Activate();
}
