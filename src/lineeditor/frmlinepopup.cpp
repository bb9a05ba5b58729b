#include "lineeditor/frmlinepopup.h"

#include "shared/amountbox.h"
#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "shared/revisionlist.h"
#include "sharedlib/brastel.h"
#include "sharedlib/clscommondb.h"
#include "sharedlib/clscommongen.h"
#include "ui/messages.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kNoCurrencyCaption = QStringLiteral("Amount :");

QPushButton* makeNavigationButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                                  const QString& tip) {
    QPushButton* button = ui::plainButton(parent, name, {});
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    return button;
}

} // namespace

FrmLinePopup::FrmLinePopup(jobchange::WorkspacePtr workspace, LineKind kind, QTreeWidget* list,
                           QString mode, QWidget* parent)
    : QDialog(parent), workspace(workspace), lookups(std::move(workspace)), info(lineTable(kind)),
      list(list), editMode(std::move(mode)) {
    createControls();
    Form_Load();
}

FrmLinePopup::~FrmLinePopup() = default;

void FrmLinePopup::createControls() {
    setObjectName(QString::fromLatin1(info.editorName));
    setWindowTitle(info.editorCaption);

    // Created in tab order: type, amount, OK, Close, then the navigation buttons.
    auto* Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* Label1 = new QLabel(info.typeLabel, Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    cboType = new QComboBox(Frame1);
    cboType->setObjectName(QString::fromLatin1(info.comboName));
    cboType->setEditable(true);
    cboType->setInsertPolicy(QComboBox::NoInsert);
    cboType->setCompleter(nullptr);
    cboType->setMinimumContentsLength(30);
    lblAmount = new QLabel(QStringLiteral("Amount:"), Frame1);
    lblAmount->setObjectName(QStringLiteral("lblAmount"));
    txtAmount = new QLineEdit(Frame1);
    txtAmount->setObjectName(QStringLiteral("txtAmount"));

    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(cboType, 0, 1);
    grid->addWidget(lblAmount, 1, 0);
    grid->addWidget(txtAmount, 1, 1);

    cmdOk = ui::plainButton(this, "cmdOk", QStringLiteral("&OK"));
    cmdClose = ui::plainButton(this, "cmdClose", QStringLiteral("&Close"));
    // Enter on the focused OK or Close presses it, as Space does.
    for (QPushButton* button : {cmdOk, cmdClose})
        button->setAutoDefault(true);
    cmdFirst = makeNavigationButton(this, "cmdFirst", QStyle::SP_MediaSkipBackward,
                                    QStringLiteral("First"));
    cmdPrevious = makeNavigationButton(this, "cmdPrevious", QStyle::SP_MediaSeekBackward,
                                       QStringLiteral("Previous"));
    cmdNext =
        makeNavigationButton(this, "cmdNext", QStyle::SP_MediaSeekForward, QStringLiteral("Next"));
    cmdLast =
        makeNavigationButton(this, "cmdLast", QStyle::SP_MediaSkipForward, QStringLiteral("Last"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cmdFirst, cmdPrevious, cmdNext, cmdLast})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    connect(cboType, &QComboBox::editTextChanged, this, [this](const QString& text) {
        dropStaleSelection(text);
        cboType_Change();
    });
    connect(cboType, &QComboBox::currentIndexChanged, this, [this] { cboType_Click(); });
    onKeyPress(cboType, [](int& keyAscii) { EnterAsTab(keyAscii); });
    onKeyPress(txtAmount, [this](int& keyAscii) {
        EnterAsTab(keyAscii);
        commonGen->TextValidateNum(txtAmount, keyAscii, 18, 2);
    });
    txtAmount->installEventFilter(this);
    amount = new AmountBox(txtAmount, QStringLiteral("Amount"), AmountRule::ZeroAllowed,
                           [this](const QString& text) { message(text); });

    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdFirst, &QPushButton::clicked, this, [this] { cmdFirst_Click(); });
    connect(cmdPrevious, &QPushButton::clicked, this, [this] { cmdPrevious_Click(); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdLast, &QPushButton::clicked, this, [this] { cmdLast_Click(); });
}

void FrmLinePopup::Form_Load() {
    commonGen = Brastel::Create<clsCommonGen>(QStringLiteral("Brastel.clsCommonGen"));
    commonDB = Brastel::Create<clsCommonDB>(QStringLiteral("Brastel.clsCommonDB"));
    fillCombo(cboType, lookups.lineTypes(info.kind));
}

void FrmLinePopup::message(const QString& text) const {
    ui::message(workspace->msgboxTitle, text);
}

void FrmLinePopup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void FrmLinePopup::Form_Activate() {
    const bool rows = list->topLevelItemCount() > 0;
    setNavigation(rows, rows, rows, rows);
}

bool FrmLinePopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtAmount && event->type() == QEvent::FocusIn)
        txtAmount->setSelection(0, static_cast<int>(txtAmount->text().size()));
    return QDialog::eventFilter(watched, event);
}

void FrmLinePopup::dropStaleSelection(const QString& text) {
    const int index = cboType->currentIndex();
    if (index < 0 || cboType->itemText(index) == text)
        return;
    // Dropping the selection empties the edit box; put back what the user typed. The blocker
    // keeps this from counting as a click.
    QLineEdit* edit = cboType->lineEdit();
    const int cursor = edit->cursorPosition();
    const QSignalBlocker blocker(cboType);
    cboType->setCurrentIndex(-1);
    edit->setText(text);
    edit->setCursorPosition(cursor);
}

void FrmLinePopup::cboType_Change() {
    if (cboType->currentIndex() != -1)
        return;
    lblAmount->setText(kNoCurrencyCaption);
    strCurrency.clear();
}

void FrmLinePopup::cboType_Click() {
    if (cboType->currentIndex() < 0) {
        cboType_Change();
        return;
    }
    // A type without a currency row is shown as having no currency.
    lblAmount->setText(kNoCurrencyCaption);
    strCurrency.clear();
    try {
        const auto currency = lookups.typeCurrency(info.kind, cboType->currentData().toLongLong());
        if (!currency)
            return;
        lblAmount->setText(QStringLiteral("Amount(") + currency->symbol + QStringLiteral("):"));
        strCurrency = currency->name;
    } catch (const data::DbError& error) {
        // Raised from a user's selection, so it must not leave the event loop.
        message(error.description());
    }
}

void FrmLinePopup::cmdOK_Click() {
    if (cboType->currentIndex() < 0) {
        message(info.selectTypeMessage);
        cboType->setFocus();
        return;
    }
    if (!fnCheckMandatory(txtAmount, QStringLiteral("Enter amount"), workspace->msgboxTitle))
        return;
    const qint32 typeId = cboType->currentData().toInt();
    if (!fnNotInList(typeId)) {
        message(info.existsMessage);
        cboType->setFocus();
        return;
    }
    const AmountCheck checked = this->amount->check();
    if (!checked.ok()) {
        message(checked.message);
        txtAmount->setFocus();
        return;
    }
    const QString amount = checked.money->toString();
    if (editMode == QLatin1String("N")) {
        commonDB->fnInsertListview(list, 0, list->topLevelItemCount() + 1, cboType->currentText(),
                                   amount, QString::number(typeId), QStringLiteral("N"),
                                   QStringLiteral("0.00"), strCurrency);
        list->topLevelItem(list->topLevelItemCount() - 1)->setCheckState(0, Qt::Checked);
        cboType->setCurrentIndex(-1);
        txtAmount->clear();
        cboType->setFocus();
        setNavigation(true, true, true, true);
    } else if (editMode == QLatin1String("E")) {
        QTreeWidgetItem* row = list->currentItem();
        if (!row)
            return;
        row->setText(revcol::Description, cboType->currentText());
        row->setText(revcol::RevisedAmount, amount);
        row->setText(revcol::TypeId, QString::number(typeId));
        row->setCheckState(0, Qt::Checked);
        row->setText(revcol::Currency, strCurrency);
        setNavigation(true, true, true, true);
        cmdNext_Click();
    }
}

bool FrmLinePopup::fnNotInList(qint32 typeId) {
    const QTreeWidgetItem* editing = list->currentItem();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        if (data::leadingNumber(row->text(revcol::TypeId)) != typeId)
            continue;
        if (editMode == QLatin1String("N"))
            return false;
        if (editMode == QLatin1String("E") && row != editing)
            return false;
    }
    return true;
}

void FrmLinePopup::LinePopulate() {
    const QTreeWidgetItem* row = list->currentItem();
    showAmount(row->text(revcol::RevisedAmount));
    commonGen->SelectComboItemByValue(cboType, row->text(revcol::TypeId).toLongLong());
    if (info.populateFocusesCombo) {
        cboType->setEnabled(true);
        cboType->setFocus();
    }
}

void FrmLinePopup::showAmount(const QString& listText) {
    amount->showStored(listText);
}

int FrmLinePopup::selectedRow() const {
    return list->indexOfTopLevelItem(list->currentItem());
}

void FrmLinePopup::showRow(int row) {
    list->setCurrentItem(list->topLevelItem(row));
    LinePopulate();
}

void FrmLinePopup::setNavigation(bool first, bool previous, bool next, bool last) {
    cmdFirst->setEnabled(first);
    cmdPrevious->setEnabled(previous);
    cmdNext->setEnabled(next);
    cmdLast->setEnabled(last);
}

// With no row selected, Previous and Next both start from the first row.
void FrmLinePopup::cmdFirst_Click() {
    if (list->topLevelItemCount() == 0)
        return;
    showRow(0);
    setNavigation(false, false, true, true);
}

void FrmLinePopup::cmdPrevious_Click() {
    const int row = selectedRow() - 1;
    if (row <= 0)
        cmdFirst_Click();
    else
        showInnerRow(row);
}

void FrmLinePopup::cmdNext_Click() {
    const int row = selectedRow() + 1;
    if (row >= list->topLevelItemCount() - 1)
        cmdLast_Click();
    else
        showInnerRow(row);
}

void FrmLinePopup::showInnerRow(int row) {
    showRow(row);
    setNavigation(true, true, true, true);
}

void FrmLinePopup::cmdLast_Click() {
    const int last = list->topLevelItemCount() - 1;
    if (last < 0)
        return;
    showRow(last);
    setNavigation(true, true, false, false);
}
