#include "bulkwindow/frmbulk.h"

#include "bulk/importpreview.h"
#include "bulk/previewtable.h"
#include "bulkwindow/frmproposals.h"
#include "bulkwindow/previewfile.h"
#include "data/datetext.h"
#include "data/money.h"
#include "letterwindow/frmletters.h"
#include "shared/nulrefusal.h"
#include "ui/messages.h"
#include "ui/modal.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

namespace {

constexpr int kIdRole = Qt::UserRole;
// A name or a job wider than this is elided; in the preview, a note.
constexpr int kWidestColumn = 220;
constexpr int kWidestNote = 420;

// "(all)" and then each distinct value the employees have, by text.
void fillFilter(QComboBox* combo, const std::map<QString, QVariant>& values) {
    combo->clear();
    combo->addItem(QStringLiteral("(all)"));
    for (const auto& [text, value] : values)
        combo->addItem(text, value);
}

const QStringList kBasicModes{QStringLiteral("unchanged"), QStringLiteral("plus a percent"),
                              QStringLiteral("plus an amount"), QStringLiteral("set to")};
const QStringList kLineModes{QStringLiteral("plus a percent"), QStringLiteral("plus an amount"),
                             QStringLiteral("set to"), QStringLiteral("drop the line")};

} // namespace

FrmBulk::FrmBulk(jobchange::WorkspacePtr workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace), reads_(workspace), writer_(std::move(workspace)) {
    setObjectName(QStringLiteral("frmBulk"));
    setWindowTitle(QStringLiteral("Bulk Job Change"));
    buildControls();
}

void FrmBulk::buildControls() {
    auto* who = new QGroupBox(QStringLiteral("Employees"), this);
    cboDesignation = ui::named(new QComboBox(who), "cboDesignation");
    cboGrade = ui::named(new QComboBox(who), "cboGrade");
    cboCurrency = ui::named(new QComboBox(who), "cboCurrency");
    txtSearch = ui::named(new QLineEdit(who), "txtSearch");
    txtSearch->setPlaceholderText(QStringLiteral("name or number"));
    lvwEmployees = ui::named(new QTreeWidget(who), "lvwEmployees");
    lvwEmployees->setHeaderLabels({QStringLiteral("Number"), QStringLiteral("Name"),
                                   QStringLiteral("Job"), QStringLiteral("Currency"),
                                   QStringLiteral("Basic")});
    lvwEmployees->setRootIsDecorated(false);
    lvwEmployees->setUniformRowHeights(true);
    cmdAll = ui::named(new QPushButton(QStringLiteral("Select &all"), who), "cmdAll");
    cmdNone = ui::named(new QPushButton(QStringLiteral("Select n&one"), who), "cmdNone");
    lblCount = ui::named(new QLabel(who), "lblCount");
    // Two filters a row, so that each shows its choice and the search box its text.
    auto* filters = new QGridLayout;
    int filter = 0;
    for (auto [label, widget] : {std::pair<const char*, QWidget*>{"Designation:", cboDesignation},
                                 {"Grade:", cboGrade},
                                 {"Currency:", cboCurrency},
                                 {"Search:", txtSearch}}) {
        filters->addWidget(new QLabel(QString::fromLatin1(label), who), filter / 2, filter % 2 * 2);
        filters->addWidget(widget, filter / 2, filter % 2 * 2 + 1);
        ++filter;
    }
    filters->setColumnStretch(1, 1);
    filters->setColumnStretch(3, 1);
    auto* selection = new QHBoxLayout;
    selection->addWidget(cmdAll);
    selection->addWidget(cmdNone);
    selection->addWidget(lblCount, 1);
    auto* whoLayout = new QVBoxLayout(who);
    whoLayout->addLayout(filters);
    whoLayout->addWidget(lvwEmployees, 1);
    whoLayout->addLayout(selection);

    auto* what = new QGroupBox(QStringLiteral("Change"), this);
    dtpDate = ui::named(new QDateEdit(what), "dtpDate");
    dtpDate->setCalendarPopup(true);
    dtpDate->setDisplayFormat(data::dateFormat());
    txtRemarks = ui::named(new QLineEdit(what), "txtRemarks");
    new NulRefusal(txtRemarks, QStringLiteral("Remarks"),
                   [this](const QString& text) { message(text); });
    cboBasic = ui::named(new QComboBox(what), "cboBasic");
    cboBasic->addItems(kBasicModes);
    txtBasic = ui::named(new QLineEdit(what), "txtBasic");
    cboRounding = ui::named(new QComboBox(what), "cboRounding");
    cboRounding->addItems(
        {QStringLiteral("0.01"), QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("100")});
    cboNewJob = ui::named(new QComboBox(what), "cboNewJob");
    tblRules = ui::named(new QTableWidget(0, 5, what), "tblRules");
    tblRules->setHorizontalHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Type"),
                                         QStringLiteral("Change"), QStringLiteral("Value"),
                                         QStringLiteral("Add where missing")});
    // Every caption and choice whole: the columns follow their widest combo or title.
    tblRules->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A percent or an amount needs no more than this.
    tblRules->horizontalHeader()->setSectionResizeMode(RuleValue, QHeaderView::Fixed);
    tblRules->setColumnWidth(
        RuleValue,
        tblRules->fontMetrics().horizontalAdvance(QStringLiteral("999,999,999.99")) + 12);
    tblRules->horizontalHeader()->setStretchLastSection(true);
    cmdAddRule = ui::named(new QPushButton(QStringLiteral("Add &rule"), what), "cmdAddRule");
    cmdRemoveRule =
        ui::named(new QPushButton(QStringLiteral("Remo&ve rule"), what), "cmdRemoveRule");
    auto* basic = new QHBoxLayout;
    basic->addWidget(cboBasic);
    basic->addWidget(txtBasic, 1);
    basic->addWidget(new QLabel(QStringLiteral("Rounding:"), what));
    basic->addWidget(cboRounding);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Job date:"), dtpDate);
    form->addRow(QStringLiteral("Remarks:"), txtRemarks);
    form->addRow(QStringLiteral("Basic pay:"), basic);
    form->addRow(QStringLiteral("New job:"), cboNewJob);
    auto* ruleButtons = new QHBoxLayout;
    ruleButtons->addWidget(cmdAddRule);
    ruleButtons->addWidget(cmdRemoveRule);
    ruleButtons->addStretch(1);
    auto* whatLayout = new QVBoxLayout(what);
    whatLayout->addLayout(form);
    whatLayout->addWidget(tblRules, 1);
    whatLayout->addLayout(ruleButtons);

    lvwPreview = ui::named(new QTreeWidget(this), "lvwPreview");
    lvwPreview->setRootIsDecorated(false);
    lvwPreview->setUniformRowHeights(true);
    // The columns a preview will have, before there is one.
    lvwPreview->setHeaderLabels(bulk::previewTable({}, rules_).titles);
    cmdPreview = ui::named(new QPushButton(QStringLiteral("&Preview"), this), "cmdPreview");
    cmdImport = ui::named(new QPushButton(QStringLiteral("&Import..."), this), "cmdImport");
    cmdTemplate =
        ui::named(new QPushButton(QStringLiteral("Export &template..."), this), "cmdTemplate");
    lblSource = ui::named(new QLabel(this), "lblSource");
    lblSource->setWordWrap(true);
    cmdExport = ui::named(new QPushButton(QStringLiteral("E&xport..."), this), "cmdExport");
    cmdApply = ui::named(new QPushButton(QStringLiteral("&Apply"), this), "cmdApply");
    cmdLetters = ui::named(new QPushButton(QStringLiteral("&Letters..."), this), "cmdLetters");
    cmdProposals =
        ui::named(new QPushButton(QStringLiteral("Pr&oposals..."), this), "cmdProposals");
    cmdClose = ui::named(new QPushButton(QStringLiteral("&Close"), this), "cmdClose");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {cmdPreview, cmdImport, cmdTemplate, cmdExport, cmdApply, cmdLetters})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(cmdProposals);
    buttons->addWidget(cmdClose);

    auto* top = new QHBoxLayout;
    // The rules' table needs the wider half.
    top->addWidget(who, 4);
    top->addWidget(what, 5);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(lvwPreview, 1);
    layout->addWidget(lblSource);
    layout->addLayout(buttons);
    resize(1280, 760);

    for (QComboBox* filter : {cboDesignation, cboGrade, cboCurrency})
        connect(filter, &QComboBox::currentIndexChanged, this, [this] { applyFilters(); });
    connect(txtSearch, &QLineEdit::textChanged, this, [this] { applyFilters(); });
    connect(lvwEmployees, &QTreeWidget::itemChanged, this, [this] {
        if (!filling_)
            updateCount();
    });
    connect(cmdAll, &QPushButton::clicked, this, [this] { checkShown(true); });
    connect(cmdNone, &QPushButton::clicked, this, [this] { checkShown(false); });
    connect(cboBasic, &QComboBox::currentIndexChanged, this,
            [this](int index) { txtBasic->setEnabled(index > 0); });
    connect(cmdAddRule, &QPushButton::clicked, this, [this] { addRule(); });
    connect(cmdRemoveRule, &QPushButton::clicked, this, [this] { removeRule(); });
    connect(cmdPreview, &QPushButton::clicked, this,
            [this] { reported([this] { computePreview(); }); });
    const QString sheets = QStringLiteral("Excel workbook (*.xlsx);;CSV (*.csv)");
    connect(cmdImport, &QPushButton::clicked, this, [this, sheets] {
        const QString path =
            QFileDialog::getOpenFileName(this, QStringLiteral("Import a revision"), QString(),
                                         QStringLiteral("Spreadsheets (*.xlsx *.csv);;") + sheets);
        if (!path.isEmpty())
            reported([this, path] { importFile(path); });
    });
    connect(cmdTemplate, &QPushButton::clicked, this, [this, sheets] {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export the import template"), QString(), sheets);
        if (!path.isEmpty())
            reported([this, path] { exportTemplate(path); });
    });
    connect(lvwPreview, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { previewItemChanged(item); });
    connect(cmdExport, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export the preview"), QString(),
            QStringLiteral("Excel workbook (*.xlsx);;CSV (*.csv);;PDF (*.pdf)"));
        if (!path.isEmpty())
            exportPreview(path);
    });
    connect(cmdApply, &QPushButton::clicked, this, [this] { reported([this] { apply(); }); });
    connect(cmdLetters, &QPushButton::clicked, this, [this] { letters(); });
    connect(cmdProposals, &QPushButton::clicked, this,
            [this] { reported([this] { proposals(); }); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    txtBasic->setEnabled(false);
    cmdExport->setEnabled(false);
    cmdApply->setEnabled(false);
    cmdLetters->setEnabled(false);
}

void FrmBulk::reported(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const data::DbError& error) {
        message(error.description());
    }
}

void FrmBulk::message(const QString& text) const {
    ui::message(workspace_->msgboxTitle, text);
}

void FrmBulk::load() {
    employees_ = reads_.eligibleEmployees();
    jobs_ = reads_.jobs();
    std::map<QString, QVariant> designations, grades, currencies;
    filling_ = true;
    lvwEmployees->clear();
    QList<QTreeWidgetItem*> items;
    for (const bulk::EmployeeSnapshot& employee : employees_) {
        designations.emplace(employee.designation, employee.designationId);
        grades.emplace(employee.grade, employee.gradeId);
        if (!employee.currency.isEmpty())
            currencies.emplace(employee.currency, employee.currency);
        auto* item = new QTreeWidgetItem({employee.number, employee.name, employee.job(),
                                          employee.currency, employee.basic.text()});
        item->setData(0, kIdRole, employee.employeeId);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        items << item;
    }
    lvwEmployees->addTopLevelItems(items);
    ui::fitColumns(lvwEmployees, kWidestColumn);
    fillFilter(cboDesignation, designations);
    fillFilter(cboGrade, grades);
    fillFilter(cboCurrency, currencies);
    cboNewJob->clear();
    cboNewJob->addItem(QStringLiteral("(unchanged)"));
    for (const jobchange::JobChoice& job : jobs_)
        cboNewJob->addItem(job.text, job.designationId);
    dtpDate->setDate(workspace_->processDate.isValid() ? workspace_->processDate
                                                       : QDate::currentDate());
    filling_ = false;
    updateCount();
    approval_ = jobchange::ProposalReads(workspace_).approvalRequired();
    cmdApply->setText(approval_ ? QStringLiteral("&Propose...") : QStringLiteral("&Apply"));
    updateProposals();
}

// Shown once the database has the tables, with the number of batches waiting.
void FrmBulk::updateProposals() {
    const jobchange::ProposalReads reads(workspace_);
    cmdProposals->setVisible(reads.installed());
    const int pending = reads.pendingCount();
    cmdProposals->setText(pending > 0 ? QStringLiteral("Pr&oposals (%1)...").arg(pending)
                                      : QStringLiteral("Pr&oposals..."));
}

void FrmBulk::proposals() {
    FrmProposals form(workspace_, this);
    form.load();
    ui::showModal(form);
    if (form.mayHaveSaved()) {
        mayHaveSaved_ = true;
        // The employees have moved on: a preview computed before would be refused.
        load();
        rows_.clear();
        showPreview();
    }
    updateProposals();
}

int FrmBulk::confirmedCount(const QString& question) {
    const int count = bulk::previewTotals(rows_, rules_).employees;
    if (count == 0) {
        message(QStringLiteral("No row of the preview can be applied."));
        return 0;
    }
    const bool yes =
        ui::message(workspace_->msgboxTitle, question.arg(count).arg(data::dateText(rules_.date)),
                    ui::MsgIcon::Question, ui::MsgButtons::YesNo) == ui::MsgAnswer::Yes;
    return yes ? count : 0;
}

void FrmBulk::propose() {
    const int count = confirmedCount(
        QStringLiteral("Propose %1 job changes dated %2 for another user to approve?"));
    if (count == 0)
        return;
    const QString what = import_ ? QStringLiteral("Rows imported from ") + importName_
                                 : jobchange::describeRules(previewFilters_, rules_);
    const jobchange::BatchResult result = writer_.propose(rows_, rules_, what);
    switch (result.outcome) {
    case jobchange::BatchResult::Outcome::Applied:
        // Proposed once: the same preview cannot be proposed again.
        cmdApply->setEnabled(false);
        updateProposals();
        message(QStringLiteral("Proposed batch %1: %2 job changes wait for another user's "
                               "approval.")
                    .arg(result.batchId)
                    .arg(count));
        return;
    case jobchange::BatchResult::Outcome::Refused:
        showRefusal(result.changed);
        return;
    case jobchange::BatchResult::Outcome::Forbidden:
    case jobchange::BatchResult::Outcome::Declined:
    case jobchange::BatchResult::Outcome::Cancelled:
    case jobchange::BatchResult::Outcome::Failed:
        message(QStringLiteral("Nothing was proposed: ") + result.error);
        return;
    }
}

void FrmBulk::showRefusal(const std::vector<qint32>& changed) {
    QStringList names;
    for (const qint32 id : changed)
        for (const bulk::PreviewRow& row : rows_)
            if (row.employee.employeeId == id)
                names << row.employee.number + QLatin1Char(' ') + row.employee.name;
    if (ui::message(workspace_->msgboxTitle,
                    QStringLiteral("Nothing was saved: since the preview, another clerk changed "
                                   "these employees:\n%1\n\nCompute the preview again?")
                        .arg(names.join(QLatin1Char('\n'))),
                    ui::MsgIcon::Question, ui::MsgButtons::YesNo) == ui::MsgAnswer::Yes)
        recompute();
}

bulk::Filters FrmBulk::filters() const {
    bulk::Filters filters;
    if (cboDesignation->currentIndex() > 0)
        filters.designationId = cboDesignation->currentData().toInt();
    if (cboGrade->currentIndex() > 0)
        filters.gradeId = cboGrade->currentData().toInt();
    if (cboCurrency->currentIndex() > 0)
        filters.currency = cboCurrency->currentText();
    filters.search = txtSearch->text();
    return filters;
}

void FrmBulk::applyFilters() {
    const bulk::Filters shown = filters();
    for (int i = 0; i < lvwEmployees->topLevelItemCount(); ++i)
        lvwEmployees->topLevelItem(i)->setHidden(!shown.matches(employees_[size_t(i)]));
    updateCount();
}

void FrmBulk::checkShown(bool checked) {
    filling_ = true;
    for (int i = 0; i < lvwEmployees->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lvwEmployees->topLevelItem(i);
        if (!item->isHidden())
            item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
    updateCount();
}

void FrmBulk::updateCount() {
    int shown = 0;
    int selected = 0;
    for (int i = 0; i < lvwEmployees->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvwEmployees->topLevelItem(i);
        if (item->isHidden())
            continue;
        ++shown;
        selected += item->checkState(0) == Qt::Checked;
    }
    lblCount->setText(QStringLiteral("%1 of %2 employees selected").arg(selected).arg(shown));
}

void FrmBulk::addRule() {
    const int row = tblRules->rowCount();
    tblRules->insertRow(row);
    auto* kind = new QComboBox(tblRules);
    kind->addItems({QStringLiteral("Allowance"), QStringLiteral("Deduction")});
    tblRules->setCellWidget(row, RuleKind, kind);
    tblRules->setCellWidget(row, RuleType, new QComboBox(tblRules));
    auto* change = new QComboBox(tblRules);
    change->addItems(kLineModes);
    tblRules->setCellWidget(row, RuleChange, change);
    tblRules->setCellWidget(row, RuleValue, new QLineEdit(tblRules));
    tblRules->setCellWidget(row, RuleAddMissing, new QCheckBox(tblRules));
    fillRuleTypes(row);
    connect(kind, &QComboBox::currentIndexChanged, this, [this, kind] {
        for (int r = 0; r < tblRules->rowCount(); ++r)
            if (tblRules->cellWidget(r, RuleKind) == kind)
                fillRuleTypes(r);
    });
    tblRules->setCurrentCell(row, RuleType);
}

void FrmBulk::fillRuleTypes(int row) {
    const auto* kind = static_cast<QComboBox*>(tblRules->cellWidget(row, RuleKind));
    auto* type = static_cast<QComboBox*>(tblRules->cellWidget(row, RuleType));
    type->clear();
    for (const Choice& choice :
         reads_.lineTypes(kind->currentIndex() == 0 ? LineKind::Allowance : LineKind::Deduction))
        type->addItem(choice.text, choice.id);
}

void FrmBulk::removeRule() {
    const int row = tblRules->currentRow();
    if (row >= 0)
        tblRules->removeRow(row);
}

namespace {

// The amount or percent a mode needs, from the text; empty with the reason when it is not one.
QString readAdjustment(bulk::Adjustment& adjustment, const QString& text, const QString& what) {
    if (adjustment.mode == bulk::Mode::PlusPercent) {
        const std::optional<bulk::Percent> percent = bulk::Percent::parse(text);
        if (!percent)
            return QStringLiteral("%1: \"%2\" is not a percent from -100 to 1000 with at most "
                                  "four decimals.")
                .arg(what, text);
        adjustment.percent = *percent;
    } else if (adjustment.mode == bulk::Mode::PlusAmount || adjustment.mode == bulk::Mode::SetTo) {
        const data::MoneyParse parsed = data::parseMoney(text);
        if (!parsed.value)
            return QStringLiteral("%1: \"%2\" is not an amount.").arg(what, text);
        adjustment.amount = *parsed.value;
    }
    return {};
}

} // namespace

bool FrmBulk::gatherRules(bulk::Rules& rules) {
    rules = {};
    rules.date = dtpDate->date();
    rules.remarks = txtRemarks->text().trimmed();
    rules.basic.mode = static_cast<bulk::Mode>(cboBasic->currentIndex());
    rules.rounding = bulk::parseRounding(cboRounding->currentText()).value_or(bulk::Rounding::Cent);
    QString problem = readAdjustment(rules.basic, txtBasic->text(), QStringLiteral("Basic pay"));
    if (cboNewJob->currentIndex() > 0)
        rules.newJob = bulk::NewJob{cboNewJob->currentData().toInt(), cboNewJob->currentText()};
    for (int row = 0; row < tblRules->rowCount() && problem.isEmpty(); ++row) {
        const auto* kind = static_cast<QComboBox*>(tblRules->cellWidget(row, RuleKind));
        const auto* type = static_cast<QComboBox*>(tblRules->cellWidget(row, RuleType));
        const auto* change = static_cast<QComboBox*>(tblRules->cellWidget(row, RuleChange));
        const auto* value = static_cast<QLineEdit*>(tblRules->cellWidget(row, RuleValue));
        const auto* missing = static_cast<QCheckBox*>(tblRules->cellWidget(row, RuleAddMissing));
        if (type->currentIndex() < 0) {
            problem = QStringLiteral("Rule %1: select the type.").arg(row + 1);
            break;
        }
        bulk::LineRule rule;
        rule.kind = kind->currentIndex() == 0 ? LineKind::Allowance : LineKind::Deduction;
        rule.typeId = type->currentData().toLongLong();
        rule.typeName = type->currentText();
        rule.adjustment.mode = static_cast<bulk::Mode>(change->currentIndex() + 1);
        rule.addWhereMissing = missing->isChecked();
        problem =
            readAdjustment(rule.adjustment, value->text(), QStringLiteral("Rule %1").arg(row + 1));
        rules.lines.push_back(rule);
    }
    if (problem.isEmpty())
        problem = reads_.prepareRules(rules);
    if (!problem.isEmpty()) {
        message(problem);
        return false;
    }
    return true;
}

void FrmBulk::computePreview() {
    QSet<qint32> selected;
    for (int i = 0; i < lvwEmployees->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvwEmployees->topLevelItem(i);
        if (!item->isHidden() && item->checkState(0) == Qt::Checked)
            selected.insert(item->data(0, kIdRole).toInt());
    }
    if (selected.isEmpty()) {
        message(QStringLiteral("Select at least one employee."));
        return;
    }
    bulk::Rules rules;
    if (!gatherRules(rules))
        return;
    // Read afresh: the preview is what Apply compares with.
    std::vector<bulk::EmployeeSnapshot> chosen;
    for (bulk::EmployeeSnapshot& employee : reads_.eligibleEmployees())
        if (selected.contains(employee.employeeId))
            chosen.push_back(std::move(employee));
    rules_ = rules;
    previewFilters_ = filters();
    rows_ = bulk::computePreview(chosen, rules_);
    import_.reset();
    showPreview();
}

bool FrmBulk::importFile(const QString& path) {
    try {
        import_ = bulk::readImport(path);
    } catch (const bulk::ImportError& error) {
        message(error.message());
        return false;
    }
    importName_ = QFileInfo(path).fileName();
    if (!previewImported())
        return false;
    if (!import_->warnings.isEmpty())
        message(import_->warnings.join(QLatin1Char('\n')));
    return true;
}

// The imported rows against the employees as they are now.
bool FrmBulk::previewImported() {
    bulk::ImportBatch batch;
    const QString problem =
        reads_.previewImport(*import_, dtpDate->date(), txtRemarks->text().trimmed(), batch);
    if (!problem.isEmpty()) {
        import_.reset();
        message(problem);
        return false;
    }
    rules_ = std::move(batch.rules);
    rows_ = std::move(batch.rows);
    showPreview();
    return true;
}

void FrmBulk::recompute() {
    if (import_)
        previewImported();
    else
        computePreview();
}

bool FrmBulk::exportTemplate(const QString& path) {
    try {
        const std::vector<bulk::EmployeeSnapshot> employees = reads_.eligibleEmployees(filters());
        tableexport::writeTable(
            bulk::importTemplate(employees, reads_.importCatalog(employees, false)), path);
        return true;
    } catch (const tableexport::ExportError& error) {
        message(error.message());
    }
    return false;
}

void FrmBulk::showPreview() {
    const tableexport::ExportTable table = bulk::previewTable(rows_, rules_);
    filling_ = true;
    lvwPreview->clear();
    lvwPreview->setHeaderLabels(table.titles);
    QList<QTreeWidgetItem*> items;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        auto* item = new QTreeWidgetItem;
        for (size_t c = 0; c < table.rows[r].size(); ++c) {
            item->setText(int(c), bulk::previewCellText(table.rows[r][c]));
            // A note longer than its column is read whole in its tool tip.
            if (table.kinds[c] == tableexport::ExportColumnKind::Text)
                item->setToolTip(int(c), item->text(int(c)));
            if (table.kinds[c] == tableexport::ExportColumnKind::Amount)
                item->setTextAlignment(int(c), Qt::AlignRight | Qt::AlignVCenter);
        }
        if (r < rows_.size()) {
            const bulk::PreviewRow& row = rows_[r];
            if (row.canTick()) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
            }
            if (!row.errors.isEmpty())
                for (int c = 0; c < item->columnCount(); ++c)
                    item->setForeground(c, Qt::red);
            else if (row.blocked())
                item->setForeground(0, Qt::red);
        } else {
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int c = 0; c < item->columnCount(); ++c)
                item->setFont(c, bold);
        }
        items << item;
    }
    lvwPreview->addTopLevelItems(items);
    ui::fitColumns(lvwPreview, kWidestNote);
    filling_ = false;
    cmdExport->setEnabled(!rows_.empty());
    updateApply();
}

// Apply waits until no ticked row has an error.
void FrmBulk::updateApply() {
    int errors = 0;
    int ticked = 0;
    for (const bulk::PreviewRow& row : rows_) {
        errors += !row.errors.isEmpty();
        ticked += row.checked && !row.errors.isEmpty();
    }
    cmdApply->setEnabled(!rows_.empty() && ticked == 0);
    if (!import_) {
        lblSource->clear();
        return;
    }
    QString text = QStringLiteral("%1 rows from %2").arg(rows_.size()).arg(importName_);
    if (errors > 0)
        text += QStringLiteral(", %1 with errors").arg(errors);
    if (ticked > 0)
        text += QStringLiteral(": untick the rows with errors, or correct the file and import it "
                               "again, to apply the others");
    lblSource->setText(text + QLatin1Char('.'));
}

void FrmBulk::previewItemChanged(QTreeWidgetItem* item) {
    if (filling_)
        return;
    const int index = lvwPreview->indexOfTopLevelItem(item);
    if (index < 0 || size_t(index) >= rows_.size())
        return;
    rows_[size_t(index)].checked = item->checkState(0) == Qt::Checked;
    refreshTotals();
    updateApply();
}

// The Apply column of every row and the totals row, after a row was ticked or unticked.
void FrmBulk::refreshTotals() {
    const tableexport::ExportTable table = bulk::previewTable(rows_, rules_);
    filling_ = true;
    for (size_t r = 0; r < table.rows.size(); ++r) {
        QTreeWidgetItem* item = lvwPreview->topLevelItem(int(r));
        for (size_t c = 0; c < table.rows[r].size(); ++c)
            item->setText(int(c), bulk::previewCellText(table.rows[r][c]));
    }
    filling_ = false;
}

bool FrmBulk::exportPreview(const QString& path) {
    try {
        bulk::writePreviewFile(rows_, rules_, path);
        return true;
    } catch (const tableexport::ExportError& error) {
        message(error.message());
    } catch (const data::DbError& error) {
        message(error.description());
    }
    return false;
}

void FrmBulk::apply() {
    if (approval_) {
        propose();
        return;
    }
    const int count = confirmedCount(QStringLiteral("Save %1 job changes dated %2?"));
    if (count == 0)
        return;
    QProgressDialog progress(QStringLiteral("Saving the job changes..."), QStringLiteral("Cancel"),
                             0, count, this);
    progress.setObjectName(QStringLiteral("progress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const jobchange::BatchResult result = writer_.apply(rows_, rules_, [&progress](int done, int) {
        progress.setValue(done);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    switch (result.outcome) {
    case jobchange::BatchResult::Outcome::Applied:
        saved_ = result.saved;
        // The preview is spent: its employees have changed since it was computed.
        cmdApply->setEnabled(false);
        cmdLetters->setEnabled(true);
        message(QStringLiteral("Saved %1 job changes, %2 to %3.")
                    .arg(saved_.size())
                    .arg(saved_.front().number, saved_.back().number));
        return;
    case jobchange::BatchResult::Outcome::Refused:
        showRefusal(result.changed);
        return;
    case jobchange::BatchResult::Outcome::Forbidden:
    case jobchange::BatchResult::Outcome::Declined:
        message(QStringLiteral("Nothing was saved: ") + result.error);
        return;
    case jobchange::BatchResult::Outcome::Cancelled:
        message(QStringLiteral("Cancelled: nothing was saved."));
        return;
    case jobchange::BatchResult::Outcome::Failed:
        // A lost connection's message says itself what was saved.
        message(result.errorNumber == data::kErrConnectionLost
                    ? result.error
                    : QStringLiteral("Nothing was saved: ") + result.error);
        mayHaveSaved_ = mayHaveSaved_ || result.outcomeUnknown;
        return;
    }
}

void FrmBulk::letters() {
    if (saved_.empty())
        return;
    std::vector<qint32> ids;
    for (const jobchange::BatchSaved& saved : saved_)
        ids.push_back(saved.id);
    FrmLetters form(workspace_, std::move(ids),
                    QStringLiteral("The %1 job changes just applied, %2 to %3")
                        .arg(saved_.size())
                        .arg(saved_.front().number, saved_.back().number),
                    this);
    ui::showModal(form);
}
