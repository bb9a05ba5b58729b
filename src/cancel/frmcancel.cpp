#include "cancel/frmcancel.h"

#include "shared/keyevents.h"
#include "shared/nulrefusal.h"
#include "ui/messages.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmCancel::frmCancel(jobchange::WorkspacePtr workspace, qint32 jobChangeId, QWidget* parent)
    : QDialog(parent), workspace_(workspace), writer_(std::move(workspace)),
      jobChangeId_(jobChangeId) {
    setObjectName(QStringLiteral("frmCancel"));
    Label1 = new QLabel(QStringLiteral("&Reason :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtcanreason = new QLineEdit(this);
    txtcanreason->setObjectName(QStringLiteral("txtcanreason"));
    Label1->setBuddy(txtcanreason);
    new NulRefusal(txtcanreason, QStringLiteral("Reason"),
                   [this](const QString& text) { ui::message(workspace_->msgboxTitle, text); });
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAutoDefault(false);
    cmdOK->setDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(txtcanreason, 0, 1);
    layout->addWidget(cmdOK, 1, 1, Qt::AlignRight);

    onKeyPress(txtcanreason, [this](int& keyAscii) {
        if (keyAscii == vbKeyReturn) {
            keyAscii = 0;
            cmdOK->setFocus(Qt::TabFocusReason);
        }
    });
    // A button that is never the default does not answer Enter by itself.
    onKeyPress(cmdOK, [this](int& keyAscii) {
        if (keyAscii == vbKeyReturn) {
            keyAscii = 0;
            cmdOK->click();
        }
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmCancel::cmdOK_Click);

    Form_Load();
}

void frmCancel::Form_Load() {
    resize(420, 110);
    setWindowTitle(QStringLiteral("Reason For Deletion"));
}

void frmCancel::cmdOK_Click() {
    const QString& title = workspace_->msgboxTitle;
    if (txtcanreason->text().trimmed().isEmpty()) {
        ui::message(title, QStringLiteral("Enter reason for deletion"));
        txtcanreason->setFocus(Qt::OtherFocusReason);
        return;
    }
    const jobchange::WriteResult result = writer_.cancel(jobChangeId_, txtcanreason->text());
    if (!result.ok) {
        ui::message(title, result.error);
        if (result.refused)
            emit refused();
        return;
    }
    accept();
}
