#include "register/frmmaster.h"

#include "component/basgrade.h"
#include "data/rowblock.h"
#include "jobchange/registerload.h"
#include "jobchange/rights.h"
#include "shared/formroutines.h"
#include "ui/flexgrid.h"
#include "ui/waitcursor.h"

#include <QComboBox>
#include <QLayout>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

namespace {

// The first screen: more rows than a tall grid shows, so that the clerk can scroll a little
// before the older rows are in.
constexpr int kFirstScreenRows = 200;
// The progress bar repaints the window at once, rows come in by the thousand: shown about ten
// times a second, the bar still moves smoothly.
constexpr qint64 kProgressEveryMs = 100;

} // namespace

void FrmMaster::Form_Load() {
    strRights.clear();
    CallerContext& context = BasGrade();
    context.Intinterfaceid = jobchange::kJobChangeInterfaceId;
    // A logical name that linktable no longer lists keeps the name an earlier load found.
    workspace_ = jobchange::Workspace::open(context.adocon, context.intCompanyID, context.intUserID,
                                            jobchange::kJobChangeInterfaceId, context.ProcessDate,
                                            context.MsgboxTitle, context.tables);
    reads_.emplace(workspace_);
    // A payroll without the audit trail still works; the clerk sees that nothing is recorded.
    setWindowTitle(workspace_->tables.paudittrail.isEmpty()
                       ? QStringLiteral("Job Change (no audit trail)")
                       : QStringLiteral("Job Change"));
    // The caller context keeps what the load found, for the host.
    context.adocon = workspace_->connection;
    context.tables = workspace_->tables;
    context.strTableMain = workspace_->tables.pEmployeegradeChange;
    previousDays_ = reads_->previousDays();
    context.strSql = registerSql();

    // The window's layout decides the grid's width, which the column widths fill.
    if (layout())
        layout()->activate();
    // The buttons are right from the first screen on.
    const std::optional<QString> rights = jobchange::UserRights(workspace_).userRights();
    {
        const ui::WaitCursor wait;
        GridPopulate();
        flexMaster->setColAlignment(1, 2);
        flexMaster->setColAlignment(2, 2);
    }
    applyRights(rights);
    ShowPendingBatches();
    SelectionRule();
}

void FrmMaster::GridPopulate() {
    // A load still running stops; its rows go with the grid.
    load_.reset();
    flexMaster->clearGrid(1, 2);
    flexMaster->setColWidthTwips(kColumnId, 960);
    loading_ = true;
    firstScreenShown_ = false;
    loaded_ = 0;
    expected_ = 0;
    olderRows_ = 0;
    progressShown_.invalidate();
    widths_.clear();
    dateTexts_.clear();
    addedWhileLoading_.clear();
    waiting_.clear();
    cmdExport->setEnabled(false);

    load_ = std::make_unique<jobchange::RegisterLoad>(
        workspace_->connection, reads_->registerStatements(previousDays_, kFirstScreenRows));
    connect(
        load_.get(), &jobchange::RegisterLoad::arrived, this, [this] { GridTakeRows(false); },
        Qt::QueuedConnection);
    load_->start();
    // The window opens on its first screen.
    while (loading_ && !firstScreenShown_)
        GridTakeRows(true);
}

void FrmMaster::completeLoad() {
    while (loading_)
        GridTakeRows(true);
}

void FrmMaster::GridTakeRows(bool wait) {
    if (!load_ || !loading_)
        return;
    jobchange::RegisterLoad::Arrived arrived = load_->take(wait);
    if (arrived.expected)
        expected_ = *arrived.expected;
    if (arrived.newest)
        GridShowFirstScreen(*arrived.newest);
    for (const data::RowBlock& rows : arrived.older)
        GridInsertOlder(rows);
    if (arrived.error && !firstScreenShown_) {
        // Nothing to show: the load fails as a whole.
        loading_ = false;
        load_.reset();
        throw *arrived.error;
    }
    if (arrived.error || arrived.done)
        GridLoadEnded(arrived.error);
    else if (!progressShown_.isValid() || progressShown_.hasExpired(kProgressEveryMs))
        showLoadProgress();
}

void FrmMaster::GridShowFirstScreen(const data::RowBlock& rows) {
    ui::GridModel& grid = flexMaster->model();
    const int columns = rows.fieldCount();
    widths_.assign(static_cast<size_t>(columns) + 1, 0);
    grid.beginLoad(columns);
    GridTypeColumns();
    for (int row = 0; row < rows.rowCount(); ++row) {
        grid.addRow();
        GridPutRow(rows, row);
    }
    grid.endLoad();
    loaded_ = rows.rowCount();
    firstScreenShown_ = true;
    flexMaster->setColWidthTwips(kColumnId, 960);
    GridHeaderPopulate(widths_);
    flexMaster->setColWidthTwips(kColumnId, 0);
}

void FrmMaster::GridPutRow(const data::RowBlock& rows, int row) {
    ui::GridModel& grid = flexMaster->model();
    const auto keepWidth = [&](int c, QStringView text) {
        qint64& width = widths_[static_cast<size_t>(c)];
        width = std::max<qint64>(width, text.size());
    };
    for (int c = 0; c < rows.fieldCount(); ++c) {
        const bool null = rows.isNull(row, c);
        const QStringView text = rows.text(row, c);
        if (c == kColumnId && !null) {
            grid.putNumber(c, text.toInt());
            continue;
        }
        if (c != kColumnDate) {
            keepWidth(c, text);
            grid.putText(c, text.trimmed());
            continue;
        }
        const QDate date = null ? QDate() : rows.date(row, c);
        if (!date.isValid()) {
            keepWidth(c, text);
            grid.putDate(c, date, text.trimmed());
            continue;
        }
        auto at = dateTexts_.constFind(date.toJulianDay());
        if (at == dateTexts_.cend())
            at = dateTexts_.insert(date.toJulianDay(), RegisterCellText(date, c));
        keepWidth(c, *at);
        grid.putDate(c, date, QStringView(*at).trimmed());
    }
}

void FrmMaster::GridInsertOlder(const data::RowBlock& rows) {
    std::vector<int> taken;
    taken.reserve(static_cast<size_t>(rows.rowCount()));
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (addedWhileLoading_.isEmpty() ||
            !addedWhileLoading_.contains(rows.text(row, kColumnId).toInt()))
            taken.push_back(row);
    }
    if (taken.empty())
        return;
    ui::GridModel& grid = flexMaster->model();
    const int first = olderRows_ + 1;
    const int count = static_cast<int>(taken.size());
    grid.beginInsert(first, count);
    for (const int row : taken) {
        grid.nextRow();
        GridPutRow(rows, row);
    }
    grid.endInsert();
    grid.setRowColorWhere(kColumnCancelled, kCancelledText(), kCancelledColor(), first,
                          first + count - 1);
    olderRows_ += count;
    loaded_ += count;
    GridWidenColumns();
}

void FrmMaster::GridWidenColumns() {
    const int titled = cboColNames->count();
    for (int c = 1; c <= titled && static_cast<size_t>(c) < widths_.size(); ++c) {
        const qint64 wanted = widths_[static_cast<size_t>(c)] * kTwipsPerChar;
        if (wanted > flexMaster->colWidthTwips(c))
            flexMaster->setColWidthTwips(c, static_cast<int>(wanted));
    }
}

void FrmMaster::showLoadProgress() {
    const QLocale locale;
    // The estimate counts job changes the register may not list; the bar never runs past full.
    const qint64 expected = std::max(expected_, loaded_);
    prgLoad->setRange(0, 1000);
    prgLoad->setValue(expected > 0 ? static_cast<int>(loaded_ * 1000 / expected) : 0);
    QString text = QStringLiteral("Reading the register: %1 of about %2 job changes")
                       .arg(locale.toString(loaded_), locale.toString(expected));
    if (!waiting_.empty())
        text += waiting_.back() == Waiting::Sort
                    ? QStringLiteral("; the sort follows when they are all in")
                    : QStringLiteral("; the search follows when they are all in");
    prgLoad->setFormat(text);
    prgLoad->show();
    progressShown_.start();
}

void FrmMaster::waitForRows(Waiting action) {
    std::erase(waiting_, action);
    waiting_.push_back(action);
    showLoadProgress();
}

void FrmMaster::GridLoadEnded(const std::optional<data::DbError>& error) {
    loading_ = false;
    load_.reset();
    addedWhileLoading_.clear();
    if (error) {
        // The rows read stay; Export would write only them.
        prgLoad->setRange(0, 1);
        prgLoad->setValue(0);
        prgLoad->setFormat(
            QStringLiteral("The register lists %1 job changes: the rest could not be read")
                .arg(QLocale().toString(loaded_)));
        prgLoad->show();
        message(QStringLiteral("The register could not read every job change: ") +
                error->description());
    } else {
        prgLoad->hide();
        cmdExport->setEnabled(true);
    }
    const std::vector<Waiting> waiting = std::exchange(waiting_, {});
    for (const Waiting action : waiting) {
        if (action == Waiting::Sort)
            cboColNames_Click();
        else
            GridSearch();
    }
}
