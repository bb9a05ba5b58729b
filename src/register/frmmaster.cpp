#include "register/frmmaster.h"

#include "component/basgrade.h"
#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "sharedlib/brastel.h"
#include "sharedlib/clscommondb.h"
#include "sharedlib/clscommongen.h"
#include "ui/flexgrid.h"
#include "ui/waitcursor.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#if __has_include("report/reportcontrol.h")
#include "report/reportcontrol.h"
#else
namespace report {
class ReportControl {};
} // namespace report
#endif

namespace {

constexpr qint32 kRegisterInterfaceId = 91004;
const QString kCancelled = QStringLiteral("Yes");
// Colour value 255: red.
const QColor kCancelledColor(255, 0, 0);
constexpr int kColumnId = 0;
constexpr int kColumnNumber = 1;
constexpr int kColumnCancelled = 6;
// Twips per character of a column's longest text.
constexpr qint64 kTwipsPerChar = 130;
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

QString RegisterQuery(const data::Dialect& dialect, const data::ResolvedTableNames& tables,
                      qint16 companyId) {
    return QStringLiteral("select egcid, egcno, egcdate, ename,") + QLatin1Char(' ') +
           dialect.concatSpace(QStringLiteral("og.gDescription"),
                               QStringLiteral("od.dDescription")) +
           QStringLiteral(", ") +
           dialect.concatSpace(QStringLiteral("ng.gDescription"),
                               QStringLiteral("nd.dDescription")) +
           QStringLiteral(",") +
           QStringLiteral(" case egccancelled when 1 then 'Yes' when 0 then 'No' end") +
           QStringLiteral(" from ") + tables.pEmployeegradeChange + QStringLiteral(", ") +
           tables.pemployee + QStringLiteral(", ") + tables.pGrades + QStringLiteral(" og, ") +
           tables.pGrades + QStringLiteral(" ng, ") + tables.pDesignation +
           QStringLiteral(" od, ") + tables.pDesignation + QStringLiteral(" nd ") +
           QStringLiteral(" where egcCompanyID = eCompanyID and egcEmpID = eEmpID and ") +
           QStringLiteral(" egcCompanyid = od.dCompanyID and egcOldDesigID = od.dDesigID and "
                          "egcCompanyid = nd.dCompanyID and egcNewDesigID = nd.dDesigID and ") +
           QStringLiteral(" od.dGradeID = og.gid and od.dcompanyid = og.gcompanyid and "
                          "nd.dGradeID = ng.gid and nd.dcompanyid = ng.gcompanyid and "
                          "egcCompanyid = ") +
           QString::number(companyId);
}

QString RegisterDateFilter(const data::Dialect& dialect, const QDate& cutoff) {
    return QStringLiteral(" and egcdate >=") +
           dialect.dateLiteral(cutoff, QStringLiteral("yyyyMMdd"));
}

FrmMaster::FrmMaster(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmMaster"));
    setWindowTitle(QStringLiteral("Job Change"));
    buildControls();
    connectGridEvents();
    setupSearchAndSort();
    BasGrade().registerGrid = flexMaster;
}

FrmMaster::~FrmMaster() {
    if (BasGrade().registerGrid == flexMaster)
        BasGrade().registerGrid = nullptr;
}

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
    CmdClose = makeButton(this, "CmdClose", QStringLiteral("&Close"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cmdnew, CmdEdit, CmdDelete, cmPreview})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(CmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(flexMaster, 1);
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
    setTabOrder(cmPreview, CmdClose);

    resize(1000, 560);

    connect(cmdnew, &QPushButton::clicked, this, [this] { Reported(&FrmMaster::cmdnew_Click); });
    connect(CmdEdit, &QPushButton::clicked, this, [this] { Reported(&FrmMaster::CmdEdit_Click); });
    connect(CmdDelete, &QPushButton::clicked, this,
            [this] { Reported(&FrmMaster::CmdDelete_Click); });
    connect(cmPreview, &QPushButton::clicked, this,
            [this] { Reported(&FrmMaster::cmPreview_Click); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
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
        MsgBox(error.description());
        Form_Activate();
    }
}

void FrmMaster::Form_Load() {
    strRights.clear();
    commonGen = Brastel::Create<clsCommonGen>(QStringLiteral("Brastel.clsCommonGen"));
    commonDB = Brastel::Create<clsCommonDB>(QStringLiteral("Brastel.clsCommonDB"));
    ResolveTableNames();

    CallerContext& context = BasGrade();
    context.Intinterfaceid = kRegisterInterfaceId;
    data::Connection& connection = adocon();
    commonDB->adocon = context.adocon;
    commonDB->strTablename = context.tables.pSettings;
    const auto previousDays = static_cast<qint16>(
        commonDB
            ->fnReturnField(QStringLiteral("NoOfPreviousDays"),
                            QStringLiteral("companyID=") + QString::number(context.intCompanyID))
            .toInt());
    context.strTableMain = context.tables.pEmployeegradeChange;
    context.strSql = RegisterQuery(connection.dialect(), context.tables, context.intCompanyID);

    // The window's layout decides the grid's width, which the column widths fill.
    if (layout())
        layout()->activate();
    {
        const ui::WaitCursor wait;
        if (previousDays > 0)
            context.strSql += RegisterDateFilter(connection.dialect(),
                                                 context.ProcessDate.addDays(-previousDays));
        GridPopulate(context.strSql, context.strTableMain);
        flexMaster->setColAlignment(1, 2);
        flexMaster->setColAlignment(2, 2);
    }
    UserRights();
    SelectionRule();
    if (flexMaster->textMatrix(1, kColumnNumber).isEmpty()) {
        CmdEdit->setEnabled(false);
        CmdDelete->setEnabled(false);
    }
}

void FrmMaster::Form_Activate() {
    const int row = flexMaster->row();
    if (flexMaster->textMatrix(row, kColumnId).isEmpty()) {
        CmdEdit->setEnabled(false);
        CmdDelete->setEnabled(false);
    } else {
        CmdEdit->setEnabled(fnUserRights(QStringLiteral("E")));
        CmdDelete->setEnabled(fnUserRights(QStringLiteral("D")));
    }
    SelectionRule();
}

void FrmMaster::GridPopulate(const QString& strSql, const QString& strTableMain,
                             const QString& strTableRelation) {
    Q_UNUSED(strTableRelation);
    flexMaster->clearGrid(1, 2);
    flexMaster->setColWidthTwips(kColumnId, 960);

    data::Recordset rs = adocon().open(strSql);
    const int columns = rs.fieldCount();
    std::vector<qint64> widths(static_cast<size_t>(columns) + 1, 0);
    std::vector<std::vector<QString>> rows;
    while (!rs.eof()) {
        std::vector<QString> cells(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            const QString text = RegisterCellText(rs.field(c), c);
            qint64& width = widths[static_cast<size_t>(c)];
            width = std::max<qint64>(width, text.size());
            cells[static_cast<size_t>(c)] = text.trimmed();
        }
        rows.push_back(std::move(cells));
        rs.moveNext();
    }
    flexMaster->model().setRows(columns, std::move(rows));
    flexMaster->setColWidthTwips(kColumnId, 960);
    GridHeaderPopulate(strTableMain, widths);
    flexMaster->setColWidthTwips(kColumnId, 0);
}

void FrmMaster::GridHeaderPopulate(const QString& strTableMain, std::vector<qint64>& widths) {
    const CallerContext& context = BasGrade();
    const QSignalBlocker blockColNames(cboColNames);
    const QSignalBlocker blockSearch(cboSearch);
    cboColNames->clear();
    cboSearch->clear();

    data::Recordset rs = adocon().open(
        QStringLiteral("select tc.columnheader,tc.columnname from ") + QStringLiteral(" ") +
        context.tables.ptables + QStringLiteral("  t,") + context.tables.ptablecolumns +
        QStringLiteral(" tc where t.tableid = tc.tableid and ") + QStringLiteral("  tablename ='") +
        strTableMain + QStringLiteral("' order by tc.ColumnID"));
    const int columns = flexMaster->cols();
    int titled = 0;
    // A catalogue that lists more titles than the query has columns: the rest name nothing.
    for (int c = 1; !rs.eof() && c < columns; ++c, rs.moveNext()) {
        const QString header = rs.text(0);
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

void FrmMaster::GridMarkCancelled() {
    if (flexMaster->textMatrix(flexMaster->row(), kColumnCancelled) == kCancelled) {
        CmdDelete->setEnabled(false);
    } else {
        CmdEdit->setEnabled(fnUserRights(QStringLiteral("E")));
        CmdDelete->setEnabled(fnUserRights(QStringLiteral("D")));
    }
    flexMaster->model().setRowColorWhere(kColumnCancelled, kCancelled, kCancelledColor);
}

void FrmMaster::SelectionRule() {
    const int row = flexMaster->row();
    if (flexMaster->textMatrix(row, kColumnId).isEmpty()) {
        CmdDelete->setEnabled(false);
        CmdEdit->setEnabled(false);
    } else if (flexMaster->textMatrix(row, kColumnCancelled) == kCancelled) {
        CmdDelete->setEnabled(false);
    } else {
        CmdDelete->setEnabled(fnUserRights(QStringLiteral("D")));
        CmdEdit->setEnabled(fnUserRights(QStringLiteral("E")));
    }
}

void FrmMaster::UserRights() {
    const CallerContext& context = BasGrade();
    if (context.intUserID == 1) {
        strRights = QStringLiteral("NEDUP");
    } else {
        data::Recordset rs = adocon().open(
            QStringLiteral("select functionrights from ") + context.tables.puserrights +
            QStringLiteral(" where userid = ") + QString::number(context.intUserID) +
            QStringLiteral(" and interfaceid = ") + QString::number(context.Intinterfaceid));
        if (rs.eof())
            return;
        if (rs.isNull(0))
            throw data::DbError(94, QStringLiteral("FrmMaster"),
                                QStringLiteral("Invalid use of Null"));
        strRights = rs.text(0);
    }
    cmdnew->setEnabled(fnUserRights(QStringLiteral("N")));
    CmdEdit->setEnabled(fnUserRights(QStringLiteral("E")));
    CmdDelete->setEnabled(fnUserRights(QStringLiteral("D")));
}

bool FrmMaster::fnUserRights(QString& letter) {
    try {
        letter = letter.trimmed().toUpper();
        strRights = strRights.trimmed().toUpper();
        if (strRights == QLatin1String("ADMIN"))
            return false;
        return strRights.contains(letter);
    } catch (const data::DbError& error) {
        const QString number = QString::number(error.number());
        MsgBox((error.number() >= 0 ? QStringLiteral(" ") : QString()) + number +
               error.description());
        return false;
    }
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

void FrmMaster::ResolveTableNames() {
    data::ResolveTableNames(adocon(), BasGrade().tables);
}
