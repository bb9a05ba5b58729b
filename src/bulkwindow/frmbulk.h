#pragma once

#include "bulk/importsheet.h"
#include "bulk/preview.h"
#include "jobchange/bulkreads.h"
#include "jobchange/writer.h"

#include <QDialog>
#include <optional>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The window "Bulk Job Change": who (filters and a checkable list of the eligible employees),
// what (the rules, or a spreadsheet imported instead), the preview with its totals, its export,
// and Apply, which saves every ticked row as an ordinary job change, all or none. After an apply
// the window stays open for the revision letters of the job changes it saved. Where the company's
// bulk batches need approval, Apply becomes Propose, which stores the batch for another user;
// Proposals opens the company's batches, with the number pending.
class FrmBulk : public QDialog {
    Q_OBJECT
public:
    explicit FrmBulk(jobchange::WorkspacePtr workspace, QWidget* parent = nullptr);

    // Reads the eligible employees and the choices; a database error reaches the caller.
    void load();

    // The job changes the window's last apply saved (empty until Apply went through).
    const std::vector<jobchange::BatchSaved>& saved() const { return saved_; }
    // Apply went through, or lost its connection while committing and may have.
    bool mayHaveSaved() const { return !saved_.empty() || mayHaveSaved_; }

    void applyFilters();
    void checkShown(bool checked);
    // The rules from the boxes; shows what is wrong and returns false when they cannot be used.
    bool gatherRules(bulk::Rules& rules);
    void addRule();
    void removeRule();
    // The preview from the rules; it replaces an imported file.
    void computePreview();
    // The preview from FILE.xlsx or FILE.csv, dated by the window's job date; it replaces the
    // rules. Shows what stops it, and the columns it did not read.
    bool importFile(const QString& path);
    // The employees the filters show, as an import reads them, to FILE.xlsx or FILE.csv.
    bool exportTemplate(const QString& path);
    // Writes the preview to .xlsx, .csv or .pdf; shows an error when it cannot.
    bool exportPreview(const QString& path);
    // Applies the preview, or proposes it where the company's batches need approval.
    void apply();
    void propose();
    // How many rows the preview would save, once the clerk has said yes to the question (%1 the
    // count, %2 the job date); 0 when there is none or the clerk said no.
    int confirmedCount(const QString& question);
    // The window of the company's batches; afterwards the employees are read again when an
    // approval saved job changes.
    void proposals();
    // The revision letters of the job changes the last apply saved.
    void letters();

    const std::vector<bulk::PreviewRow>& previewRows() const { return rows_; }

    QComboBox* cboDesignation = nullptr;
    QComboBox* cboGrade = nullptr;
    QComboBox* cboCurrency = nullptr;
    QLineEdit* txtSearch = nullptr;
    QTreeWidget* lvwEmployees = nullptr;
    QPushButton* cmdAll = nullptr;
    QPushButton* cmdNone = nullptr;
    QLabel* lblCount = nullptr;

    QDateEdit* dtpDate = nullptr;
    QLineEdit* txtRemarks = nullptr;
    QComboBox* cboBasic = nullptr;
    QLineEdit* txtBasic = nullptr;
    QComboBox* cboRounding = nullptr;
    QComboBox* cboNewJob = nullptr;
    QTableWidget* tblRules = nullptr;
    QPushButton* cmdAddRule = nullptr;
    QPushButton* cmdRemoveRule = nullptr;

    QPushButton* cmdPreview = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdTemplate = nullptr;
    QLabel* lblSource = nullptr; // where the preview's rows come from, and what stops Apply
    QTreeWidget* lvwPreview = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdLetters = nullptr;
    QPushButton* cmdProposals = nullptr;
    QPushButton* cmdClose = nullptr;

    // Rule table columns.
    enum RuleColumn { RuleKind, RuleType, RuleChange, RuleValue, RuleAddMissing };

private:
    void buildControls();
    void updateCount();
    bulk::Filters filters() const;
    bool previewImported();
    // Computes the preview again from where it came from, after a refusal.
    void recompute();
    void updateApply();
    void fillRuleTypes(int row);
    void showPreview();
    void previewItemChanged(QTreeWidgetItem* item);
    void refreshTotals();
    void updateProposals();
    void showRefusal(const std::vector<qint32>& changed);
    void message(const QString& text) const;
    // Runs a handler, showing a database error instead of letting it escape.
    void reported(const std::function<void()>& handler);

    jobchange::WorkspacePtr workspace_;
    jobchange::BulkReads reads_;
    jobchange::JobChangeWriter writer_;
    std::vector<bulk::EmployeeSnapshot> employees_;
    std::vector<jobchange::JobChoice> jobs_;
    bulk::Rules rules_;
    std::vector<bulk::PreviewRow> rows_;
    std::optional<bulk::ImportTable> import_; // the rows came from this file
    QString importName_;
    std::vector<jobchange::BatchSaved> saved_;
    bool filling_ = false;
    bool mayHaveSaved_ = false;
    bool approval_ = false;        // the company's batches need approval: Apply proposes
    bulk::Filters previewFilters_; // what the preview's rules were for
};
