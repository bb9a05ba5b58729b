#include "letterwindow/frmletters.h"

#include "data/datetext.h"
#include "letters/revisionletter.h"
#include "ui/messages.h"
#include "ui/savefile.h"
#include "ui/waitcursor.h"
#include "ui/widgets.h"

#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

FrmLetters::FrmLetters(jobchange::WorkspacePtr workspace, QWidget* parent)
    : QDialog(parent), workspace_(std::move(workspace)) {
    setObjectName(QStringLiteral("frmLetters"));
    setWindowTitle(QStringLiteral("Revision Letters"));
}

FrmLetters::FrmLetters(jobchange::WorkspacePtr workspace, qint32 selectedId,
                       const QString& selectedNumber, const QDate& selectedDate, QWidget* parent)
    : FrmLetters(std::move(workspace), parent) {
    selectedId_ = selectedId;
    buildControls(false);
    optSelected->setText(QStringLiteral("The selected job change, %1").arg(selectedNumber));
    dtpDate->setDate(selectedDate.isValid() ? selectedDate : workspace_->processDate);
    suggestedName_ = QStringLiteral("letters-") + selectedNumber;
    outputKindChanged();
}

FrmLetters::FrmLetters(jobchange::WorkspacePtr workspace, std::vector<qint32> ids,
                       const QString& caption, QWidget* parent)
    : FrmLetters(std::move(workspace), parent) {
    fixedIds_ = std::move(ids);
    buildControls(true);
    lblJobChanges->setText(caption);
    suggestedName_ = QStringLiteral("letters");
    outputKindChanged();
}

void FrmLetters::buildControls(bool fixedSet) {
    auto* which = new QGroupBox(QStringLiteral("Job changes"), this);
    auto* whichLayout = new QVBoxLayout(which);
    if (fixedSet) {
        lblJobChanges = ui::named(new QLabel(which), "lblJobChanges");
        whichLayout->addWidget(lblJobChanges);
    } else {
        optSelected = ui::named(new QRadioButton(which), "optSelected");
        optSelected->setChecked(true);
        optDate =
            ui::named(new QRadioButton(QStringLiteral("All job changes &dated"), which), "optDate");
        dtpDate = ui::named(new QDateEdit(which), "dtpDate");
        dtpDate->setCalendarPopup(true);
        dtpDate->setDisplayFormat(data::dateFormat());
        dtpDate->setEnabled(false);
        auto* dated = new QHBoxLayout;
        dated->addWidget(optDate);
        dated->addWidget(dtpDate);
        dated->addStretch(1);
        whichLayout->addWidget(optSelected);
        whichLayout->addLayout(dated);
        connect(optDate, &QRadioButton::toggled, dtpDate, &QDateEdit::setEnabled);
    }

    txtTemplate = ui::named(new QLineEdit(letters::defaultLetterTemplate(), this), "txtTemplate");
    cmdTemplate = ui::plainButton(this, "cmdTemplate", QStringLiteral("Bro&wse..."));
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(txtTemplate, 1);
    templateRow->addWidget(cmdTemplate);

    optFile = ui::named(new QRadioButton(QStringLiteral("One PDF &file"), this), "optFile");
    optFile->setChecked(true);
    optFolder = ui::named(
        new QRadioButton(QStringLiteral("One PDF per job change in a f&older"), this), "optFolder");
    txtOut = ui::named(new QLineEdit(this), "txtOut");
    cmdOut = ui::plainButton(this, "cmdOut", QStringLiteral("Brow&se..."));
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(optFile);
    kinds->addWidget(optFolder);
    kinds->addStretch(1);
    auto* outRow = new QHBoxLayout;
    outRow->addWidget(txtOut, 1);
    outRow->addWidget(cmdOut);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Template:"), templateRow);
    form->addRow(QStringLiteral("Write as:"), kinds);
    form->addRow(QStringLiteral("&To:"), outRow);

    cmdOk = ui::plainButton(this, "cmdOk", QStringLiteral("&Ok"));
    cmdCancel = ui::plainButton(this, "cmdCancel", QStringLiteral("&Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(which);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(640, minimumSizeHint().height());

    connect(cmdTemplate, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Letter template"), txtTemplate->text(),
            QStringLiteral("Letter templates (*.tpl);;All files (*)"));
        if (!path.isEmpty())
            txtTemplate->setText(path);
    });
    connect(cmdOut, &QPushButton::clicked, this, [this] { chooseOutput(); });
    connect(optFolder, &QRadioButton::toggled, this, [this] { outputKindChanged(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { write(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

// A suggestion the clerk has not changed follows the choice of a file or a folder.
void FrmLetters::outputKindChanged() {
    const QString file = QDir::home().filePath(suggestedName_ + QStringLiteral(".pdf"));
    const QString folder = QDir::home().filePath(suggestedName_);
    const QString now = txtOut->text();
    if (now.isEmpty() || now == file || now == folder)
        txtOut->setText(optFolder->isChecked() ? folder : file);
}

void FrmLetters::chooseOutput() {
    const QString path =
        optFolder->isChecked()
            ? QFileDialog::getExistingDirectory(this, QStringLiteral("Letters"), txtOut->text())
            : ui::chooseSaveFile(this, QStringLiteral("Letters"), txtOut->text(),
                                 QStringLiteral("PDF files (*.pdf)"));
    if (!path.isEmpty())
        txtOut->setText(path);
}

void FrmLetters::message(const QString& text) const {
    ui::message(workspace_->msgboxTitle, text);
}

std::vector<qint32> FrmLetters::chosenIds(const jobchange::LetterReads& reads) const {
    if (!optSelected)
        return fixedIds_;
    if (optSelected->isChecked())
        return {selectedId_};
    return reads.datedOn(dtpDate->date());
}

void FrmLetters::write() {
    const letters::LetterOutput output{optFolder->isChecked() ? letters::LetterOutput::Kind::Folder
                                                              : letters::LetterOutput::Kind::File,
                                       txtOut->text().trimmed()};
    if (output.path.isEmpty()) {
        message(QStringLiteral("Choose where the letters go."));
        txtOut->setFocus();
        return;
    }
    QString problem;
    {
        const ui::WaitCursor wait;
        try {
            const report::ReportFile letterTemplate =
                letters::loadLetterTemplate(txtTemplate->text().trimmed());
            const jobchange::LetterReads reads(workspace_);
            const std::vector<qint32> ids = chosenIds(reads);
            if (ids.empty())
                problem = QStringLiteral("No job change is dated %1.")
                              .arg(data::dateText(dtpDate->date()));
            else
                written_ =
                    letters::writeLetters(reads, ids, letterTemplate, output, QDate::currentDate());
        } catch (const data::DbError& error) {
            problem = error.description();
        }
    }
    if (!problem.isEmpty()) {
        message(problem);
        return;
    }
    message(letters::lettersSummary(written_, output));
    if (written_.letters > 0)
        accept();
}
