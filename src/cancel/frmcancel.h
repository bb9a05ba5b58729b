#pragma once

#include "lineeditor/linekind.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// Cancels the job change of the register's selected row with a reason: marks it cancelled and
// puts the employee back on the job, basic pay and standing lines it replaced. Closed without
// OK, it changes nothing.
class frmCancel : public QDialog {
    Q_OBJECT
public:
    explicit frmCancel(QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();

    QLabel* Label1 = nullptr;
    QLineEdit* txtcanreason = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    // The job change id in the first cell of the register's selected row.
    QString jobChangeId() const;
    void RestoreAllowances(qint32 empId);
    void RestoreDeductions(qint32 empId);
    void RestoreLines(LineKind kind, qint32 empId);
};
