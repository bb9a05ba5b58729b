#include "history/frmemployeehistory.h"

#include "data/datetext.h"
#include "data/dberror.h"
#include "history/historychart.h"
#include "history/historyreport.h"
#include "jobchange/auditchanges.h"
#include "jobchange/historysourceof.h"
#include "report/reportcontrol.h"
#include "ui/messages.h"
#include "ui/modal.h"
#include "ui/widgets.h"

#include <QChartView>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using jobchange::LineRevision;

namespace {

const QColor kCancelledColour(Qt::red);
constexpr int kWidestColumn = 320;

QString kindText(LineKind kind) {
    return kind == LineKind::Allowance ? QStringLiteral("Allowance") : QStringLiteral("Deduction");
}

constexpr LineKind kKinds[] = {LineKind::Allowance, LineKind::Deduction};

void alignAmounts(QTreeWidgetItem* item, std::initializer_list<int> columns) {
    for (const int column : columns)
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
}

QString changeName(const jobchange::JobChangeRecord& change) {
    return change.number + QStringLiteral(" of ") + data::dateText(change.date);
}

} // namespace

FrmEmployeeHistory::FrmEmployeeHistory(const jobchange::HistorySource& source, QWidget* parent)
    : QDialog(parent), source_(source) {
    setObjectName(QStringLiteral("FrmEmployeeHistory"));
    setWindowTitle(QStringLiteral("Employee History"));
    resize(1040, 760);

    lblEmployee = new QLabel(this);
    lblEmployee->setObjectName(QStringLiteral("lblEmployee"));
    QFont heading = lblEmployee->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.2);
    lblEmployee->setFont(heading);

    chartPay = new QChartView(this);
    chartPay->setObjectName(QStringLiteral("chartPay"));
    chartPay->setRenderHint(QPainter::Antialiasing);
    chartPay->setMinimumHeight(220);

    lvwHistory = new QTreeWidget(this);
    lvwHistory->setObjectName(QStringLiteral("lvwHistory"));
    lvwHistory->setColumnCount(ColumnCount);
    lvwHistory->setHeaderLabels(
        {QStringLiteral("Number"), QStringLiteral("Date"), QStringLiteral("Old Job"),
         QStringLiteral("New Job"), QStringLiteral("Old Basic"), QStringLiteral("New Basic"),
         QStringLiteral("Cancelled"), QStringLiteral("Cancellation"), QStringLiteral("Remarks")});
    lvwHistory->setAlternatingRowColors(true);
    lvwHistory->setUniformRowHeights(true);
    lvwHistory->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);

    dtpPayOn = new QDateEdit(this);
    dtpPayOn->setObjectName(QStringLiteral("dtpPayOn"));
    dtpPayOn->setCalendarPopup(true);
    dtpPayOn->setDisplayFormat(data::dateFormat());
    dtpPayOn->setDate(asOf());
    lblPayJob = new QLabel(this);
    lblPayJob->setObjectName(QStringLiteral("lblPayJob"));
    lblPayBasic = new QLabel(this);
    lblPayBasic->setObjectName(QStringLiteral("lblPayBasic"));
    lblPaySince = new QLabel(this);
    lblPaySince->setObjectName(QStringLiteral("lblPaySince"));
    lblPayNote = new QLabel(this);
    lblPayNote->setObjectName(QStringLiteral("lblPayNote"));
    lblPayNote->setWordWrap(true);
    lvwPayLines = new QTreeWidget(this);
    lvwPayLines->setObjectName(QStringLiteral("lvwPayLines"));
    lvwPayLines->setRootIsDecorated(false);
    lvwPayLines->setHeaderLabels(
        {QStringLiteral("Kind"), QStringLiteral("Description"), QStringLiteral("Amount")});
    lvwPayLines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwPayLines->setMaximumHeight(170);

    cmdPrint = new QPushButton(QStringLiteral("&Print"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* button : {cmdPrint, cmdClose})
        button->setAutoDefault(false);

    auto* payBox = new QGroupBox(QStringLiteral("Pay on"), this);
    payBox->setObjectName(QStringLiteral("fraPayOn"));
    auto* payForm = new QFormLayout;
    payForm->addRow(QStringLiteral("&Date:"), dtpPayOn);
    payForm->addRow(QStringLiteral("Job:"), lblPayJob);
    payForm->addRow(QStringLiteral("Basic:"), lblPayBasic);
    payForm->addRow(QStringLiteral("From:"), lblPaySince);
    payForm->addRow(lblPayNote);
    auto* payLayout = new QHBoxLayout(payBox);
    payLayout->addLayout(payForm, 2);
    payLayout->addWidget(lvwPayLines, 3);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(chartPay);
    split->addWidget(lvwHistory);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);

    lvwChanges = new QTreeWidget(this);
    lvwChanges->setObjectName(QStringLiteral("lvwChanges"));
    lvwChanges->setColumnCount(ChangeColumnCount);
    lvwChanges->setHeaderLabels({QStringLiteral("When (UTC)"), QStringLiteral("Who"),
                                 QStringLiteral("Action"), QStringLiteral("Job No"),
                                 QStringLiteral("Remark")});
    lvwChanges->setUniformRowHeights(true);
    lvwChanges->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabHistory = new QTabWidget(this);
    tabHistory->setObjectName(QStringLiteral("tabHistory"));
    tabHistory->addTab(split, QStringLiteral("&Job Changes"));
    tabHistory->addTab(lvwChanges, QStringLiteral("C&hanges"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblEmployee);
    layout->addWidget(tabHistory, 1);
    layout->addWidget(payBox);
    layout->addLayout(buttons);

    connect(dtpPayOn, &QDateEdit::dateChanged, this, &FrmEmployeeHistory::showPayOn);
    // A job change's row shows the pay from its date on.
    connect(lvwHistory, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int index = lvwHistory->indexOfTopLevelItem(item);
        if (history_ && index >= 0)
            dtpPayOn->setDate(history_->changes[static_cast<size_t>(index)].date);
    });
    connect(cmdPrint, &QPushButton::clicked, this, &FrmEmployeeHistory::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

FrmEmployeeHistory::~FrmEmployeeHistory() = default;

QDate FrmEmployeeHistory::asOf() const {
    return source_.processDate.isValid() ? source_.processDate : QDate::currentDate();
}

bool FrmEmployeeHistory::load(qint32 employeeId, qint32 jobChangeId) {
    history_ = jobchange::loadEmployeeHistory(source_, employeeId);
    if (!history_)
        return false;
    lblEmployee->setText(history_->employeeNo + QStringLiteral(" - ") + history_->name +
                         QStringLiteral(" (basic pay in ") +
                         (history_->currency.isEmpty() ? QStringLiteral("the employee's currency")
                                                       : history_->currency) +
                         QLatin1Char(')'));
    fillList();
    fillChanges(jobChangeId);
    QChart* old = chartPay->chart();
    chartPay->setChart(buildPayChart(*history_, asOf()));
    delete old;
    showPayOn();
    return true;
}

report::ReportControl& FrmEmployeeHistory::reportControl() {
    if (!report_)
        report_ = std::make_unique<report::ReportControl>(report::ReportHost{
            .connection = [this]() -> data::Connection& { return source_.connection; }});
    return *report_;
}

void FrmEmployeeHistory::fillList() {
    lvwHistory->clear();
    QList<QTreeWidgetItem*> rows;
    for (const jobchange::JobChangeRecord& change : history_->changes) {
        auto* row = new QTreeWidgetItem;
        row->setText(ColNumber, change.number);
        row->setText(ColDate, data::dateText(change.date));
        row->setText(ColOldJob, change.oldJob);
        row->setText(ColNewJob, change.newJob);
        row->setText(ColOldBasic, jobchange::amountText(change.oldBasic));
        row->setText(ColNewBasic, jobchange::amountText(change.newBasic));
        row->setText(ColCancelled, change.cancelled ? QStringLiteral("Yes") : QStringLiteral("No"));
        row->setText(ColCancelledRemarks, change.cancelledRemarks);
        row->setText(ColRemarks, change.remarks);
        row->setToolTip(ColRemarks, change.remarks);
        row->setToolTip(ColCancelledRemarks, change.cancelledRemarks);
        row->setData(ColNumber, Qt::UserRole, change.id);
        alignAmounts(row, {ColOldBasic, ColNewBasic});
        if (change.cancelled) {
            for (int column = 0; column < ColumnCount; ++column)
                row->setForeground(column, kCancelledColour);
        }
        for (LineKind kind : kKinds) {
            for (const LineRevision& line : linesOf(change, kind)) {
                auto* child = new QTreeWidgetItem(row);
                const LineRevision::Status status = line.status();
                child->setText(ColLineKind, kindText(kind));
                child->setText(ColLineStatus, jobchange::statusText(status));
                child->setText(ColLineDescription, line.description);
                if (status != LineRevision::Status::Added)
                    child->setText(ColLineOld, jobchange::amountText(line.oldAmount));
                if (status != LineRevision::Status::Removed)
                    child->setText(ColLineRevised, jobchange::amountText(line.revisedAmount));
                alignAmounts(child, {ColLineOld, ColLineRevised});
            }
        }
        rows << row;
    }
    lvwHistory->addTopLevelItems(rows);
    // Long remarks stay readable in their tool tips rather than widening the list.
    ui::fitColumns(lvwHistory, kWidestColumn);
    if (!rows.isEmpty())
        lvwHistory->setCurrentItem(rows.last());
}

void FrmEmployeeHistory::showPayOn() {
    if (!history_)
        return;
    const QDate day = dtpPayOn->date();
    const std::optional<jobchange::PayInForce> inForce = jobchange::payOn(history_->changes, day);
    // Without job changes the master is all there is, on any day.
    const jobchange::Pay& pay = inForce ? inForce->pay : history_->master;
    lblPayJob->setText(pay.job);
    lblPayBasic->setText(
        (history_->currency.isEmpty() ? QString() : history_->currency + QLatin1Char(' ')) +
        jobchange::amountText(pay.basic));
    if (!inForce || !inForce->source) {
        lblPaySince->setText(QStringLiteral("the employee master (no job changes)"));
    } else {
        const jobchange::JobChangeRecord& source = history_->changes[*inForce->source];
        lblPaySince->setText((inForce->afterSource ? QStringLiteral("job change ")
                                                   : QStringLiteral("before job change ")) +
                             changeName(source));
    }

    // A job change is applied to the master when it is saved, even one dated later.
    QStringList later;
    if (day >= asOf()) {
        for (const jobchange::JobChangeRecord& change : history_->changes) {
            if (!change.cancelled && change.date > day)
                later << changeName(change);
        }
    }
    lblPayNote->setText(later.isEmpty()
                            ? QString()
                            : QStringLiteral("Already applied to the employee master: ") +
                                  later.join(QStringLiteral(", ")) + QLatin1Char('.'));

    lvwPayLines->clear();
    QList<QTreeWidgetItem*> rows;
    for (LineKind kind : kKinds) {
        for (const jobchange::PayLine& line : linesOf(pay, kind)) {
            auto* row = new QTreeWidgetItem;
            row->setText(0, kindText(kind));
            row->setText(1, line.description);
            row->setText(2, jobchange::amountText(line.amount));
            alignAmounts(row, {2});
            rows << row;
        }
    }
    lvwPayLines->addTopLevelItems(rows);
    for (int column = 0; column < 3; ++column)
        lvwPayLines->resizeColumnToContents(column);
}

void FrmEmployeeHistory::cmdPrint_Click() {
    if (!history_)
        return;
    try {
        setUpEmployeeHistoryReport(reportControl(), source_, history_->employeeId);
        reportControl().setAction(1);
    } catch (const data::DbError& error) {
        ui::message(source_.messageTitle, error.description());
    }
}

void showEmployeeHistory(const jobchange::HistorySource& source, qint32 employeeId, QWidget* parent,
                         qint32 jobChangeId) {
    FrmEmployeeHistory form(source, parent);
    try {
        if (!form.load(employeeId, jobChangeId)) {
            ui::message(source.messageTitle, QStringLiteral("Employee not found"));
            return;
        }
    } catch (const data::DbError& error) {
        // Opened from a button: the error must not leave the event loop.
        ui::message(source.messageTitle, error.description());
        return;
    }
    ui::showModal(form);
}

void FrmEmployeeHistory::fillChanges(qint32 jobChangeId) {
    lvwChanges->clear();
    const jobchange::AuditReads reads(jobchange::workspaceOf(source_));
    if (!reads.installed()) {
        auto* none = new QTreeWidgetItem(lvwChanges);
        none->setText(ColWhen, QStringLiteral("No audit trail is installed: changes are not "
                                              "recorded."));
        none->setFirstColumnSpanned(true);
        return;
    }
    // One employee's rows: the company's names of employees would only slow the tab down.
    const jobchange::AuditNames names = reads.names(jobchange::AuditReads::EmployeeNames::Skip);
    QTreeWidgetItem* current = nullptr;
    for (const jobchange::AuditRow& audit : reads.rowsOfEmployee(history_->employeeId)) {
        auto* row = new QTreeWidgetItem(lvwChanges);
        row->setText(ColWhen, audit.time);
        QString who =
            audit.userName.isEmpty() ? QStringLiteral("User %1").arg(audit.userId) : audit.userName;
        if (!audit.computer.isEmpty() || !audit.osUser.isEmpty())
            who += QStringLiteral(" (%1 on %2)").arg(audit.osUser, audit.computer);
        row->setText(ColWho, who);
        row->setText(ColAction, audit.action);
        row->setText(ColJobNo, audit.number);
        row->setText(ColRemark, audit.remark);
        row->setToolTip(ColRemark, audit.remark);
        for (const QString& line : jobchange::describeChanges(audit, names)) {
            auto* child = new QTreeWidgetItem(row);
            child->setText(ColWhen, line);
            child->setFirstColumnSpanned(true);
        }
        if (jobChangeId != 0 && audit.jobChangeId == jobChangeId) {
            QFont bold = row->font(ColWhen);
            bold.setBold(true);
            for (int column = 0; column < ChangeColumnCount; ++column)
                row->setFont(column, bold);
            if (!current)
                current = row;
        }
    }
    lvwChanges->expandAll();
    for (int column = 0; column < ChangeColumnCount; ++column)
        lvwChanges->resizeColumnToContents(column);
    lvwChanges->setColumnWidth(ColWho, std::min(lvwChanges->columnWidth(ColWho), kWidestColumn));
    if (current)
        lvwChanges->setCurrentItem(current);
}
