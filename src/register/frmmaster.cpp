#include "register/frmmaster.h"

#include "component/basgrade.h"
#include "jobchange/proposals.h"
#include "jobchange/registerload.h"
#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "ui/flexgrid.h"
#include "ui/waitcursor.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "report/reportcontrol.h"

namespace {

// Room kept free for the vertical scroll bar, in twips.
constexpr qint64 kScrollBarTwips = 315;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

FrmMaster::FrmMaster(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmMaster"));
    setWindowTitle(QStringLiteral("Job Change"));
    buildControls();
    connectGridEvents();
    setupSearchAndSort();
}

FrmMaster::~FrmMaster() = default;

void FrmMaster::buildControls() {
    flexMaster = new ui::FlexGrid(this);
    flexMaster->setObjectName(QStringLiteral("flexMaster"));

    fraBrowse = new QGroupBox(QStringLiteral("Browse"), this);
    fraBrowse->setObjectName(QStringLiteral("fraBrowse"));
    optAscend = new QRadioButton(QStringLiteral("Ascending"), fraBrowse);
    optAscend->setObjectName(QStringLiteral("optAscend"));
    optAscend->setChecked(true);
    optDescend = new QRadioButton(QStringLiteral("Descending"), fraBrowse);
    optDescend->setObjectName(QStringLiteral("optDescend"));
    cboColNames = new QComboBox(fraBrowse);
    cboColNames->setObjectName(QStringLiteral("cboColNames"));
    cboColNames->setMinimumContentsLength(14);
    lblsearch = new QLabel(QStringLiteral("&Search On:"), fraBrowse);
    lblsearch->setObjectName(QStringLiteral("lblsearch"));
    cboSearch = new QComboBox(fraBrowse);
    cboSearch->setObjectName(QStringLiteral("cboSearch"));
    cboSearch->setMinimumContentsLength(14);
    lblsearch->setBuddy(cboSearch);
    txtsearch = new QLineEdit(fraBrowse);
    txtsearch->setObjectName(QStringLiteral("txtsearch"));

    auto* browse = new QHBoxLayout(fraBrowse);
    browse->addWidget(optAscend);
    browse->addWidget(optDescend);
    browse->addWidget(cboColNames);
    browse->addSpacing(24);
    browse->addWidget(lblsearch);
    browse->addWidget(cboSearch);
    browse->addWidget(txtsearch, 1);

    cmdnew = makeButton(this, "cmdnew", QStringLiteral("&New"));
    CmdEdit = makeButton(this, "CmdEdit", QStringLiteral("&Edit"));
    CmdDelete = makeButton(this, "CmdDelete", QStringLiteral("&Delete"));
    cmPreview = makeButton(this, "cmPreview", QStringLiteral("&Preview"));
    cmdLetters = makeButton(this, "cmdLetters", QStringLiteral("&Letters"));
    cmdLetters->setEnabled(false);
    cmdExport = makeButton(this, "cmdExport", QStringLiteral("E&xport"));
    cmdHistory = makeButton(this, "cmdHistory", QStringLiteral("&History"));
    cmdHistory->setEnabled(false);
    cmdBulk = makeButton(this, "cmdBulk", QStringLiteral("&Bulk"));
    CmdClose = makeButton(this, "CmdClose", QStringLiteral("&Close"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {cmdnew, CmdEdit, CmdDelete, cmPreview, cmdLetters, cmdBulk, cmdExport, cmdHistory})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(CmdClose);

    prgLoad = new QProgressBar(this);
    prgLoad->setObjectName(QStringLiteral("prgLoad"));
    prgLoad->setTextVisible(true);
    prgLoad->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(flexMaster, 1);
    layout->addWidget(prgLoad);
    layout->addWidget(fraBrowse);
    layout->addLayout(buttons);

    setTabOrder(flexMaster, optAscend);
    setTabOrder(optAscend, optDescend);
    setTabOrder(optDescend, cboColNames);
    setTabOrder(cboColNames, cboSearch);
    setTabOrder(cboSearch, txtsearch);
    setTabOrder(txtsearch, cmdnew);
    setTabOrder(cmdnew, CmdEdit);
    setTabOrder(CmdEdit, CmdDelete);
    setTabOrder(CmdDelete, cmPreview);
    setTabOrder(cmPreview, cmdLetters);
    setTabOrder(cmdLetters, cmdBulk);
    setTabOrder(cmdBulk, cmdExport);
    setTabOrder(cmdExport, cmdHistory);
    setTabOrder(cmdHistory, CmdClose);

    resize(1000, 560);

    connect(cmdnew, &QPushButton::clicked, this, [this] { Reported(&FrmMaster::cmdnew_Click); });
    connect(CmdEdit, &QPushButton::clicked, this, [this] { Reported(&FrmMaster::CmdEdit_Click); });
    connect(CmdDelete, &QPushButton::clicked, this,
            [this] { Reported(&FrmMaster::CmdDelete_Click); });
    connect(cmPreview, &QPushButton::clicked, this,
            [this] { Reported(&FrmMaster::cmPreview_Click); });
    connect(cmdLetters, &QPushButton::clicked, this,
            [this] { Reported(&FrmMaster::cmdLetters_Click); });
    connect(cmdExport, &QPushButton::clicked, this,
            [this] { Reported(&FrmMaster::cmdExport_Click); });
    connect(cmdHistory, &QPushButton::clicked, this,
            [this] { Reported(&FrmMaster::cmdHistory_Click); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    connect(cmdBulk, &QPushButton::clicked, this, [this] { Reported(&FrmMaster::cmdBulk_Click); });
}

void FrmMaster::connectGridEvents() {
    connect(flexMaster, &ui::FlexGrid::rowColChange, this, [this] { SelectionRule(); });
    connect(flexMaster, &ui::FlexGrid::dblClick, this, [this] {
        if (CmdEdit->isEnabled())
            Reported(&FrmMaster::CmdEdit_Click);
    });
    onKeyPress(flexMaster, [this](int& keyAscii) {
        if (keyAscii == 13) {
            if (CmdEdit->isEnabled())
                Reported(&FrmMaster::CmdEdit_Click);
        } else if (keyAscii == 10) {
            if (cmdnew->isEnabled())
                Reported(&FrmMaster::cmdnew_Click);
        }
    });
    onKeyDown(flexMaster, [this](int& keyCode, int) {
        if (keyCode == vbKeyDelete && CmdDelete->isEnabled())
            Reported(&FrmMaster::CmdDelete_Click);
    });
}

void FrmMaster::Reported(void (FrmMaster::*handler)()) {
    // An error must not leave through the event loop: the clerk sees it and the register
    // stays usable.
    try {
        (this->*handler)();
    } catch (const data::DbError& error) {
        message(error.description());
        Form_Activate();
    }
}

ui::MsgAnswer FrmMaster::message(const QString& text, ui::MsgIcon icon,
                                 ui::MsgButtons buttons) const {
    return ui::message(workspace_ ? workspace_->msgboxTitle : BasGrade().MsgboxTitle, text, icon,
                       buttons);
}

qint32 FrmMaster::selectedJobChangeId() const {
    return flexMaster->textMatrix(flexMaster->row(), kColumnId).trimmed().toInt();
}

QString FrmMaster::registerSql() const {
    return reads_ ? reads_->registerSql(previousDays_) : QString();
}

void FrmMaster::Form_Activate() {
    SelectionRule();
}

void FrmMaster::GridRefreshRow(qint32 id, RowChange change) {
    try {
        const std::optional<QVariantList> fields = reads_->registerRow(previousDays_, id);
        if (!fields)
            return;
        const int columns = flexMaster->cols();
        const int last = std::min(columns, static_cast<int>(fields->size())) - 1;
        const auto cell = [&](int c) { return RegisterCellText(fields->at(c), c); };
        if (change == RowChange::Changed) {
            const int row = flexMaster->row();
            for (int c = 1; c <= last; ++c)
                flexMaster->setTextMatrix(row, c, cell(c));
            if (kColumnDate <= last)
                flexMaster->model().setDate(row, data::dateOf(fields->at(kColumnDate)));
        } else if (flexMaster->textMatrix(1, kColumnId).isEmpty() && flexMaster->rows() == 2) {
            for (int c = 0; c <= last; ++c)
                flexMaster->setTextMatrix(1, c, cell(c));
            if (kColumnDate <= last)
                flexMaster->model().setDate(1, data::dateOf(fields->at(kColumnDate)));
        } else {
            std::vector<QString> cells(static_cast<size_t>(columns));
            cells[0] = QString::number(id);
            for (int c = 1; c <= last; ++c)
                cells[static_cast<size_t>(c)] = cell(c);
            flexMaster->model().appendRow(std::move(cells));
            if (loading_)
                addedWhileLoading_.insert(id);
            const int row = flexMaster->rows() - 1;
            if (kColumnDate <= last)
                flexMaster->model().setDate(row, data::dateOf(fields->at(kColumnDate)));
            flexMaster->selectRowAcross(row);
            flexMaster->setTopRow(row);
        }
    } catch (const data::DbError& error) {
        message(error.description());
    }
}

void FrmMaster::GridHeaderPopulate(std::vector<qint64>& widths) {
    const QSignalBlocker blockColNames(cboColNames);
    const QSignalBlocker blockSearch(cboSearch);
    cboColNames->clear();
    cboSearch->clear();

    const QStringList titles = reads_->columnTitles();
    const int columns = flexMaster->cols();
    int titled = 0;
    // A catalogue that lists more titles than the query has columns: the rest name nothing.
    for (int c = 1; c <= titles.size() && c < columns; ++c) {
        const QString& header = titles[c - 1];
        flexMaster->setTextMatrix(0, c, header);
        cboColNames->addItem(header, c);
        cboSearch->addItem(header, c);
        qint64& width = widths[static_cast<size_t>(c)];
        width = std::max<qint64>(width, header.size());
        titled = c;
    }
    cboColNames->setCurrentIndex(-1);
    cboSearch->setCurrentIndex(-1);

    for (int c = 1; c <= titled; ++c) {
        const qint64 wanted = widths[static_cast<size_t>(c)] * kTwipsPerChar;
        if (wanted > flexMaster->colWidthTwips(c))
            flexMaster->setColWidthTwips(c, static_cast<int>(wanted));
    }

    // 64-bit sums: a wide grid overflows 16 bits.
    qint64 total = 0;
    for (int c = 1; c < columns; ++c)
        total += flexMaster->colWidthTwips(c);
    const qint64 room = static_cast<qint64>(flexMaster->widthTwips()) - kScrollBarTwips;
    if (columns > 1 && room > total) {
        const qint64 extra = qRound64(static_cast<double>(room - total) / (columns - 1));
        for (int c = 1; c < columns; ++c)
            flexMaster->setColWidthTwips(c, static_cast<int>(flexMaster->colWidthTwips(c) + extra));
    }

    GridMarkCancelled();
    const int last = flexMaster->rows() - 1;
    flexMaster->selectRowAcross(last);
    flexMaster->setTopRow(last);
}

void FrmMaster::GridTypeColumns() {
    ui::GridModel& grid = flexMaster->model();
    grid.setColumnType(kColumnId, ui::GridModel::CellType::Integer);
    grid.setColumnType(kColumnDate, ui::GridModel::CellType::Date);
    grid.setColumnType(kColumnCancelled, ui::GridModel::CellType::Flag, kCancelledText());
    // A company's job change numbers are unique.
    grid.setDistinctTexts(kColumnNumber);
}

void FrmMaster::GridMarkCancelled() {
    SelectionRule();
    flexMaster->model().setRowColorWhere(kColumnCancelled, kCancelledText(), kCancelledColor());
}

void FrmMaster::SelectionRule() {
    const int row = flexMaster->row();
    const bool jobChange = !flexMaster->textMatrix(row, kColumnId).isEmpty();
    CmdEdit->setEnabled(jobChange && fnUserRights(QStringLiteral("E")));
    CmdDelete->setEnabled(jobChange &&
                          flexMaster->textMatrix(row, kColumnCancelled) != kCancelledText() &&
                          fnUserRights(QStringLiteral("D")));
    cmdHistory->setEnabled(jobChange);
    cmdLetters->setEnabled(jobChange);
}

void FrmMaster::UserRights() {
    applyRights(jobchange::UserRights(workspace_).userRights());
}

void FrmMaster::applyRights(const std::optional<QString>& rights) {
    // A user without a rights row keeps the buttons as they are.
    if (!rights)
        return;
    strRights = *rights;
    cmdnew->setEnabled(fnUserRights(QStringLiteral("N")));
    // A user who may only approve reaches the proposals through it.
    cmdBulk->setEnabled(fnUserRights(QStringLiteral("N")) || fnUserRights(QStringLiteral("A")));
    CmdEdit->setEnabled(fnUserRights(QStringLiteral("E")));
    CmdDelete->setEnabled(fnUserRights(QStringLiteral("D")));
}

void FrmMaster::ShowPendingBatches() {
    const int pending = jobchange::ProposalReads(workspace_).pendingCount();
    cmdBulk->setText(pending > 0 ? QStringLiteral("&Bulk (%1)").arg(pending)
                                 : QStringLiteral("&Bulk"));
}

bool FrmMaster::fnUserRights(const QString& letter) const {
    return jobchange::rightsGrant(strRights, letter);
}

void FrmMaster::CmdClose_Click() {
    done(QDialog::Rejected);
}

bool FrmMaster::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}
