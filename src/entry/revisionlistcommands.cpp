#include "entry/revisionlistcommands.h"

#include "lineeditor/frmlinepopup.h"
#include "shared/keyevents.h"
#include "shared/revisionlist.h"
#include "sharedlib/brastel.h"
#include "sharedlib/clscommondb.h"
#include "sharedlib/clscommongen.h"
#include "ui/messages.h"
#include "ui/modal.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

QTreeWidgetItem* selectedRow(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

RevisionListCommands::RevisionListCommands(RevisionListSite site)
    : QObject(site.window), site_(std::move(site)),
      commonGen_(Brastel::Create<clsCommonGen>(QStringLiteral("Brastel.clsCommonGen"))),
      commonDB_(Brastel::Create<clsCommonDB>(QStringLiteral("Brastel.clsCommonDB"))) {
    mnuPopup = new QMenu(QStringLiteral("PopUp"), site_.window);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuAdd = mnuPopup->addAction(QStringLiteral("&Add"));
    mnuAdd->setObjectName(QStringLiteral("mnuAdd"));
    mnuEdit = mnuPopup->addAction(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuPopup->addSeparator()->setObjectName(QStringLiteral("mnusep1"));
    mnuDelete = mnuPopup->addAction(QStringLiteral("&Delete"));
    mnuDelete->setObjectName(QStringLiteral("mnuDelete"));

    connect(mnuAdd, &QAction::triggered, this, [this] { mnuAdd_Click(); });
    connect(mnuEdit, &QAction::triggered, this, [this] { mnuEdit_Click(); });
    connect(mnuDelete, &QAction::triggered, this, [this] { mnuDelete_Click(); });

    showPopup = [](QMenu& menu, const QPoint& globalPosition) { menu.popup(globalPosition); };
}

RevisionListCommands::~RevisionListCommands() = default;

void RevisionListCommands::attach(LineKind kind) {
    QTreeWidget* list = site_.list(kind);
    list->viewport()->installEventFilter(this);
    onKeyDown(list, [this, kind](int& keyCode, int) { List_KeyDown(kind, keyCode); });
    onKeyPress(list, [this, kind](int& keyAscii) { List_KeyPress(kind, keyAscii); });
}

bool RevisionListCommands::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    if (!press && !doubleClick)
        return QObject::eventFilter(watched, event);
    std::optional<LineKind> kind;
    for (LineKind candidate : kLineKinds)
        if (watched == site_.list(candidate)->viewport())
            kind = candidate;
    if (!kind)
        return QObject::eventFilter(watched, event);

    // The row under the mouse is selected before the handlers look at the selection.
    auto* mouse = static_cast<QMouseEvent*>(event);
    QTreeWidget* list = site_.list(*kind);
    const QPoint position = mouse->position().toPoint();
    if (QTreeWidgetItem* item = list->itemAt(position))
        list->setCurrentItem(item);
    if (press) {
        List_MouseDown(*kind, mouse->button(), position);
        return false;
    }
    List_DblClick(*kind);
    return true;
}

bool RevisionListCommands::guardPasses() const {
    return site_.ok->isEnabled() && site_.employee->currentIndex() >= 0;
}

void RevisionListCommands::List_MouseDown(LineKind kind, Qt::MouseButton button,
                                          const QPoint& position) {
    if (!guardPasses())
        return;
    listKind = kind;
    QTreeWidget* list = site_.list(kind);
    const QTreeWidgetItem* row = selectedRow(list);
    if (!row) {
        // An empty list, or rows with none selected: only Add has something to act on.
        mnuEdit->setEnabled(false);
        mnuDelete->setEnabled(false);
    } else {
        mnuEdit->setEnabled(true);
        mnuDelete->setEnabled(row->text(revcol::Letter) == QLatin1String("N"));
    }
    if (button == Qt::RightButton)
        showPopup(*mnuPopup, list->viewport()->mapToGlobal(position));
}

void RevisionListCommands::List_DblClick(LineKind kind) {
    if (!guardPasses())
        return;
    listKind = kind;
    if (site_.list(kind)->topLevelItemCount() > 0)
        mnuEdit_Click();
    else
        mnuAdd_Click();
}

void RevisionListCommands::List_KeyPress(LineKind kind, int keyAscii) {
    if (site_.ok->isEnabled() && keyAscii == vbKeyReturn)
        List_DblClick(kind);
}

void RevisionListCommands::List_KeyDown(LineKind kind, int keyCode) {
    if (!site_.ok->isEnabled())
        return;
    listKind = kind;
    if (site_.list(kind)->topLevelItemCount() > 0 && keyCode == vbKeyDelete)
        mnuDelete_Click();
}

void RevisionListCommands::mnuAdd_Click() {
    if (listKind)
        openEditor(*listKind, QStringLiteral("N"), nullptr);
}

void RevisionListCommands::mnuEdit_Click() {
    if (!listKind)
        return;
    QTreeWidget* list = site_.list(*listKind);
    QTreeWidgetItem* row = selectedRow(list);
    if (!row)
        return;
    list->setCurrentItem(row);
    openEditor(*listKind, QStringLiteral("E"), row);
}

void RevisionListCommands::openEditor(LineKind kind, const QString& mode,
                                      const QTreeWidgetItem* row) {
    QTreeWidget* list = site_.list(kind);
    site_.editorOpens(kind, mode);
    FrmLinePopup editor(site_.workspace, kind, list, mode, site_.window);
    if (row) {
        editor.showAmount(row->text(revcol::RevisedAmount));
        commonGen_->SelectComboItemByValue(editor.typeCombo(),
                                           row->text(revcol::TypeId).trimmed().toLongLong());
    } else {
        editor.lblAmount->setText(list->headerItem()->text(revcol::RevisedAmount));
    }
    ui::showModal(editor);
}

void RevisionListCommands::mnuDelete_Click() {
    const std::optional<LineKind> kind = listKind;
    if (!kind)
        return;
    QTreeWidget* list = site_.list(*kind);
    QTreeWidgetItem* row = selectedRow(list);
    // Carried-over lines are dropped by unchecking them, never deleted.
    if (!row || row->text(revcol::Letter) != QLatin1String("N"))
        return;
    if (ui::message(site_.workspace->msgboxTitle,
                    QStringLiteral("Are you sure you want to delete ") + QLatin1Char('\r') +
                        row->text(revcol::Description) + QStringLiteral("?"),
                    ui::MsgIcon::Question, ui::MsgButtons::YesNo) != ui::MsgAnswer::Yes)
        return;
    const bool onlyRow = list->topLevelItemCount() == 1;
    list->setCurrentItem(row);
    commonDB_->fnDeleteListview(true, list, !onlyRow);
    if (!onlyRow)
        list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
    if (list->topLevelItemCount() == 0) {
        mnuEdit->setEnabled(false);
        mnuDelete->setEnabled(false);
    }
}
