#pragma once

#include "jobchange/entryreads.h"
#include "jobchange/registerreads.h"
#include "jobchange/rights.h"
#include "ui/messages.h"

#include <QColor>
#include <QDialog>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace ui {
class FlexGrid;
}
namespace report {
class ReportControl;
}
namespace data {
class RowBlock;
}
namespace jobchange {
class RegisterLoad;
}

// The register: the company's job changes in a grid, and the start of every other action.
// Its handlers live in several files: the window and grid (frmmaster.cpp), search and sort
// (frmmaster_search.cpp), New and Edit (frmmaster_edit.cpp), Delete (frmmaster_delete.cpp),
// Preview (frmmaster_preview.cpp), Export and History (frmmaster_export.cpp), Letters
// (frmmaster_letters.cpp), and the rows read behind the window (frmmaster_load.cpp).
//
// The load shows the newest rows at once, the last selected, and the older ones come in above
// them while the clerk works; a sort or search asked for meanwhile waits for them, and Export
// with it.
class FrmMaster : public QDialog {
    Q_OBJECT
public:
    explicit FrmMaster(QWidget* parent = nullptr);
    ~FrmMaster() override;

    // The load: the workspace made from the caller context, the grid filled, the rights read. An
    // error here ends it and reaches the caller of Show.
    void Form_Load();
    const jobchange::WorkspacePtr& workspace() const { return workspace_; }
    // The register's statement, as the grid was filled from it.
    QString registerSql() const;
    // Resets Edit and Delete for the current row. Runs when the window becomes active, and
    // every handler that opens a modal window through ui::showModal calls it once that window
    // has returned (a window driven by a test never activates the register).
    void Form_Activate();

    // Starts reading the rows and shows the first screen: the newest rows, the last selected.
    // The older ones come in above them behind the window (see completeLoad).
    void GridPopulate();
    // Whether rows are still to come.
    bool loading() const { return loading_; }
    // Takes in every row still to come, waiting for them: for a caller that needs the whole
    // register at once.
    void completeLoad();
    void UserRights();
    // The Bulk button's caption: with the number of bulk batches waiting for approval.
    void ShowPendingBatches();
    bool fnUserRights(const QString& letter) const;
    // Edit and Delete for the current row: both off on a row without a job change; Edit by the
    // user's rights; Delete by the rights unless the job change is cancelled.
    void SelectionRule();

    void cmdnew_Click();
    void CmdEdit_Click();
    void CmdDelete_Click();
    void cmPreview_Click();
    void cmdBulk_Click();
    // Revision letters of the selected job change or of every job change of a date.
    void cmdLetters_Click();
    void CmdClose_Click();
    void cboColNames_Click();
    // A click on a column header: sorts on it, ascending, or reversed when it is already the
    // sort column.
    void headerSort(int col);
    // Writes the rows as the grid shows them, in its order, to a workbook or CSV file.
    void cmdExport_Click();
    // The employee history of the selected row's employee.
    void cmdHistory_Click();
    void GridSearch();
    bool fnDeleteAllowed(qint32 id);

    QString strRights;

    ui::FlexGrid* flexMaster = nullptr;
    QGroupBox* fraBrowse = nullptr;
    QRadioButton* optAscend = nullptr;
    QRadioButton* optDescend = nullptr;
    QComboBox* cboColNames = nullptr;
    QLabel* lblsearch = nullptr;
    QComboBox* cboSearch = nullptr;
    QLineEdit* txtsearch = nullptr;
    QPushButton* cmdnew = nullptr;
    QPushButton* CmdEdit = nullptr;
    QPushButton* CmdDelete = nullptr;
    QPushButton* cmPreview = nullptr;
    QPushButton* cmdLetters = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdHistory = nullptr;
    QPushButton* cmdBulk = nullptr;
    QPushButton* CmdClose = nullptr;
    // The load's progress, shown while rows are still to come.
    QProgressBar* prgLoad = nullptr;
    std::unique_ptr<report::ReportControl> cRptGradeChange;

protected:
    bool event(QEvent* event) override;

private:
    // Grid columns: the hidden job change id, its number, and "Yes" when it is cancelled.
    static constexpr int kColumnId = 0;
    static constexpr int kColumnNumber = 1;
    static constexpr int kColumnDate = 2;
    static constexpr int kColumnCancelled = 6;
    static QString kCancelledText() { return QStringLiteral("Yes"); }
    // Twips per character of a column's longest text.
    static constexpr qint64 kTwipsPerChar = 130;
    // Cancelled rows are red (colour value 255).
    static QColor kCancelledColor() { return QColor(255, 0, 0); }

    enum class RowChange { Added, Changed };
    // Brings one job change's register row up to date after a write: a new row, or the current
    // row rewritten. Shows its own errors.
    void GridRefreshRow(qint32 id, RowChange change);
    // The current row rewritten to the job change's present state, red when it is cancelled.
    void GridShowPresentState(qint32 id);
    // The job change of the selected row (0 when none), read where an action starts.
    qint32 selectedJobChangeId() const;
    ui::MsgAnswer message(const QString& text, ui::MsgIcon icon = ui::MsgIcon::Information,
                          ui::MsgButtons buttons = ui::MsgButtons::Ok) const;
    // Runs a button or grid handler, showing a database error instead of letting it escape.
    void Reported(void (FrmMaster::*handler)());
    void buildControls();
    void connectGridEvents();
    // widths: per query column, the longest text seen, in characters.
    void GridHeaderPopulate(std::vector<qint64>& widths);
    // Takes in what the load has read; with wait, first waits for it.
    void GridTakeRows(bool wait);
    void GridShowFirstScreen(const data::RowBlock& rows);
    // Older rows, in above those that came before them.
    void GridInsertOlder(const data::RowBlock& rows);
    // One row of the block into the grid row being filled.
    void GridPutRow(const data::RowBlock& rows, int row);
    // Widens the titled columns that a longer text has come into; none is narrowed.
    void GridWidenColumns();
    void GridLoadEnded(const std::optional<data::DbError>& error);
    void showLoadProgress();
    enum class Waiting { Sort, Search };
    // A sort or search asked for while rows are still to come: done once they are in.
    void waitForRows(Waiting action);
    // Applies the rights read before the first screen.
    void applyRights(const std::optional<QString>& rights);
    void GridMarkCancelled();
    // Types the grid's columns: the id as a number, the date as a date, cancelled as a flag.
    void GridTypeColumns();
    void setupSearchAndSort();
    // Keeps the current row on screen after the rows moved.
    void showCurrentRow();
    // The job change ids of the grid's rows, top to bottom (rows without one left out).
    std::vector<qint32> gridJobChangeIds() const;

    jobchange::WorkspacePtr workspace_;
    std::optional<jobchange::RegisterReads> reads_;
    qint16 previousDays_ = 0;

    std::unique_ptr<jobchange::RegisterLoad> load_;
    bool loading_ = false;
    bool firstScreenShown_ = false;
    // Rows read so far, and about how many the register lists.
    qint64 loaded_ = 0;
    qint64 expected_ = 0;
    // Since the progress was last shown.
    QElapsedTimer progressShown_;
    // The older rows come in at the top, before this many rows taken in already.
    int olderRows_ = 0;
    // Per query column, the longest text taken in, in characters.
    std::vector<qint64> widths_;
    // Few distinct dates: each is formatted once.
    QHash<qint64, QString> dateTexts_;
    // Job changes the register added itself while rows were still to come: not taken twice.
    QSet<qint32> addedWhileLoading_;
    std::vector<Waiting> waiting_;
};
