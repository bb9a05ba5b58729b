// The guide's pictures, each a window of the demo database (process date 30 Nov 2026) in a
// known state. A new window gets its picture from a new entry in guideScenes().

#include "screenshot.h"

#include "bulkwindow/frmbulk.h"
#include "bulkwindow/frmproposals.h"
#include "cancel/frmcancel.h"
#include "entry/frmgrade.h"
#include "entry/revisionlistcommands.h"
#include "history/frmemployeehistory.h"
#include "letterwindow/frmletters.h"
#include "lineeditor/frmlinepopup.h"
#include "register/frmmaster.h"
#include "ui/flexgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace {

constexpr int kNumberColumn = 1;

// The register's row of the job change numbered so, selected.
void selectJob(FrmMaster& form, const QString& number) {
    ui::FlexGrid& grid = *form.flexMaster;
    for (int row = 1; row < grid.rows(); ++row) {
        if (grid.textMatrix(row, kNumberColumn).compare(number, Qt::CaseInsensitive) == 0) {
            grid.selectRowAcross(row);
            return;
        }
    }
    throw SceneError(QStringLiteral("the register lists no job change %1").arg(number));
}

// A register button pressed.
SceneStep press(void (FrmMaster::*button)()) {
    return in<FrmMaster>([button](FrmMaster& form) { (form.*button)(); });
}

// A register button pressed on the job change's row.
SceneStep pressOn(const QString& number, void (FrmMaster::*button)()) {
    return in<FrmMaster>([number, button](FrmMaster& form) {
        selectJob(form, number);
        (form.*button)();
    });
}

template <class Window> SceneStep asItOpens() {
    return in<Window>([](Window&) {});
}

// The entry of the combo whose text holds the words; the scene fails without one.
void choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text, Qt::MatchContains);
    if (index < 0)
        throw SceneError(QStringLiteral("%1 offers no \"%2\"").arg(combo->objectName(), text));
    combo->setCurrentIndex(index);
}

void searchNames(FrmMaster& form, const QString& text) {
    choose(form.cboSearch, QStringLiteral("Employee Name"));
    form.txtsearch->setText(text);
    form.GridSearch();
}

// Li Na Wang, a Senior Sales Executive, promoted to sales manager.
void promotion(frmGrade& form) {
    choose(form.cboEmployee, QStringLiteral("Li Na Wang"));
    choose(form.cboNewgrade, QStringLiteral("Manager - Sales"));
    form.txtNewbasic->setText(QStringLiteral("95000.00"));
    form.txtRemarks->setText(QStringLiteral("Promoted to sales manager"));
}

void editFirstAllowance(frmGrade& form) {
    if (form.lvwAllow->topLevelItemCount() == 0)
        throw SceneError(QStringLiteral("the job change has no allowance"));
    form.lvwAllow->setCurrentItem(form.lvwAllow->topLevelItem(0));
    form.listCommands->List_DblClick(LineKind::Allowance);
}

// The annual increment of the senior grade: 5% on the basic in whole rupees, house rent up by
// 1,000.
void increment(FrmBulk& form) {
    choose(form.cboGrade, QStringLiteral("Senior"));
    form.dtpDate->setDate(QDate(2027, 1, 1));
    form.txtRemarks->setText(QStringLiteral("Annual increment 2027"));
    form.cboBasic->setCurrentIndex(form.cboBasic->findText(QStringLiteral("plus a percent")));
    form.txtBasic->setText(QStringLiteral("5"));
    form.cboRounding->setCurrentIndex(form.cboRounding->findText(QStringLiteral("1")));
    form.addRule();
    const auto cell = [&form](int column) {
        return static_cast<QComboBox*>(form.tblRules->cellWidget(0, column));
    };
    choose(cell(FrmBulk::RuleType), QStringLiteral("House Rent"));
    choose(cell(FrmBulk::RuleChange), QStringLiteral("plus an amount"));
    static_cast<QLineEdit*>(form.tblRules->cellWidget(0, FrmBulk::RuleValue))
        ->setText(QStringLiteral("1000"));
    form.computePreview();
}

// Individual amounts from a spreadsheet: two rows to apply, one with no change, and two that
// cannot be (an inactive employee, a number the company lacks).
void importSheet(FrmBulk& form) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("increment.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw SceneError(QStringLiteral("cannot write %1").arg(path));
    file.write("Employee No,Name,New Basic,New Job,Allowance: House Rent Allowance,"
               "Deduction: Income Tax,Remarks\n"
               "E0001,Emily Clarke,\"28,500.00\",,15500,,\n"
               "E0002,Mateo Mart\xc3\xadnez,34000,Senior - Accountant,,drop,Promotion\n"
               "E0004,Mei Ling Park,20800,,,,\n"
               "E0009,Sven Nowak,25000,,,,\n"
               "E9999,Unknown,30000,,,,\n");
    file.close();
    form.dtpDate->setDate(QDate(2027, 1, 1));
    form.txtRemarks->setText(QStringLiteral("Increment 2027"));
    form.importFile(path);
    // The notes, at the right, say what is wrong with a row.
    QApplication::processEvents();
    form.lvwPreview->horizontalScrollBar()->setValue(
        form.lvwPreview->horizontalScrollBar()->maximum());
}

// The first batch, its first employee changed since the proposal unticked and shown.
void reviewFirstBatch(FrmProposals& form) {
    for (int i = 0; i < form.lvwRows->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = form.lvwRows->topLevelItem(i);
        if (!item->toolTip(6).isEmpty()) {
            item->setCheckState(0, Qt::Unchecked);
            form.lvwRows->scrollToItem(item);
            return;
        }
    }
}

// Paths as an installed program on a clerk's machine shows them.
void installedPaths(FrmLetters& form) {
    form.txtTemplate->setText(QStringLiteral("/usr/share/quorvel/letters/revision-letter.tpl"));
    form.txtOut->setText(QStringLiteral("/home/clerk/letters-JC400.pdf"));
}

void previewAtWindowSize(QPrintPreviewDialog& dialog) {
    dialog.setWindowState(Qt::WindowNoState);
    dialog.resize(1000, 820);
}

} // namespace

const std::vector<Scene>& guideScenes() {
    static const std::vector<Scene> scenes{
        {QStringLiteral("register"),
         QStringLiteral("the register as it opens"),
         {asItOpens<FrmMaster>()}},
        {QStringLiteral("register-search"),
         QStringLiteral("the register after typing \"Li Na\" with Search On \"Employee Name\""),
         {in<FrmMaster>([](FrmMaster& form) { searchNames(form, QStringLiteral("Li Na")); })}},
        {QStringLiteral("entry-new"),
         QStringLiteral("a new job change: Li Na Wang promoted to sales manager"),
         {press(&FrmMaster::cmdnew_Click), in<frmGrade>(promotion)}},
        {QStringLiteral("entry-edit"),
         QStringLiteral("JC400 opened for editing"),
         {pressOn(QStringLiteral("JC400"), &FrmMaster::CmdEdit_Click), asItOpens<frmGrade>()}},
        {QStringLiteral("entry-view"),
         QStringLiteral("the cancelled JC418 opened: view only"),
         {pressOn(QStringLiteral("JC418"), &FrmMaster::CmdEdit_Click), asItOpens<frmGrade>()}},
        {QStringLiteral("line-editor"),
         QStringLiteral("the line editor on JC400's first allowance"),
         {pressOn(QStringLiteral("JC400"), &FrmMaster::CmdEdit_Click),
          in<frmGrade>(editFirstAllowance), asItOpens<FrmLinePopup>()}},
        {QStringLiteral("cancel"),
         QStringLiteral("cancelling JC420, the reason typed"),
         {pressOn(QStringLiteral("JC420"), &FrmMaster::CmdDelete_Click),
          in<frmCancel>([](frmCancel& form) {
              form.txtcanreason->setText(QStringLiteral("Entered for the wrong employee"));
          })}},
        {QStringLiteral("bulk"),
         QStringLiteral("the bulk revision's annual increment of the senior grade, previewed"),
         {press(&FrmMaster::cmdBulk_Click), in<FrmBulk>(increment)}},
        {QStringLiteral("bulk-import"),
         QStringLiteral("a revision imported from a spreadsheet, two rows in error"),
         {press(&FrmMaster::cmdBulk_Click), in<FrmBulk>(importSheet)}},
        {QStringLiteral("proposals"),
         QStringLiteral("a proposed batch reviewed by its approver, one employee changed since "
                        "(on a demo database where Clerk Two proposed the increment)"),
         {press(&FrmMaster::cmdBulk_Click), in<FrmBulk>([](FrmBulk& form) { form.proposals(); }),
          in<FrmProposals>(reviewFirstBatch)}},
        {QStringLiteral("letters"),
         QStringLiteral("the Revision Letters window for JC400"),
         {pressOn(QStringLiteral("JC400"), &FrmMaster::cmdLetters_Click),
          in<FrmLetters>(installedPaths)}},
        {QStringLiteral("history"),
         QStringLiteral("the history of Abena Okonkwo, one job change cancelled"),
         {pressOn(QStringLiteral("JC400"), &FrmMaster::cmdHistory_Click),
          asItOpens<FrmEmployeeHistory>()}},
        {QStringLiteral("history-changes"),
         QStringLiteral("the audit trail of Abena Okonkwo on the history's Changes tab"),
         {pressOn(QStringLiteral("JC400"), &FrmMaster::cmdHistory_Click),
          in<FrmEmployeeHistory>(
              [](FrmEmployeeHistory& form) { form.tabHistory->setCurrentIndex(1); })}},
        {QStringLiteral("report-preview"),
         QStringLiteral("the report of JC400 in the preview window"),
         {pressOn(QStringLiteral("JC400"), &FrmMaster::cmPreview_Click),
          in<QPrintPreviewDialog>(previewAtWindowSize)}},
    };
    return scenes;
}

Scene searchScene(const QString& text) {
    return {{},
            QStringLiteral("the register after a search"),
            {in<FrmMaster>([text](FrmMaster& form) { searchNames(form, text); })}};
}

Scene jobScene(const QString& number) {
    return {{},
            QStringLiteral("a job change opened from the register"),
            {pressOn(number, &FrmMaster::CmdEdit_Click), asItOpens<frmGrade>()}};
}
