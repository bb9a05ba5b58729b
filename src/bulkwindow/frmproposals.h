#pragma once

#include "jobchange/proposals.h"
#include "jobchange/writer.h"

#include <QDialog>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The window "Bulk Proposals": the company's bulk batches, pending first. Opening one shows its
// rows as proposed beside what changed for each employee since; a user with the right to approve
// (A) who did not propose it may untick rows and Approve, which saves the ticked rows' job changes
// all or none, or Reject it with a reason. A decided batch shows who decided, when, and which
// rows were applied.
class FrmProposals : public QDialog {
    Q_OBJECT
public:
    explicit FrmProposals(jobchange::WorkspacePtr workspace, QWidget* parent = nullptr);

    // Reads the batches and shows the first; a database error reaches the caller.
    void load();
    // Shows the batch of that row of the list, with a fresh review when it is pending.
    void showBatch(int index);
    void approve();
    void reject();
    // An approval went through, or lost its connection while committing and may have.
    bool mayHaveSaved() const { return mayHaveSaved_; }

    QTreeWidget* lvwBatches = nullptr;
    QLabel* lblBatch = nullptr;
    QTreeWidget* lvwRows = nullptr;
    QLineEdit* txtReason = nullptr;
    QPushButton* cmdApprove = nullptr;
    QPushButton* cmdReject = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    void buildControls();
    void updateButtons();
    std::vector<qint32> tickedEmployees() const;
    QString employeesOf(const std::vector<qint32>& ids) const;
    void message(const QString& text) const;
    void reported(const std::function<void()>& handler);

    jobchange::WorkspacePtr workspace_;
    jobchange::ProposalReads reads_;
    jobchange::JobChangeWriter writer_;
    std::vector<jobchange::Proposal> batches_;
    std::optional<jobchange::Proposal> shown_;
    bool mayDecide_ = false; // the user holds the right to approve
    bool filling_ = false;
    bool mayHaveSaved_ = false;
};
