#pragma once

#include "jobchange/writer.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// Cancels one job change with a reason: marks it cancelled and puts the employee back on the
// job, basic pay and standing lines it replaced. Closed without OK, it changes nothing.
class frmCancel : public QDialog {
    Q_OBJECT
public:
    frmCancel(jobchange::WorkspacePtr workspace, qint32 jobChangeId, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();

    QLabel* Label1 = nullptr;
    QLineEdit* txtcanreason = nullptr;
    QPushButton* cmdOK = nullptr;

signals:
    // Another clerk's change made OK refuse; the window stays open.
    void refused();

private:
    jobchange::WorkspacePtr workspace_;
    jobchange::JobChangeWriter writer_;
    qint32 jobChangeId_;
};
