#pragma once

#include "jobchange/employeehistory.h"

#include <QDialog>
#include <memory>
#include <optional>

class QChartView;
class QDateEdit;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace report {
class ReportControl;
}

// "Employee History": every job change of one employee oldest first, each opening to its line
// revisions; a chart of basic pay above; a "Changes" tab with every audit row of the employee;
// and the job, basic and standing lines in force on a
// chosen day (a double-click on a job change chooses its date). Print goes through the report
// engine.
class FrmEmployeeHistory : public QDialog {
    Q_OBJECT
public:
    // Columns of lvwHistory. A job change's line revisions use the same columns: kind, status,
    // description, old and revised amount.
    enum Column {
        ColNumber,
        ColDate,
        ColOldJob,
        ColNewJob,
        ColOldBasic,
        ColNewBasic,
        ColCancelled,
        ColCancelledRemarks,
        ColRemarks,
        ColumnCount
    };
    static constexpr int ColLineKind = ColNumber;
    static constexpr int ColLineStatus = ColDate;
    static constexpr int ColLineDescription = ColOldJob;
    static constexpr int ColLineOld = ColOldBasic;
    static constexpr int ColLineRevised = ColNewBasic;

    explicit FrmEmployeeHistory(const jobchange::HistorySource& source, QWidget* parent = nullptr);
    ~FrmEmployeeHistory() override;

    // Columns of lvwChanges: one row per audit row, newest first, its changed lines under it.
    enum ChangeColumn { ColWhen, ColWho, ColAction, ColJobNo, ColRemark, ChangeColumnCount };

    // Reads the employee's history and fills the window with the pay on the process date;
    // false when the company has no such employee. Raises data::DbError. The audit rows of
    // jobChangeId, when given, are marked on the Changes tab, the newest of them current.
    bool load(qint32 employeeId, qint32 jobChangeId = 0);
    const std::optional<jobchange::EmployeeHistory>& history() const { return history_; }
    // The control Print runs; tests send its output elsewhere.
    report::ReportControl& reportControl();

    QLabel* lblEmployee;
    QChartView* chartPay;
    QTreeWidget* lvwHistory;
    QDateEdit* dtpPayOn;
    QLabel* lblPayJob;
    QLabel* lblPayBasic;
    QLabel* lblPaySince;
    QLabel* lblPayNote;
    QTreeWidget* lvwPayLines;
    QTabWidget* tabHistory;
    QTreeWidget* lvwChanges;
    QPushButton* cmdPrint;
    QPushButton* cmdClose;

private:
    // The process date, or today when none was given.
    QDate asOf() const;
    void fillList();
    void fillChanges(qint32 jobChangeId);
    void showPayOn();
    void cmdPrint_Click();

    jobchange::HistorySource source_;
    std::optional<jobchange::EmployeeHistory> history_;
    std::unique_ptr<report::ReportControl> report_;
};

// Opens the history of the employee modally over `parent`. A database error, or an employee
// the company does not have, is shown in a message box instead.
void showEmployeeHistory(const jobchange::HistorySource& source, qint32 employeeId, QWidget* parent,
                         qint32 jobChangeId = 0);
