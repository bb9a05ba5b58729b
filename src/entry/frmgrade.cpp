#include "entry/frmgrade.h"

#include "entry/revisionlistcommands.h"
#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "shared/revisionlist.h"
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

// Amounts as the lists show them: "0.00", always with a decimal point.
QString listAmount(double amount) {
    return QString::number(amount, 'f', 2);
}

// The part of the employee entry ("name-number - symbol") from the first " - " on, less its
// blank: "- symbol".
QString basicLabelSuffix(const QString& employeeEntry) {
    const qsizetype p = employeeEntry.indexOf(QLatin1String(" - ")) + 1;
    const qsizetype q = employeeEntry.indexOf(QLatin1String(" -")) + 1;
    return employeeEntry.mid(p, employeeEntry.size() - q);
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

frmGrade::frmGrade(jobchange::WorkspacePtr workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace), service_(std::move(workspace)) {
    setObjectName(QStringLiteral("frmGrade"));
    setWindowTitle(QStringLiteral("Job Change"));
    createControls();
    listCommands = new RevisionListCommands(*this);
    connectEvents();
}

frmGrade::~frmGrade() = default;

void frmGrade::createControls() {
    fraall = named<QGroupBox>(QStringLiteral("fraall"), this);
    fraGrade = named<QGroupBox>(QStringLiteral("fraGrade"), fraall);

    const struct {
        QLabel*& label;
        const char* name;
        const char* caption;
    } labels[] = {{lblgrade, "lblgrade", "Job No:"},
                  {lblGradeDate, "lblGradeDate", "Job Date:"},
                  {lblEmployee, "lblEmployee", "Employee Name:"},
                  {lblOldgrade, "lblOldgrade", "Old Job:"},
                  {lblNewgrade, "lblNewgrade", "New Job:"},
                  {lblOldBasic, "lblOldBasic", "Old Basic:"},
                  {lblNewBasic, "lblNewBasic", "New Basic:"},
                  {lblRemarks, "lblRemarks", "Remarks:"}};
    for (const auto& l : labels)
        l.label = label(QString::fromLatin1(l.name), QString::fromLatin1(l.caption), fraGrade);
    txtGradeNo = named<QLineEdit>(QStringLiteral("txtGradeNo"), fraGrade);
    // The number is formed by the save; nobody types it.
    txtGradeNo->setReadOnly(true);
    dtpGDate = named<QDateEdit>(QStringLiteral("dtpGDate"), fraGrade);
    dtpGDate->setCalendarPopup(true);
    dtpGDate->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    cboEmployee = named<QComboBox>(QStringLiteral("cboEmployee"), fraGrade);
    cboOldGrade = named<QComboBox>(QStringLiteral("cboOldGrade"), fraGrade);
    cboNewgrade = named<QComboBox>(QStringLiteral("cboNewgrade"), fraGrade);
    txtOldBasic = named<QLineEdit>(QStringLiteral("txtOldBasic"), fraGrade);
    txtNewbasic = named<QLineEdit>(QStringLiteral("txtNewbasic"), fraGrade);
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
    for (LineKind kind : kLineKinds) {
        const LineTable& table = lineTable(kind);
        (kind == LineKind::Allowance ? lvwAllow : lvwDeduct) =
            createRevisionList(table.listName, table.listHeaders, SSTab1);
    }
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

ui::MsgAnswer frmGrade::message(const QString& text, ui::MsgIcon icon,
                                ui::MsgButtons buttons) const {
    return ui::message(workspace_->msgboxTitle, text, icon, buttons);
}

void frmGrade::Form_Load(EntryMode mode) {
    mode_ = mode;
    commonGen = Brastel::Create<clsCommonGen>(QStringLiteral("Brastel.clsCommonGen"));
    commonDB = Brastel::Create<clsCommonDB>(QStringLiteral("Brastel.clsCommonDB"));
    commonDB->adocon = workspace_->connection;

    if (mode == EntryMode::New) {
        dtpGDate->setDate(workspace_->processDate);
        fillCombo(cboEmployee, service_.eligibleEmployees());
    } else {
        ComboPopulate(workspace_->db(), cboOldGrade, service_.jobLookup(jobchange::JobList::Old));
        ComboPopulate(workspace_->db(), cboEmployee, service_.employeeLookup());
    }
    SSTab1->setCurrentIndex(0);
    SetControlTags(this);
}

bool frmGrade::loadForEdit(qint32 id) {
    const std::optional<jobchange::StoredJobChange> stored = service_.jobChange(id);
    if (!stored)
        return false;
    jobChangeId_ = id;
    Form_Load(EntryMode::Edit);
    txtGradeNo->setText(stored->number);
    if (stored->date.isValid())
        dtpGDate->setDate(stored->date);
    commonGen->SelectComboItemByValue(cboEmployee, stored->employeeId);
    const QString suffix = basicLabelSuffix(cboEmployee->currentText());
    lblOldBasic->setText(QStringLiteral("Old Basic:") + suffix);
    lblNewBasic->setText(QStringLiteral("New Basic:") + suffix);
    commonGen->SelectComboItemByValue(cboOldGrade, stored->oldDesignationId);
    ComboPopulate(workspace_->db(), cboNewgrade, service_.jobLookup(jobchange::JobList::New));
    commonGen->SelectComboItemByValue(cboNewgrade, stored->newDesignationId);

    txtOldBasic->setText(stored->oldBasic);
    txtNewbasic->setText(stored->newBasic);
    txtRemarks->setText(stored->remarks);
    cboEmployee->setEnabled(false);
    if (stored->cancelled)
        cmdOK->setEnabled(false);
    // Only the job change that set the employee's present job may still be changed.
    if (stored->newDesignationId != service_.employeeDesignation(stored->employeeId) ||
        stored->newGradeId != service_.employeeGrade(stored->employeeId))
        cmdOK->setEnabled(false);

    for (LineKind kind : kLineKinds)
        StoredLinesPopulate(kind, stored->linesOf(kind));
    SetControlTags(this);
    return true;
}

void frmGrade::StoredLinesPopulate(LineKind kind, const std::vector<jobchange::StoredLine>& lines) {
    QTreeWidget* target = list(kind);
    target->clear();
    for (const jobchange::StoredLine& line : lines) {
        const bool removed = line.letter == QLatin1String("R");
        addRevisionRow(target, line.description, listAmount(line.revisedAmount), line.typeId,
                       removed ? QStringLiteral("O") : line.letter, listAmount(line.oldAmount),
                       line.currency, !removed);
    }
}

void frmGrade::cboOldGrade_Click() {
    if (cboOldGrade->currentIndex() >= 0)
        cboOldGrade->setEnabled(false);
}

void frmGrade::cboEmployee_Click() {
    if (mode_ != EntryMode::New || cboEmployee->currentIndex() < 0)
        return;
    try {
        EmployeeSelect();
    } catch (const data::DbError& error) {
        message(error.description());
    }
}

void frmGrade::EmployeeSelect() {
    ComboPopulate(workspace_->db(), cboOldGrade, service_.jobLookup(jobchange::JobList::Old));
    const qint32 empId = selectedId(cboEmployee);
    if (const auto master = service_.employee(empId)) {
        commonGen->SelectComboItemByValue(cboOldGrade, master->designationId);
        txtOldBasic->setText(master->basic);
    }
    // The old job follows the employee now chosen: an employee whose designation is not
    // offered leaves it open for the clerk to choose, even after an earlier pick locked it.
    if (cboOldGrade->currentIndex() < 0)
        cboOldGrade->setEnabled(true);

    ComboPopulate(workspace_->db(), cboNewgrade, service_.jobLookup(jobchange::JobList::New));

    const QString symbol = service_.currencySymbol(empId);
    lblOldBasic->setText(QStringLiteral("Old Basic:(") + symbol + QStringLiteral(")"));
    lblNewBasic->setText(QStringLiteral("New Basic:(") + symbol + QStringLiteral(")"));

    EmpAllowancePopulate();
    EmpDeductionPopulate();
}

void frmGrade::EmpLinesPopulate(LineKind kind) {
    QTreeWidget* target = list(kind);
    target->clear();
    for (const jobchange::StandingLine& line :
         service_.standingLines(kind, selectedId(cboEmployee))) {
        const QString amount = listAmount(line.amount);
        addRevisionRow(target, line.description, amount, line.typeId, QStringLiteral("O"), amount,
                       {}, true);
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
    if (!saved_)
        QDialog::done(QDialog::Rejected);
}

bool frmGrade::QueryUnload() {
    if (saved_ || !cmdOK->isEnabled() || !fnFormChanged(this))
        return true;
    if (message(QStringLiteral("Save Changes?"), ui::MsgIcon::Information, ui::MsgButtons::YesNo) !=
        ui::MsgAnswer::Yes)
        return true;
    cmdOK_Click();
    return saved_.has_value();
}
