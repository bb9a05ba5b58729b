#include "entryfixture.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Each save refused by validation writes nothing; the window stays as it was.
class Validation : public ::testing::Test {
protected:
    void SetUp() override {
        form = openNew();
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        before = db.snapshot();
    }

    // A complete entry for Asha: Officer, basic 25000, on the process date.
    void complete() {
        pick(*form, "Asha");
        form->cboNewgrade->setCurrentIndex(form->cboNewgrade->findData(2));
        form->txtNewbasic->setText(QStringLiteral("25000"));
    }

    // Presses Save; the one message shown, or "" when none was.
    QString save() {
        messages.clear();
        form->txtRemarks->setFocus();
        form->cmdOK->click();
        EXPECT_LE(messages.shown.size(), 1u);
        return messages.shown.empty() ? QString() : messages.shown[0].text;
    }

    void expectRefused(const QString& message, QWidget* focus) {
        EXPECT_EQ(save(), message);
        if (!messages.shown.empty()) {
            EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Information);
            EXPECT_EQ(messages.shown[0].title, "Payroll");
        }
        if (focus)
            EXPECT_TRUE(focus->hasFocus()) << focus->objectName().toStdString();
        else
            EXPECT_TRUE(form->txtRemarks->hasFocus()) << "the focus stays where it is";
        EXPECT_EQ(db.snapshot(), before);
        EXPECT_TRUE(form->isVisible());
    }

    TestDatabase db;
    EntryData data{db};
    ScriptedMessages messages;
    std::unique_ptr<frmGrade> form;
    QMap<QString, QStringList> before;
};

TEST_F(Validation, TheEmployeeIsAskedForFirstThenTheNewJob) {
    expectRefused("Select employee", form->cboEmployee);
    pick(*form, "Asha");
    expectRefused("Select new grade", form->cboNewgrade);
}

TEST_F(Validation, TheNewBasicMustReadAsAPositiveNumber) {
    complete();
    for (const char* basic : {"", "0", "0.00", "-5", "abc"}) {
        form->txtNewbasic->setText(QString::fromLatin1(basic));
        expectRefused("enter new basic", form->txtNewbasic);
    }
    form->txtNewbasic->setText(QStringLiteral("12abc"));
    EXPECT_TRUE(form->fnValidate()) << "reads as 12";
}

TEST_F(Validation, TheJobDateMayNotLieBeforeTheProcessDate) {
    complete();
    form->dtpGDate->setDate(QDate(2003, 2, 13));
    expectRefused("Grade Change Date Less than Current Date", form->dtpGDate);
    messages.clear();
    for (const QDate& date : {QDate(2003, 2, 14), QDate(2003, 3, 1)}) {
        form->dtpGDate->setDate(date);
        EXPECT_TRUE(form->fnValidate());
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Validation, AnUncheckedAddedLineBlocksTheSaveAnUncheckedCarriedOverOneDoesNot) {
    complete();
    form->lvwAllow->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    form->lvwDeduct->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(form->fnValidate());

    QTreeWidgetItem* allowance =
        addRevisionRow(form->lvwAllow, "Medical", "5.00", "3", "N", "0.00", "US Dollar", false);
    QTreeWidgetItem* deduction =
        addRevisionRow(form->lvwDeduct, "Income Tax", "5.00", "2", "N", "0.00", "Rupee", false);
    expectRefused("New Allowances is not checked either check or delete", nullptr);
    allowance->setCheckState(0, Qt::Checked);
    expectRefused("New Dedcution is not checked either check or delete", nullptr);
    deduction->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(form->fnValidate());
}

TEST_F(Validation, ASaveWithoutTheOldJobIsRefusedBeforeAnythingIsWritten) {
    pick(*form, "Dina"); // on an inactive designation: no old job
    form->cboNewgrade->setCurrentIndex(form->cboNewgrade->findData(2));
    form->txtNewbasic->setText(QStringLiteral("16000"));
    int writes = 0;
    db.db().setWriteHook([&](const QString&) { ++writes; });
    expectRefused("Select old grade", form->cboOldGrade);
    EXPECT_EQ(writes, 0);
    EXPECT_FALSE(db.db().inTransaction());
}

} // namespace
