// The Revision Letters window, opened from the register as a clerk would, with message boxes
// answered by script.

#include "entry/entryfixture.h"
#include "letters/revisionletter.h"
#include "letterwindow/frmletters.h"

#include <QRadioButton>

namespace {

class LettersWindow : public RegisterDriven {
protected:
    LettersWindow() {
        data.jobChange(1, "JC1", "2003-03-01", 1);
        data.jobChange(2, "JC2", "2003-03-01", 4, false, 1, 1);
        data.jobChange(3, "JC3", "2003-03-01", 2, true);
        db.insert("pempgcAllowance", {"1, 1, 1, 1, 5000, 5500, 'O'", "1, 1, 2, 3, 0, 300, 'N'"});
        reloadRegister();
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(LettersWindow, TheSelectedJobChangeOrEveryOneOfItsDateAndAFaultKeepsTheWindowOpen) {
    master->flexMaster->selectRowAcross(gridRow(*master->flexMaster, 1, "JC2"));
    ASSERT_TRUE(master->cmdLetters->isEnabled());
    writeFile(path("ours.tpl"), "[layout]\n{{employee_name}} {{basic}}\n");
    modal.thenOn<FrmLetters>([&](FrmLetters& form) {
        EXPECT_EQ(form.optSelected->text(), "The selected job change, JC2");
        EXPECT_EQ(form.dtpDate->date(), QDate(2003, 3, 1));
        form.txtTemplate->setText(path("ours.tpl"));
        form.optDate->setChecked(true);
        form.txtOut->setText(path("letters.pdf"));
        form.cmdOk->click();
        EXPECT_EQ(form.result(), QDialog::Rejected);
        EXPECT_TRUE(messages.texts().value(0).contains("no value named \"basic\""));
        EXPECT_FALSE(QFile::exists(path("letters.pdf")));

        form.txtTemplate->setText(letters::defaultLetterTemplate());
        form.cmdOk->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    master->cmdLetters->click();
    EXPECT_EQ(messages.texts().value(1),
              "Wrote 2 letters to " + path("letters.pdf") + ". Cancelled, so left out: JC3.");
    const std::optional<QString> text = pdfText(path("letters.pdf"), true);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    QStringList pages = text->normalized(QString::NormalizationForm_KC).split('\f');
    for (QString& page : pages)
        page = page.simplified();
    ASSERT_EQ(pages.size(), 3) << *text;
    EXPECT_TRUE(pages[0].contains("Allowance Medical — $ 300.00 Added")) << pages[0];
    EXPECT_TRUE(pages[0].contains("appointed Officer in the Senior grade")) << pages[0];
    EXPECT_TRUE(pages[1].contains("Dear Dina")) << pages[1];
    EXPECT_TRUE(pages[1].contains("as Clerk in the Junior grade has been revised")) << pages[1];
}

} // namespace
