#pragma once

#include "lineeditor/linekind.h"

#include <QDialog>
#include <QString>
#include <memory>

class QAction;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class RevisionListCommands;
class clsCommonDB;
class clsCommonGen;

// The entry window of one job change. The register creates it afresh for every New and Edit,
// loads it, fills it (Edit) and shows it modally; it unloads itself when it closes.
// The revision lists' commands live in RevisionListCommands; validation and the save in
// frmgrade_save.cpp.
class frmGrade : public QDialog {
    Q_OBJECT
public:
    explicit frmGrade(QWidget* parent = nullptr);
    ~frmGrade() override;

    // The load in the caller context's entry mode. A failing statement is raised.
    void Form_Load();

    void cboEmployee_Click();
    void cboOldGrade_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    bool fnValidate();
    // The question on unsaved changes; false keeps the window open.
    bool QueryUnload();
    // Escape and every other way of rejecting the window ask the question too.
    void reject() override;

    QTreeWidget* list(LineKind kind) const;
    // The line editor's mode for the kind: strAllowanceFlag or strDeductionFlag.
    QString& lineFlag(LineKind kind);

    // "N" add, "E" edit: read by the line editors.
    QString strAllowanceFlag;
    QString strDeductionFlag;

    QString strGradeNo;
    qint32 lngGradeID = 0;
    qint16 intNewGrade = 0;
    qint16 intGradeID = 0;
    // How often the last save lost a race with another clerk and was tried again.
    int intSaveRetries = 0;

    QGroupBox* fraall = nullptr;
    QGroupBox* fraGrade = nullptr;
    QLabel* lblgrade = nullptr;
    QLineEdit* txtGradeNo = nullptr;
    QLabel* lblGradeDate = nullptr;
    QDateEdit* dtpGDate = nullptr;
    QLabel* lblEmployee = nullptr;
    QComboBox* cboEmployee = nullptr;
    QLabel* lblOldgrade = nullptr;
    QComboBox* cboOldGrade = nullptr;
    QLabel* lblNewgrade = nullptr;
    QComboBox* cboNewgrade = nullptr;
    QLabel* lblOldBasic = nullptr;
    QLineEdit* txtOldBasic = nullptr;
    QLabel* lblNewBasic = nullptr;
    QLineEdit* txtNewbasic = nullptr;
    QLabel* lblRemarks = nullptr;
    QLineEdit* txtRemarks = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QTreeWidget* lvwAllow = nullptr;
    QTreeWidget* lvwDeduct = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    RevisionListCommands* listCommands = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuAdd = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuCancel = nullptr;

    std::unique_ptr<clsCommonGen> commonGen;
    std::unique_ptr<clsCommonDB> commonDB;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void connectEvents();
    void closeUnsaved();
    void EmployeeSelect();
    void EmpAllowancePopulate() { EmpLinesPopulate(LineKind::Allowance); }
    void EmpDeductionPopulate() { EmpLinesPopulate(LineKind::Deduction); }
    void EmpLinesPopulate(LineKind kind);
    qint32 selectedId(const QComboBox* combo) const;

    // Saving (frmgrade_save.cpp).
    void Save();
    qint16 DesignationGrade(qint32 desigId);
    void SaveHeader();
    void NextGradeNo();
    void UpdateEmployee();
    void SaveGcAllowances() { SaveGcLines(LineKind::Allowance); }
    void SaveGcDeductions() { SaveGcLines(LineKind::Deduction); }
    void SaveGcLines(LineKind kind);
    void UpdateEmpAllowances() { UpdateEmpLines(LineKind::Allowance); }
    void UpdateEmpDeductions() { UpdateEmpLines(LineKind::Deduction); }
    void UpdateEmpLines(LineKind kind);
};

// The save button's tag once a save has written everything.
inline constexpr const char* kSuccessTag = "Success";
