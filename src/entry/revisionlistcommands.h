#pragma once

#include "data/linekind.h"
#include "jobchange/workspace.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class clsCommonDB;
class clsCommonGen;

// What the commands act on, handed in by the window that owns the two lists.
struct RevisionListSite {
    QWidget* window = nullptr; // owns the menu; the line editor opens over it
    jobchange::WorkspacePtr workspace;
    QTreeWidget* allowances = nullptr;
    QTreeWidget* deductions = nullptr;
    // The commands act only while the entry can be saved, the mouse only with an employee.
    const QPushButton* ok = nullptr;
    const QComboBox* employee = nullptr;
    // Told the line editor's mode ("N" add, "E" edit) as it opens.
    std::function<void(LineKind kind, const QString& mode)> editorOpens;

    QTreeWidget* list(LineKind kind) const {
        return kind == LineKind::Allowance ? allowances : deductions;
    }
};

// The commands on the entry window's two revision lists: the context menu with its enabling
// rules, double-click, the Delete key and Enter, and the Add, Edit and Delete commands that
// open the line editor or remove an added line.
class RevisionListCommands : public QObject {
    Q_OBJECT
public:
    explicit RevisionListCommands(RevisionListSite site);
    ~RevisionListCommands() override;

    // Starts listening to the list's mouse and keys.
    void attach(LineKind kind);

    void List_MouseDown(LineKind kind, Qt::MouseButton button, const QPoint& position);
    void List_DblClick(LineKind kind);
    void List_KeyDown(LineKind kind, int keyCode);
    void List_KeyPress(LineKind kind, int keyAscii);

    void mnuAdd_Click();
    void mnuEdit_Click();
    void mnuDelete_Click();

    QMenu* mnuPopup = nullptr;
    QAction* mnuAdd = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuDelete = nullptr;

    // The list the menu commands act on: the one last clicked.
    std::optional<LineKind> listKind;

    // Shows the menu at a global position; tests replace it to avoid a real popup.
    std::function<void(QMenu& menu, const QPoint& globalPosition)> showPopup;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens the line editor on the kind's list: to add (no row) or to change the row.
    void openEditor(LineKind kind, const QString& mode, const QTreeWidgetItem* row);
    // Mouse and double-click act only on an enabled entry with an employee chosen.
    bool guardPasses() const;

    RevisionListSite site_;
    std::unique_ptr<clsCommonGen> commonGen_;
    std::unique_ptr<clsCommonDB> commonDB_;
};

// The row the user has selected, or null.
QTreeWidgetItem* selectedRow(const QTreeWidget* list);
