#include "bulkwindow/frmproposals.h"

#include "data/datetext.h"
#include "jobchange/rights.h"
#include "ui/messages.h"
#include "ui/widgets.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <variant>

namespace {

constexpr int kWidestColumn = 260;
enum RowColumn { ColChangedSince = 6 };
// An employee changed since the proposal.
const QBrush kChangedBrush(QColor(255, 214, 214));

// A cell of the batch's table as the list shows it.
QString cellText(const tableexport::ExportCell& cell) {
    if (const auto* text = std::get_if<QString>(&cell))
        return *text;
    if (const auto* cents = std::get_if<tableexport::Cents>(&cell))
        return data::Money::fromCents(cents->value).value_or(data::Money{}).toString();
    if (const auto* yes = std::get_if<bool>(&cell))
        return *yes ? QStringLiteral("Yes") : QStringLiteral("No");
    return {};
}

} // namespace

FrmProposals::FrmProposals(jobchange::WorkspacePtr workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace), reads_(workspace), writer_(std::move(workspace)) {
    setObjectName(QStringLiteral("frmProposals"));
    setWindowTitle(QStringLiteral("Bulk Proposals"));
    buildControls();
}

void FrmProposals::buildControls() {
    lvwBatches = ui::named(new QTreeWidget(this), "lvwBatches");
    lvwBatches->setHeaderLabels(
        {QStringLiteral("Batch"), QStringLiteral("Status"), QStringLiteral("Job Date"),
         QStringLiteral("Employees"), QStringLiteral("Proposed By"), QStringLiteral("Proposed On"),
         QStringLiteral("Decided By"), QStringLiteral("Decided On"), QStringLiteral("Remarks")});
    lvwBatches->setRootIsDecorated(false);
    lvwBatches->setUniformRowHeights(true);
    lblBatch = ui::named(new QLabel(this), "lblBatch");
    lblBatch->setWordWrap(true);
    lblBatch->setTextFormat(Qt::PlainText);
    lvwRows = ui::named(new QTreeWidget(this), "lvwRows");
    lvwRows->setHeaderLabels(jobchange::proposalTable({}, {}).titles);
    lvwRows->setRootIsDecorated(false);
    lvwRows->setUniformRowHeights(true);
    txtReason = ui::named(new QLineEdit(this), "txtReason");
    txtReason->setPlaceholderText(QStringLiteral("reason for rejecting"));
    cmdApprove = ui::plainButton(this, "cmdApprove", QStringLiteral("&Approve..."));
    cmdReject = ui::plainButton(this, "cmdReject", QStringLiteral("&Reject"));
    cmdClose = ui::plainButton(this, "cmdClose", QStringLiteral("&Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdApprove);
    buttons->addWidget(new QLabel(QStringLiteral("Reason:"), this));
    buttons->addWidget(txtReason, 1);
    buttons->addWidget(cmdReject);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvwBatches, 1);
    layout->addWidget(lblBatch);
    layout->addWidget(lvwRows, 4);
    layout->addLayout(buttons);
    resize(1180, 680);

    connect(lvwBatches, &QTreeWidget::currentItemChanged, this, [this] {
        if (!filling_)
            reported(
                [this] { showBatch(lvwBatches->indexOfTopLevelItem(lvwBatches->currentItem())); });
    });
    connect(lvwRows, &QTreeWidget::itemChanged, this, [this] {
        if (!filling_)
            updateButtons();
    });
    connect(txtReason, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    connect(cmdApprove, &QPushButton::clicked, this, [this] { reported([this] { approve(); }); });
    connect(cmdReject, &QPushButton::clicked, this, [this] { reported([this] { reject(); }); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmProposals::reported(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const data::DbError& error) {
        message(error.description());
    }
}

void FrmProposals::message(const QString& text) const {
    ui::message(workspace_->msgboxTitle, text);
}

void FrmProposals::load() {
    mayDecide_ = !jobchange::UserRights(workspace_).missingRight(jobchange::Right::Approve);
    batches_ = reads_.list();
    filling_ = true;
    lvwBatches->clear();
    for (const jobchange::Proposal& p : batches_) {
        const bool decided = p.status != jobchange::BatchStatus::Pending;
        lvwBatches->addTopLevelItem(new QTreeWidgetItem(
            {QString::number(p.batchId), jobchange::statusText(p.status), data::dateText(p.jobDate),
             QString::number(p.rowCount), p.proposedByName, p.proposedOn,
             decided ? p.decidedByName : QString(), p.decidedOn, p.remarks}));
    }
    ui::fitColumns(lvwBatches, kWidestColumn);
    filling_ = false;
    if (!batches_.empty())
        lvwBatches->setCurrentItem(lvwBatches->topLevelItem(0)); // shows it
    else
        showBatch(-1);
}

void FrmProposals::showBatch(int index) {
    filling_ = true;
    lvwRows->clear();
    shown_.reset();
    lblBatch->clear();
    if (index >= 0 && size_t(index) < batches_.size())
        shown_ = reads_.proposal(batches_[size_t(index)].batchId);
    if (shown_) {
        const jobchange::Proposal& p = *shown_;
        const bool pending = p.status == jobchange::BatchStatus::Pending;
        // A decided batch's employees have moved on: only a pending one is compared.
        const std::vector<jobchange::RowReview> reviews =
            pending ? reads_.review(p) : std::vector<jobchange::RowReview>{};
        const tableexport::ExportTable table = jobchange::proposalTable(p, reviews);
        int changed = 0;
        for (size_t r = 0; r < table.rows.size(); ++r) {
            QStringList texts;
            for (const tableexport::ExportCell& cell : table.rows[r])
                texts << cellText(cell);
            auto* item = new QTreeWidgetItem(texts);
            item->setData(0, Qt::UserRole, p.rows[r].employee.employeeId);
            if (pending) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(0, Qt::Checked);
            }
            if (r < reviews.size() && reviews[r].changed()) {
                ++changed;
                for (int c = 0; c < item->columnCount(); ++c)
                    item->setBackground(c, kChangedBrush);
                item->setToolTip(ColChangedSince, reviews[r].changes.join(QLatin1Char('\n')));
            }
            lvwRows->addTopLevelItem(item);
        }
        QString text = QStringLiteral("Batch %1, %2: %3")
                           .arg(p.batchId)
                           .arg(jobchange::statusText(p.status), p.rules);
        if (!p.remarks.isEmpty())
            text += QStringLiteral("\nRemarks: ") + p.remarks;
        if (!pending)
            text +=
                QStringLiteral("\n%1 by %2 on %3%4")
                    .arg(p.status == jobchange::BatchStatus::Approved ? QStringLiteral("Approved")
                                                                      : QStringLiteral("Rejected"),
                         p.decidedByName, p.decidedOn,
                         p.reason.isEmpty() ? QString() : QStringLiteral(": ") + p.reason);
        else if (changed > 0)
            text += QStringLiteral("\nEmployees changed since the proposal: %1, marked. Untick "
                                   "them to approve the others.")
                        .arg(changed);
        lblBatch->setText(text);
        ui::fitColumns(lvwRows, kWidestColumn);
    }
    filling_ = false;
    updateButtons();
}

// Approve and Reject only for a pending batch and a user who may decide it; Approve never for
// the user's own batch, nor with no row ticked.
void FrmProposals::updateButtons() {
    const bool pending = shown_ && shown_->status == jobchange::BatchStatus::Pending && mayDecide_;
    cmdApprove->setEnabled(pending && shown_->proposedBy != workspace_->userId &&
                           !tickedEmployees().empty());
    cmdReject->setEnabled(pending && !txtReason->text().trimmed().isEmpty());
    txtReason->setEnabled(pending);
}

std::vector<qint32> FrmProposals::tickedEmployees() const {
    std::vector<qint32> ids;
    for (int i = 0; i < lvwRows->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvwRows->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            ids.push_back(item->data(0, Qt::UserRole).toInt());
    }
    return ids;
}

QString FrmProposals::employeesOf(const std::vector<qint32>& ids) const {
    QStringList names;
    for (const qint32 id : ids)
        for (const jobchange::ProposalRow& row : shown_->rows)
            if (row.employee.employeeId == id)
                names << row.employee.number + QLatin1Char(' ') + row.employee.name;
    return names.join(QLatin1Char('\n'));
}

void FrmProposals::approve() {
    if (!shown_)
        return;
    const std::vector<qint32> ticked = tickedEmployees();
    const qint32 batchId = shown_->batchId;
    if (ui::message(workspace_->msgboxTitle,
                    QStringLiteral("Approve batch %1: save %2 job changes dated %3?")
                        .arg(batchId)
                        .arg(ticked.size())
                        .arg(data::dateText(shown_->jobDate)),
                    ui::MsgIcon::Question, ui::MsgButtons::YesNo) != ui::MsgAnswer::Yes)
        return;
    const jobchange::BatchResult result = writer_.approve(batchId, ticked);
    using Outcome = jobchange::BatchResult::Outcome;
    switch (result.outcome) {
    case Outcome::Applied:
        mayHaveSaved_ = true;
        message(QStringLiteral("Batch %1 approved: saved %2 job changes, %3 to %4.")
                    .arg(batchId)
                    .arg(result.saved.size())
                    .arg(result.saved.front().number, result.saved.back().number));
        break;
    case Outcome::Refused:
        message(QStringLiteral("Nothing was saved: since the proposal, another clerk changed "
                               "these employees:\n%1\n\nUntick them to approve the others.")
                    .arg(employeesOf(result.changed)));
        break;
    case Outcome::Forbidden:
    case Outcome::Declined:
    case Outcome::Cancelled:
        message(QStringLiteral("Nothing was saved: ") + result.error);
        break;
    case Outcome::Failed:
        message(result.errorNumber == data::kErrConnectionLost
                    ? result.error
                    : QStringLiteral("Nothing was saved: ") + result.error);
        mayHaveSaved_ = mayHaveSaved_ || result.outcomeUnknown;
        break;
    }
    load();
    for (int i = 0; i < lvwBatches->topLevelItemCount(); ++i)
        if (lvwBatches->topLevelItem(i)->text(0) == QString::number(batchId))
            lvwBatches->setCurrentItem(lvwBatches->topLevelItem(i));
}

void FrmProposals::reject() {
    if (!shown_)
        return;
    const qint32 batchId = shown_->batchId;
    const jobchange::BatchResult result = writer_.reject(batchId, txtReason->text());
    if (result.ok()) {
        txtReason->clear();
        message(QStringLiteral("Batch %1 rejected.").arg(batchId));
    } else {
        message(QStringLiteral("Nothing was saved: ") + result.error);
    }
    load();
}
