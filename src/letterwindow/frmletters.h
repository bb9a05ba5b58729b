#pragma once

#include "jobchange/workspace.h"
#include "letters/letterrun.h"

#include <QDate>
#include <QDialog>
#include <vector>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The window "Revision Letters": which job changes get a letter, the template, and where the
// letters go (one PDF, or one per job change in a folder). Ok writes them and closes; a fault
// is shown and the window stays open with the clerk's choices.
class FrmLetters : public QDialog {
    Q_OBJECT
public:
    // From the register: the selected job change, or every job change of a date (the selected
    // one's, to begin with).
    FrmLetters(jobchange::WorkspacePtr workspace, qint32 selectedId, const QString& selectedNumber,
               const QDate& selectedDate, QWidget* parent = nullptr);
    // From the bulk window: the job changes it saved, named by the caption.
    FrmLetters(jobchange::WorkspacePtr workspace, std::vector<qint32> ids, const QString& caption,
               QWidget* parent = nullptr);

    void write();
    const letters::LettersWritten& written() const { return written_; }

    QRadioButton* optSelected = nullptr;
    QRadioButton* optDate = nullptr;
    QDateEdit* dtpDate = nullptr;
    QLabel* lblJobChanges = nullptr;
    QLineEdit* txtTemplate = nullptr;
    QPushButton* cmdTemplate = nullptr;
    QRadioButton* optFile = nullptr;
    QRadioButton* optFolder = nullptr;
    QLineEdit* txtOut = nullptr;
    QPushButton* cmdOut = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    FrmLetters(jobchange::WorkspacePtr workspace, QWidget* parent);
    void buildControls(bool fixedSet);
    void chooseOutput();
    void outputKindChanged();
    // The job changes chosen, in number order.
    std::vector<qint32> chosenIds(const jobchange::LetterReads& reads) const;
    void message(const QString& text) const;

    jobchange::WorkspacePtr workspace_;
    qint32 selectedId_ = 0;
    std::vector<qint32> fixedIds_;
    QString suggestedName_;
    letters::LettersWritten written_;
};
