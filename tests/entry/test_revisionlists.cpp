#include "entry/revisionlistcommands.h"
#include "entryfixture.h"
#include "lineeditor/frmlinepopup.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

class RevisionLists : public ::testing::Test {
protected:
    void SetUp() override {
        form = openNew();
        form->show();
        form->listCommands->showPopup = [this](QMenu& menu, const QPoint&) {
            popups << menu.objectName();
        };
    }

    // Asha: allowances House Rent and Conveyance ("O"); one deduction.
    void asha() { pick(*form, "Asha"); }

    static QTreeWidgetItem* addedRow(QTreeWidget* list, const QString& description, int typeId) {
        return addRevisionRow(list, description, "10.00", QString::number(typeId), "N", "0.00",
                              "Rupee", true);
    }

    void press(QTreeWidget* list, Qt::MouseButton button, int row = -1) {
        const QPoint at = row >= 0 ? list->visualItemRect(list->topLevelItem(row)).center()
                                   : QPoint(5, list->viewport()->height() - 5);
        QTest::mousePress(list->viewport(), button, {}, at);
        QTest::mouseRelease(list->viewport(), button, {}, at);
    }

    void doubleClick(QTreeWidget* list, int row = -1) {
        const QPoint at = row >= 0 ? list->visualItemRect(list->topLevelItem(row)).center()
                                   : QPoint(5, list->viewport()->height() - 5);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    QString menuState() const {
        return QStringLiteral("%1%2%3")
            .arg(form->mnuAdd->isEnabled() ? 'A' : '-')
            .arg(form->mnuEdit->isEnabled() ? 'E' : '-')
            .arg(form->mnuDelete->isEnabled() ? 'D' : '-');
    }

    TestDatabase db;
    EntryData data{db};
    ScriptedMessages messages;
    ScriptedModal modal;
    std::unique_ptr<frmGrade> form;
    QStringList popups;
};

TEST_F(RevisionLists, TheMenuFollowsTheRowUnderTheMouse) {
    pick(*form, "Dina"); // no lines
    press(form->lvwDeduct, Qt::RightButton);
    EXPECT_EQ(menuState(), "A--") << "empty list";
    EXPECT_EQ(popups, QStringList({"mnuPopup"}));
    EXPECT_EQ(form->listCommands->strListFlag, "ded");

    asha();
    press(form->lvwAllow, Qt::RightButton, 0);
    EXPECT_EQ(menuState(), "AE-") << "carried-over row";
    EXPECT_EQ(form->listCommands->strListFlag, "all");

    addedRow(form->lvwAllow, "Medical", 3);
    press(form->lvwAllow, Qt::LeftButton, 2);
    EXPECT_EQ(menuState(), "AED") << "added row";
    EXPECT_EQ(popups.size(), 2) << "a left press sets the items but shows no menu";
}

TEST_F(RevisionLists, ListEventsDoNothingWhileSaveIsDisabledOrNoEmployeeIsChosen) {
    press(form->lvwAllow, Qt::RightButton);
    doubleClick(form->lvwAllow);
    EXPECT_TRUE(popups.isEmpty());
    EXPECT_EQ(form->listCommands->strListFlag, "");

    asha();
    addedRow(form->lvwAllow, "Medical", 3);
    form->cmdOK->setEnabled(false);
    press(form->lvwAllow, Qt::RightButton, 2);
    doubleClick(form->lvwAllow, 2);
    form->lvwAllow->setFocus();
    QTest::keyClick(form->lvwAllow, Qt::Key_Delete);
    QTest::keyClick(form->lvwDeduct, Qt::Key_Return);
    EXPECT_TRUE(popups.isEmpty());
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->lvwAllow->topLevelItemCount(), 3);
}

TEST_F(RevisionLists, DeleteRemovesOnlyAddedLinesAfterTheQuestion) {
    asha();
    addedRow(form->lvwAllow, "Medical", 3);
    addedRow(form->lvwAllow, "Special", 4);
    QTreeWidget* list = form->lvwAllow;
    list->setFocus();

    list->setCurrentItem(list->topLevelItem(0));
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_TRUE(messages.shown.empty()) << "a carried-over line is not deleted";
    EXPECT_EQ(list->topLevelItemCount(), 4);

    list->setCurrentItem(list->topLevelItem(2));
    messages.answer(ui::MsgAnswer::No);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Are you sure you want to delete \rMedical?");
    EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Question);
    EXPECT_EQ(messages.shown[0].buttons, ui::MsgButtons::YesNo);
    EXPECT_EQ(messages.shown[0].title, "Payroll");
    EXPECT_EQ(list->topLevelItemCount(), 4);

    messages.answer(ui::MsgAnswer::Yes);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(2)->text(revcol::Description), "Special");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list->topLevelItem(i)->text(revcol::SlNo), QString::number(i + 1));
    EXPECT_EQ(selectedRow(list), list->topLevelItem(2)) << "the last row is selected";
}

TEST_F(RevisionLists, DeletingTheOnlyRowEmptiesTheListAndDisablesEditAndDelete) {
    pick(*form, "Dina");
    addedRow(form->lvwDeduct, "Income Tax", 2);
    press(form->lvwDeduct, Qt::RightButton, 0);
    ASSERT_EQ(menuState(), "AED");
    messages.answer(ui::MsgAnswer::Yes);
    form->mnuDelete->trigger();
    EXPECT_EQ(form->lvwDeduct->topLevelItemCount(), 0);
    EXPECT_EQ(menuState(), "A--");
}

TEST_F(RevisionLists, AddOpensTheEditorInAddModeAndItsLineLandsInTheList) {
    asha();
    press(form->lvwAllow, Qt::RightButton);
    modal.then([this](QDialog& dialog) {
        auto& editor = dynamic_cast<FrmLinePopup&>(dialog);
        EXPECT_EQ(form->strAllowanceFlag, "N");
        EXPECT_EQ(editor.lblAmount->text(), "Revised  Amount");
        editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(3));
        editor.txtAmount->setText(QStringLiteral("12.5"));
        editor.cmdOk->click();
        return QDialog::Rejected;
    });
    form->mnuAdd->trigger();
    EXPECT_EQ(modal.shown, QStringList({"frmAllowpopup"}));
    ASSERT_EQ(form->lvwAllow->topLevelItemCount(), 3);
    EXPECT_EQ(rowText(form->lvwAllow, 2), "3|Medical|12.50|3|N|0.00|US Dollar|checked");

    // The deductions list opens its own editor with its own header.
    press(form->lvwDeduct, Qt::RightButton);
    modal.then([this](QDialog& dialog) {
        auto& editor = dynamic_cast<FrmLinePopup&>(dialog);
        EXPECT_EQ(form->strDeductionFlag, "N");
        EXPECT_EQ(editor.lblAmount->text(), "Revised Amount");
        return QDialog::Rejected;
    });
    form->mnuAdd->trigger();
    EXPECT_EQ(modal.shown.last(), "frmdeductpopup");
}

TEST_F(RevisionLists, EditOpensTheEditorOnTheSelectedRow) {
    asha();
    const int row =
        form->lvwAllow->topLevelItem(0)->text(revcol::Description) == "Conveyance" ? 0 : 1;
    modal.then([this](QDialog& dialog) {
        auto& editor = dynamic_cast<FrmLinePopup&>(dialog);
        EXPECT_EQ(form->strAllowanceFlag, "E");
        EXPECT_EQ(editor.txtAmount->text(), "800.00");
        EXPECT_EQ(editor.typeCombo()->currentText(), "Conveyance");
        EXPECT_EQ(editor.lblAmount->text(), "Amount(Rs):");
        return QDialog::Rejected;
    });
    doubleClick(form->lvwAllow, row);
    EXPECT_EQ(modal.shown, QStringList({"frmAllowpopup"}));
}

TEST_F(RevisionLists, DoubleClickAndEnterOpenAddOnAnEmptyListAndEditOtherwise) {
    pick(*form, "Dina");
    doubleClick(form->lvwAllow);
    EXPECT_EQ(form->strAllowanceFlag, "N");

    asha();
    form->lvwDeduct->setCurrentItem(form->lvwDeduct->topLevelItem(0));
    form->lvwDeduct->setFocus();
    QTest::keyClick(form->lvwDeduct, Qt::Key_Return);
    EXPECT_EQ(form->strDeductionFlag, "E");
    EXPECT_EQ(form->listCommands->strListFlag, "ded");

    form->lvwAllow->setCurrentItem(form->lvwAllow->topLevelItem(0));
    form->lvwAllow->setFocus();
    QTest::keyClick(form->lvwAllow, Qt::Key_Return);
    EXPECT_EQ(form->strAllowanceFlag, "E");
    EXPECT_EQ(modal.shown, QStringList({"frmAllowpopup", "frmdeductpopup", "frmAllowpopup"}));
}

TEST_F(RevisionLists, WithRowsButNoneSelectedEditAndDeleteDoNothing) {
    asha();
    addedRow(form->lvwAllow, "Medical", 3);
    form->lvwAllow->clearSelection();
    press(form->lvwAllow, Qt::RightButton);
    EXPECT_EQ(menuState(), "A--");
    form->mnuEdit->trigger();
    form->mnuDelete->trigger();
    doubleClick(form->lvwAllow);
    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->lvwAllow->topLevelItemCount(), 3);
}

} // namespace
