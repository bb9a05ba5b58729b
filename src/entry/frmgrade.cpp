#include "entry/frmgrade.h"

#include "data/datetext.h"
#include "entry/revisionlistcommands.h"
#include "entry/viewonlyform.h"
#include "history/frmemployeehistory.h"
#include "jobchange/historysourceof.h"
#include "shared/amountbox.h"
#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "shared/nulrefusal.h"
#include "shared/revisionlist.h"
#include "shared/tabfocus.h"
#include "sharedlib/brastel.h"
#include "sharedlib/clscommondb.h"
#include "sharedlib/clscommongen.h"
#include "ui/widgets.h"

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

// Amounts as the lists show them: "27500.00", exactly as stored, never in exponent form.
QString listAmount(const data::StoredAmount& amount) {
    return amount.text();
}

// The part of the employee entry ("name-number - symbol") from the first " - " on, less its
// blank: "- symbol".
QString basicLabelSuffix(const QString& employeeEntry) {
    const qsizetype p = employeeEntry.indexOf(QLatin1String(" - ")) + 1;
    const qsizetype q = employeeEntry.indexOf(QLatin1String(" -")) + 1;
    return employeeEntry.mid(p, employeeEntry.size() - q);
}

} // namespace

frmGrade::frmGrade(jobchange::WorkspacePtr workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace), reads_(workspace), lookups_(workspace),
      writer_(std::move(workspace)) {
    setObjectName(QStringLiteral("frmGrade"));
    setWindowTitle(QStringLiteral("Job Change"));
    createControls();
    listCommands = new RevisionListCommands(
        {this, workspace_, lvwAllow, lvwDeduct, cmdOK, cboEmployee,
         [this](LineKind kind, const QString& mode) {
             (kind == LineKind::Allowance ? strAllowanceFlag : strDeductionFlag) = mode;
         }});
    connectEvents();
}

frmGrade::~frmGrade() = default;

void frmGrade::createControls() {
    fraall = ui::named(new QGroupBox(this), "fraall");
    fraGrade = ui::named(new QGroupBox(fraall), "fraGrade");

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
        l.label = ui::named(new QLabel(QString::fromLatin1(l.caption), fraGrade), l.name);
    txtGradeNo = ui::named(new QLineEdit(fraGrade), "txtGradeNo");
    // The number is formed by the save; nobody types it.
    txtGradeNo->setReadOnly(true);
    dtpGDate = ui::named(new QDateEdit(fraGrade), "dtpGDate");
    dtpGDate->setCalendarPopup(true);
    dtpGDate->setDisplayFormat(data::dateFormat());
    cboEmployee = ui::named(new QComboBox(fraGrade), "cboEmployee");
    cboOldGrade = ui::named(new QComboBox(fraGrade), "cboOldGrade");
    cboNewgrade = ui::named(new QComboBox(fraGrade), "cboNewgrade");
    txtOldBasic = ui::named(new QLineEdit(fraGrade), "txtOldBasic");
    // The employee's basic as it stands; a cancellation puts it back.
    txtOldBasic->setReadOnly(true);
    txtNewbasic = ui::named(new QLineEdit(fraGrade), "txtNewbasic");
    txtRemarks = ui::named(new QLineEdit(fraGrade), "txtRemarks");
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

    SSTab1 = ui::named(new QTabWidget(fraall), "SSTab1");
    for (LineKind kind : kLineKinds) {
        const LineTable& table = lineTable(kind);
        (kind == LineKind::Allowance ? lvwAllow : lvwDeduct) =
            createRevisionList(table.listName, table.listHeaders, SSTab1);
    }
    SSTab1->addTab(lvwAllow, QStringLiteral("Allowances"));
    SSTab1->addTab(lvwDeduct, QStringLiteral("Deductions"));

    lblViewOnly = ui::named(new QLabel(fraall), "lblViewOnly");
    lblViewOnly->setStyleSheet(QStringLiteral("font-weight: bold; color: #a00000"));
    lblViewOnly->setWordWrap(true);
    lblViewOnly->hide();

    auto* frame = new QVBoxLayout(fraall);
    frame->addWidget(lblViewOnly);
    frame->addWidget(fraGrade);
    frame->addWidget(SSTab1, 1);

    cmdOK = ui::plainButton(this, "cmdOK", QStringLiteral("&Ok"));
    cmdCancel = ui::plainButton(this, "cmdCancel", QStringLiteral("&Close"));
    cmdHistory = ui::plainButton(this, "cmdHistory", QStringLiteral("&History"));
    cmdHistory->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdHistory);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* window = new QVBoxLayout(this);
    window->addWidget(fraall, 1);
    window->addLayout(buttons);

    QWidget* order[] = {txtGradeNo,  dtpGDate,    cboEmployee, cboOldGrade, cboNewgrade,
                        txtOldBasic, txtNewbasic, txtRemarks,  SSTab1,      lvwAllow,
                        lvwDeduct,   cmdOK,       cmdCancel,   cmdHistory};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(720, 520);
}

void frmGrade::connectEvents() {
    connect(cboEmployee, &QComboBox::currentIndexChanged, this, [this] { cboEmployee_Click(); });
    connect(cboOldGrade, &QComboBox::currentIndexChanged, this, [this] { cboOldGrade_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdHistory, &QPushButton::clicked, this, [this] { cmdHistory_Click(); });

    for (QWidget* control : std::initializer_list<QWidget*>{cboEmployee, cboNewgrade, cboOldGrade,
                                                            dtpGDate, txtRemarks, cmdOK, cmdCancel})
        onKeyPress(control, [](int& keyAscii) { EnterAsTab(keyAscii); });
    for (QLineEdit* basic : {txtOldBasic, txtNewbasic})
        onKeyPress(basic, [this, basic](int& keyAscii) {
            EnterAsTab(keyAscii);
            commonGen->TextValidateNum(basic, keyAscii, 18, 2);
        });
    txtNewbasic->installEventFilter(this);
    const auto show = [this](const QString& text) { message(text); };
    oldBasic =
        new AmountBox(txtOldBasic, QStringLiteral("Old Basic"), AmountRule::ZeroAllowed, show);
    newBasic =
        new AmountBox(txtNewbasic, QStringLiteral("New Basic"), AmountRule::MustBePositive, show);
    new NulRefusal(txtRemarks, QStringLiteral("Remarks"), show);

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
        fillCombo(cboEmployee, lookups_.eligibleEmployees());
    } else {
        ComboPopulate(cboOldGrade, [&] {
            return lookups_.choices(lookups_.jobLookup(jobchange::JobList::Old));
        });
        ComboPopulate(cboEmployee, [&] { return lookups_.choices(lookups_.employeeLookup()); });
    }
    SSTab1->setCurrentIndex(0);
    SetControlTags(this);
    skipReadOnlyOnTab(this);
    cboEmployee->setFocus();
}

bool frmGrade::loadForEdit(qint32 id) {
    // What the window shows is what its save checks: one reading.
    std::optional<jobchange::ShownState> read = reads_.readForEdit(id);
    if (!read)
        return false;
    shown_ = std::move(*read);
    const jobchange::StoredJobChange* stored = &*shown_.jobChange;
    const jobchange::EmployeeState& employee = *shown_.employee;
    jobChangeId_ = id;
    Form_Load(EntryMode::Edit);
    txtGradeNo->setText(stored->number);
    if (stored->date.isValid())
        dtpGDate->setDate(stored->date);
    // The date is kept as stored by an edit.
    dtpGDate->setReadOnly(true);
    commonGen->SelectComboItemByValue(cboEmployee, stored->employeeId);
    const QString suffix = basicLabelSuffix(cboEmployee->currentText());
    lblOldBasic->setText(QStringLiteral("Old Basic:") + suffix);
    lblNewBasic->setText(QStringLiteral("New Basic:") + suffix);
    commonGen->SelectComboItemByValue(cboOldGrade, stored->oldDesignationId);
    ComboPopulate(cboNewgrade,
                  [&] { return lookups_.choices(lookups_.jobLookup(jobchange::JobList::New)); });
    commonGen->SelectComboItemByValue(cboNewgrade, stored->newDesignationId);

    oldBasic->showStored(stored->oldBasic);
    newBasic->showStored(stored->newBasic);
    txtRemarks->setText(stored->remarks);
    cboEmployee->setEnabled(false);
    if (stored->cancelled)
        cmdOK->setEnabled(false);
    // Only the job change that set the employee's present job may still be changed.
    if (stored->newDesignationId != employee.designationId ||
        stored->newGradeId != employee.gradeId)
        cmdOK->setEnabled(false);

    for (LineKind kind : kLineKinds)
        StoredLinesPopulate(kind, stored->linesOf(kind));
    cmdHistory->setEnabled(true);
    if (!cmdOK->isEnabled())
        showViewOnly(*this, *lblViewOnly, jobchange::viewOnlyReason(*workspace_, jobChangeId_));
    SetControlTags(this);
    skipReadOnlyOnTab(this);
    // A job change only to be viewed has nothing to type into: Close takes the focus.
    (cmdOK->isEnabled() ? static_cast<QWidget*>(cboNewgrade) : cmdCancel)->setFocus();
    return true;
}

void frmGrade::StoredLinesPopulate(LineKind kind, const std::vector<jobchange::StoredLine>& lines) {
    QTreeWidget* target = list(kind);
    target->clear();
    for (const jobchange::StoredLine& line : lines) {
        const bool removed = line.letter == QLatin1String("R");
        addRevisionRow(target, line.description, listAmount(line.revisedAmount),
                       QString::number(line.typeId), removed ? QStringLiteral("O") : line.letter,
                       listAmount(line.oldAmount), line.currency, !removed);
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
    const qint32 empId = selectedId(cboEmployee);
    // What the window shows is what its save checks: one reading.
    shown_ = reads_.readForNew(empId);
    const jobchange::EmployeeState& employee = *shown_.employee;
    ComboPopulate(cboOldGrade,
                  [&] { return lookups_.choices(lookups_.jobLookup(jobchange::JobList::Old)); });
    if (employee.found) {
        commonGen->SelectComboItemByValue(cboOldGrade, employee.designationId);
        oldBasic->showStored(employee.basic);
    }
    // The old job follows the employee now chosen: an employee whose designation is not
    // offered leaves it open for the clerk to choose, even after an earlier pick locked it.
    if (cboOldGrade->currentIndex() < 0)
        cboOldGrade->setEnabled(true);

    ComboPopulate(cboNewgrade,
                  [&] { return lookups_.choices(lookups_.jobLookup(jobchange::JobList::New)); });

    const QString symbol = reads_.currencySymbol(empId);
    lblOldBasic->setText(QStringLiteral("Old Basic:(") + symbol + QStringLiteral(")"));
    lblNewBasic->setText(QStringLiteral("New Basic:(") + symbol + QStringLiteral(")"));

    EmpAllowancePopulate();
    EmpDeductionPopulate();
    cmdHistory->setEnabled(true);
}

void frmGrade::EmpLinesPopulate(LineKind kind) {
    QTreeWidget* target = list(kind);
    target->clear();
    for (const jobchange::StandingLine& line : shown_.employee->linesOf(kind)) {
        const QString amount = listAmount(line.amount);
        const auto currency = lookups_.typeCurrency(kind, line.typeId);
        addRevisionRow(target, line.description, amount, QString::number(line.typeId),
                       QStringLiteral("O"), amount, currency ? currency->name : QString(), true);
    }
}

void frmGrade::cmdHistory_Click() {
    const qint32 employee = selectedId(cboEmployee);
    if (employee <= 0)
        return;
    showEmployeeHistory(jobchange::historySourceOf(*workspace_), employee, this);
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
