#include "entry/frmgrade.h"

#include "component/basgrade.h"
#include "entry/linestatements.h"
#include "entry/revisionlistcommands.h"
#include "lineeditor/revisionlist.h"
#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "sharedlib/brastel.h"
#include "sharedlib/clscommondb.h"
#include "sharedlib/clscommongen.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <iterator>

namespace {

// The designation-and-grade entries of the company's active designations.
const QString kJobCriterion = QStringLiteral("dCompanyid = gCompanyid and dGradeID = gID and "
                                             "dactive = 1 and ");

void useJobLookupTables() {
    const CallerContext& context = BasGrade();
    BasGrade().strLookupTables = QStringLiteral(" ") + context.tables.pGrades +
                                 QStringLiteral(",") + context.tables.pDesignation +
                                 QStringLiteral(" ");
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

template <class T> T* named(const QString& name, QWidget* parent) {
    auto* widget = new T(parent);
    widget->setObjectName(name);
    return widget;
}

QLabel* label(const QString& name, const QString& caption, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

frmGrade::frmGrade(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmGrade"));
    setWindowTitle(QStringLiteral("Job Change"));
    createControls();
    listCommands = new RevisionListCommands(*this);
    mnuPopup = listCommands->mnuPopup;
    mnuAdd = listCommands->mnuAdd;
    mnuEdit = listCommands->mnuEdit;
    mnuDelete = listCommands->mnuDelete;
    mnuCancel = listCommands->mnuCancel;
    connectEvents();
}

frmGrade::~frmGrade() = default;

void frmGrade::createControls() {
    fraall = named<QGroupBox>(QStringLiteral("fraall"), this);
    fraGrade = named<QGroupBox>(QStringLiteral("fraGrade"), fraall);

    lblgrade = label(QStringLiteral("lblgrade"), QStringLiteral("Job No:"), fraGrade);
    txtGradeNo = named<QLineEdit>(QStringLiteral("txtGradeNo"), fraGrade);
    // The number is formed by the save; nobody types it.
    txtGradeNo->setReadOnly(true);
    lblGradeDate = label(QStringLiteral("lblGradeDate"), QStringLiteral("Job Date:"), fraGrade);
    dtpGDate = named<QDateEdit>(QStringLiteral("dtpGDate"), fraGrade);
    dtpGDate->setCalendarPopup(true);
    dtpGDate->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    lblEmployee = label(QStringLiteral("lblEmployee"), QStringLiteral("Employee Name:"), fraGrade);
    cboEmployee = named<QComboBox>(QStringLiteral("cboEmployee"), fraGrade);
    lblOldgrade = label(QStringLiteral("lblOldgrade"), QStringLiteral("Old Job:"), fraGrade);
    cboOldGrade = named<QComboBox>(QStringLiteral("cboOldGrade"), fraGrade);
    lblNewgrade = label(QStringLiteral("lblNewgrade"), QStringLiteral("New Job:"), fraGrade);
    cboNewgrade = named<QComboBox>(QStringLiteral("cboNewgrade"), fraGrade);
    lblOldBasic = label(QStringLiteral("lblOldBasic"), QStringLiteral("Old Basic:"), fraGrade);
    txtOldBasic = named<QLineEdit>(QStringLiteral("txtOldBasic"), fraGrade);
    lblNewBasic = label(QStringLiteral("lblNewBasic"), QStringLiteral("New Basic:"), fraGrade);
    txtNewbasic = named<QLineEdit>(QStringLiteral("txtNewbasic"), fraGrade);
    lblRemarks = label(QStringLiteral("lblRemarks"), QStringLiteral("Remarks:"), fraGrade);
    txtRemarks = named<QLineEdit>(QStringLiteral("txtRemarks"), fraGrade);
    for (QComboBox* combo : {cboEmployee, cboOldGrade, cboNewgrade}) {
        combo->setEditable(false);
        combo->setMinimumContentsLength(24);
    }

    auto* header = new QGridLayout(fraGrade);
    header->addWidget(lblgrade, 0, 0);
    header->addWidget(txtGradeNo, 0, 1);
    header->addWidget(lblGradeDate, 0, 2);
    header->addWidget(dtpGDate, 0, 3);
    header->addWidget(lblEmployee, 1, 0);
    header->addWidget(cboEmployee, 1, 1, 1, 3);
    header->addWidget(lblOldgrade, 2, 0);
    header->addWidget(cboOldGrade, 2, 1);
    header->addWidget(lblNewgrade, 2, 2);
    header->addWidget(cboNewgrade, 2, 3);
    header->addWidget(lblOldBasic, 3, 0);
    header->addWidget(txtOldBasic, 3, 1);
    header->addWidget(lblNewBasic, 3, 2);
    header->addWidget(txtNewbasic, 3, 3);
    header->addWidget(lblRemarks, 4, 0);
    header->addWidget(txtRemarks, 4, 1, 1, 3);

    SSTab1 = named<QTabWidget>(QStringLiteral("SSTab1"), fraall);
    lvwAllow = createRevisionList(LineKind::Allowance, SSTab1);
    lvwDeduct = createRevisionList(LineKind::Deduction, SSTab1);
    SSTab1->addTab(lvwAllow, QStringLiteral("Allowances"));
    SSTab1->addTab(lvwDeduct, QStringLiteral("Deductions"));

    auto* frame = new QVBoxLayout(fraall);
    frame->addWidget(fraGrade);
    frame->addWidget(SSTab1, 1);

    cmdOK = button(QStringLiteral("cmdOK"), QStringLiteral("&Ok"), this);
    cmdCancel = button(QStringLiteral("cmdCancel"), QStringLiteral("&Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* window = new QVBoxLayout(this);
    window->addWidget(fraall, 1);
    window->addLayout(buttons);

    QWidget* order[] = {txtGradeNo,  dtpGDate,    cboEmployee, cboOldGrade, cboNewgrade,
                        txtOldBasic, txtNewbasic, txtRemarks,  SSTab1,      lvwAllow,
                        lvwDeduct,   cmdOK,       cmdCancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(720, 520);
}

void frmGrade::connectEvents() {
    connect(cboEmployee, &QComboBox::currentIndexChanged, this, [this] { cboEmployee_Click(); });
    connect(cboOldGrade, &QComboBox::currentIndexChanged, this, [this] { cboOldGrade_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    for (QWidget* control : std::initializer_list<QWidget*>{cboEmployee, cboNewgrade, cboOldGrade,
                                                            dtpGDate, txtRemarks, cmdOK, cmdCancel})
        onKeyPress(control, [](int& keyAscii) { EnterAsTab(keyAscii); });
    for (QLineEdit* basic : {txtOldBasic, txtNewbasic})
        onKeyPress(basic, [this, basic](int& keyAscii) {
            EnterAsTab(keyAscii);
            commonGen->TextValidateNum(basic, keyAscii, 18, 2);
        });
    txtNewbasic->installEventFilter(this);

    listCommands->attach(LineKind::Allowance);
    listCommands->attach(LineKind::Deduction);
}

bool frmGrade::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtNewbasic && event->type() == QEvent::FocusIn) {
        txtNewbasic->selectAll();
        // A mouse click places the cursor after the focus arrives; select again after it.
        QTimer::singleShot(0, txtNewbasic, [box = txtNewbasic] { box->selectAll(); });
    }
    return QDialog::eventFilter(watched, event);
}

QTreeWidget* frmGrade::list(LineKind kind) const {
    return kind == LineKind::Allowance ? lvwAllow : lvwDeduct;
}

QString& frmGrade::lineFlag(LineKind kind) {
    return kind == LineKind::Allowance ? strAllowanceFlag : strDeductionFlag;
}

qint32 frmGrade::selectedId(const QComboBox* combo) const {
    return static_cast<qint32>(combo->currentData().toLongLong());
}

void frmGrade::Form_Load() {
    CallerContext& context = BasGrade();
    commonGen = Brastel::Create<clsCommonGen>(QStringLiteral("Brastel.clsCommonGen"));
    commonDB = Brastel::Create<clsCommonDB>(QStringLiteral("Brastel.clsCommonDB"));
    adocon(); // a context without a connection gets an unopened one
    commonDB->adocon = context.adocon;

    if (context.strEntryMode == QLatin1String("N")) {
        dtpGDate->setDate(context.ProcessDate);
        // Active employees without an uncancelled job change dated after the process date.
        commonDB->strTablename =
            context.tables.pemployee + QStringLiteral(" e left outer join ") +
            context.tables.pEmployeegradeChange +
            QStringLiteral(" egc on e.ecompanyid = egc.egccompanyid And  e.eempid = "
                           "egc.egcempid And egc.egccancelled = 0 and egc.egcdate  > ") +
            adocon().dialect().dateLiteral(context.ProcessDate, QStringLiteral("yyyy/MM/dd")) +
            QStringLiteral(" Where e.eactive = 1  And egc.egcempid Is Null And e.ecompanyid = ") +
            company();
        commonDB->populateComboorList(cboEmployee, QStringLiteral("eempid"),
                                      QStringLiteral("ename"));
    } else if (context.strEntryMode == QLatin1String("E")) {
        useJobLookupTables();
        ComboPopulate(cboOldGrade, QStringLiteral("dDesigID"), QStringLiteral("gDescription"),
                      QStringLiteral("dDescription"), QStringLiteral("G"),
                      kJobCriterion + QStringLiteral("dcompanyid = ") + company());
        context.strLookupTables = context.tables.pemployee;
        ComboPopulate(cboEmployee, QStringLiteral("eEmpId"), QStringLiteral("eName"),
                      QStringLiteral("eempno"), QStringLiteral("E"),
                      QStringLiteral("eActive = 1 and eCompanyid =") + company());
    }
    SSTab1->setCurrentIndex(0);
    SetControlTags(this);
}

void frmGrade::cboOldGrade_Click() {
    if (cboOldGrade->currentIndex() >= 0)
        cboOldGrade->setEnabled(false);
}

void frmGrade::cboEmployee_Click() {
    if (BasGrade().strEntryMode != QLatin1String("N") || cboEmployee->currentIndex() < 0)
        return;
    try {
        EmployeeSelect();
    } catch (const data::DbError& error) {
        MsgBox(error.description());
    }
}

void frmGrade::EmployeeSelect() {
    CallerContext& context = BasGrade();
    useJobLookupTables();
    ComboPopulate(cboOldGrade, QStringLiteral("dDesigID"), QStringLiteral("gDescription"),
                  QStringLiteral("dDescription"), QStringLiteral("G"),
                  kJobCriterion + QStringLiteral("dcompanyid = ") + company());
    const QString empId = QString::number(selectedId(cboEmployee));
    {
        data::Recordset rs =
            adocon().open(QStringLiteral("select eDesigID,eBasic from ") +
                          context.tables.pemployee + QStringLiteral(" where eCompanyID = ") +
                          company() + QStringLiteral(" and eEmpID = ") + empId);
        if (!rs.eof()) {
            commonGen->SelectComboItemByValue(cboOldGrade, rs.field(0));
            txtOldBasic->setText(rs.text(1));
        }
    }
    // The old job follows the employee now chosen: an employee whose designation is not
    // offered leaves it open for the clerk to choose, even after an earlier pick locked it.
    if (cboOldGrade->currentIndex() < 0)
        cboOldGrade->setEnabled(true);

    useJobLookupTables();
    ComboPopulate(cboNewgrade, QStringLiteral("dDesigID"), QStringLiteral("gDescription"),
                  QStringLiteral("dDescription"), QStringLiteral("G"),
                  kJobCriterion + QStringLiteral(" dcompanyid = ") + company());

    commonDB->strTablename = QStringLiteral(" ") + context.tables.pemployee + QStringLiteral(" ,") +
                             context.tables.pcurrencymaster;
    const QString symbol = data::textOf(commonDB->fnReturnField(
        QStringLiteral("Symbol"), QStringLiteral("CompanyID=ecompanyid  and "
                                                 "ecurrencyid=CurrencyID and companyid= ") +
                                      company() + QStringLiteral(" and  eEmpID= ") + empId));
    lblOldBasic->setText(QStringLiteral("Old Basic:(") + symbol + QStringLiteral(")"));
    lblNewBasic->setText(QStringLiteral("New Basic:(") + symbol + QStringLiteral(")"));

    EmpAllowancePopulate();
    EmpDeductionPopulate();
}

void frmGrade::EmpLinesPopulate(LineKind kind) {
    QTreeWidget* target = list(kind);
    target->clear();
    data::Recordset rs =
        adocon().open(LineStatements(kind).standingLinesSql(selectedId(cboEmployee)));
    while (!rs.eof()) {
        const QString amount = listAmount(rs.field(2).toDouble());
        addRevisionRow(target, rs.text(1), amount, rs.text(0), QStringLiteral("O"), amount, {},
                       true);
        rs.moveNext();
    }
}

void frmGrade::cmdCancel_Click() {
    close();
}

void frmGrade::closeEvent(QCloseEvent* event) {
    if (!QueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
    closeUnsaved();
}

void frmGrade::reject() {
    if (QueryUnload())
        closeUnsaved();
}

// A save that got through has closed the window already, accepted.
void frmGrade::closeUnsaved() {
    if (cmdOK->property(kTagProperty).toString() != QLatin1String(kSuccessTag))
        QDialog::done(QDialog::Rejected);
}

bool frmGrade::QueryUnload() {
    if (cmdOK->property(kTagProperty).toString() == QLatin1String(kSuccessTag) ||
        !cmdOK->isEnabled() || !fnFormChanged(this))
        return true;
    if (MsgBox(QStringLiteral("Save Changes?"), ui::MsgIcon::Information, ui::MsgButtons::YesNo) !=
        ui::MsgAnswer::Yes)
        return true;
    cmdOK_Click();
    return cmdOK->property(kTagProperty).toString() == QLatin1String(kSuccessTag);
}
