#pragma once

#include "jobchange/lookups.h"

#include <QDialog>
#include <QString>
#include <memory>

class AmountBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class clsCommonDB;
class clsCommonGen;

// The line editor of the allowance list (frmAllowpopup) or of the deduction list
// (frmdeductpopup): adds a line to the list or changes its selected line, and steps through
// the list's lines. It writes straight into the list it is given.
class FrmLinePopup : public QDialog {
    Q_OBJECT
public:
    // Loads the window: the type combo filled with the company's active types. mode is the
    // entry window's strAllowanceFlag / strDeductionFlag: "N" add, "E" edit.
    FrmLinePopup(jobchange::WorkspacePtr workspace, LineKind kind, QTreeWidget* list, QString mode,
                 QWidget* parent = nullptr);
    ~FrmLinePopup() override;

    QComboBox* typeCombo() const { return cboType; } // cboAllow / cboDeduct
    // Puts a list row's revised amount in the amount box.
    void showAmount(const QString& listText);

    QLabel* lblAmount = nullptr;
    QLineEdit* txtAmount = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdFirst = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdLast = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void message(const QString& text) const;
    void createControls();
    void Form_Load();
    void Form_Activate();
    void cboType_Change();
    void cboType_Click();
    void cmdOK_Click();
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    bool fnNotInList(qint32 typeId);
    void LinePopulate();
    // Typed text that no longer names the selected entry leaves no entry selected.
    void dropStaleSelection(const QString& text);
    void showRow(int row);
    // A row with rows before and after it: every step stays possible.
    void showInnerRow(int row);
    void setNavigation(bool first, bool previous, bool next, bool last);
    int selectedRow() const;

    const jobchange::WorkspacePtr workspace;
    const jobchange::Lookups lookups;
    const LineTable& info;
    QTreeWidget* list;
    const QString editMode; // "N" add, "E" edit
    QString strCurrency;
    std::unique_ptr<clsCommonGen> commonGen;
    std::unique_ptr<clsCommonDB> commonDB;

    QComboBox* cboType = nullptr;
    AmountBox* amount = nullptr;
};
