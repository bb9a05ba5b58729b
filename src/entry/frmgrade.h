#pragma once

#include "jobchange/entryreads.h"
#include "jobchange/lookups.h"
#include "jobchange/writer.h"
#include "ui/messages.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class AmountBox;
class RevisionListCommands;
class clsCommonDB;
class clsCommonGen;

// The entry window of one job change. The register creates it afresh for every New and Edit,
// loads it (loadNew, or loadForEdit with the job change's id) and shows it modally; it unloads
// itself when it closes. The revision lists' commands live in RevisionListCommands; validation
// and the save in frmgrade_save.cpp.
class frmGrade : public QDialog {
    Q_OBJECT
public:
    enum class EntryMode { New, Edit };

    explicit frmGrade(jobchange::WorkspacePtr workspace, QWidget* parent = nullptr);
    ~frmGrade() override;

    // The load for a new job change. A failing statement is raised.
    void loadNew() { Form_Load(EntryMode::New); }
    // The load of a stored job change, filled from it; false when it is not found. A failing
    // statement is raised.
    bool loadForEdit(qint32 id);
    EntryMode mode() const { return mode_; }
    const jobchange::WorkspacePtr& workspace() const { return workspace_; }
    // What the save that closed the window wrote; empty while nothing was saved.
    const std::optional<jobchange::WriteResult>& saved() const { return saved_; }

    void cboEmployee_Click();
    void cboOldGrade_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    // The employee history of the chosen employee.
    void cmdHistory_Click();
    bool fnValidate();
    // The question on unsaved changes; false keeps the window open.
    bool QueryUnload();
    // Escape and every other way of rejecting the window ask the question too.
    void reject() override;

    QTreeWidget* list(LineKind kind) const;
    // The mode the line editor of each kind last opened in: "N" add, "E" edit.
    QString strAllowanceFlag;
    QString strDeductionFlag;

    // How often the last save lost a race with another clerk and was tried again.
    int intSaveRetries = 0;
    // What the window was built from, read once as it loads, for the save to check again.
    const jobchange::ShownState& shown() const { return shown_; }

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
    // Above the fields of a job change that can only be viewed: why.
    QLabel* lblViewOnly = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QTreeWidget* lvwAllow = nullptr;
    QTreeWidget* lvwDeduct = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHistory = nullptr;

    // The revision lists' context menu and commands.
    RevisionListCommands* listCommands = nullptr;
    // The basic pay boxes, checked as a whole.
    AmountBox* oldBasic = nullptr;
    AmountBox* newBasic = nullptr;

    std::unique_ptr<clsCommonGen> commonGen;
    std::unique_ptr<clsCommonDB> commonDB;

signals:
    // Another clerk's change made Ok refuse; the window stays open with the clerk's entries.
    void refused();
    // The connection broke while the save was committing: the job change id may be stored.
    void mayHaveSaved(qint32 id);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load(EntryMode mode);
    ui::MsgAnswer message(const QString& text, ui::MsgIcon icon = ui::MsgIcon::Information,
                          ui::MsgButtons buttons = ui::MsgButtons::Ok) const;
    void createControls();
    void connectEvents();
    void closeUnsaved();
    void EmployeeSelect();
    void EmpAllowancePopulate() { EmpLinesPopulate(LineKind::Allowance); }
    void EmpDeductionPopulate() { EmpLinesPopulate(LineKind::Deduction); }
    void EmpLinesPopulate(LineKind kind);
    // Fills a revision list with the stored lines of a job change; a removed ("R") line comes
    // back as an unchecked carried-over ("O") row.
    void StoredLinesPopulate(LineKind kind, const std::vector<jobchange::StoredLine>& lines);
    qint32 selectedId(const QComboBox* combo) const;
    // The window's entries as the service takes them (frmgrade_save.cpp), or nothing after
    // telling the clerk which amount cannot be saved.
    std::optional<jobchange::JobChangeDraft> draft() const;

    jobchange::WorkspacePtr workspace_;
    jobchange::EntryReads reads_;
    jobchange::Lookups lookups_;
    jobchange::JobChangeWriter writer_;
    EntryMode mode_ = EntryMode::New;
    qint32 jobChangeId_ = 0;
    std::optional<jobchange::WriteResult> saved_;
    jobchange::ShownState shown_;
};
