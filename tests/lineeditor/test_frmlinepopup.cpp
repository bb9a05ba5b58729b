#include "component/basgrade.h"
#include "lineeditor/frmlinepopup.h"
#include "lineeditor/revisionlist.h"
#include "sharedlib/clscommongen.h"
#include "support/scripted.h"
#include "support/testdb.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Kind {
    LineKind kind;
    const char* name;
    QString selectMessage;
    QString existsMessage;
    int activeTypes; // of the demo company
    bool loadingFocusesCombo;
    const char* dropCurrencyOfType2;
};

void PrintTo(const Kind& kind, std::ostream* os) {
    *os << kind.name;
}

// In the demo company types 1 to 3 of both kinds are in Rupee (Rs), type 5 in US Dollar ($).
constexpr int kDollarType = 5;

class LineEditor : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        db.loadDemo();
        db.useContext(1, 1, QDate(2026, 11, 30));
        list.reset(createRevisionList(k().kind, nullptr));
    }
    const Kind& k() const { return GetParam(); }

    // Standing lines of types 1 to 3, the first unchecked.
    void standingLines() {
        for (int id = 1; id <= 3; ++id)
            addRevisionRow(list.get(), QStringLiteral("Standing %1").arg(id),
                           QStringLiteral("%1.00").arg(id * 100), QString::number(id), "O",
                           QStringLiteral("%1.00").arg(id * 100), "", id != 1);
    }

    // Opened as the entry window's Add and Edit open it.
    std::unique_ptr<FrmLinePopup> open(const QString& mode, int selectedRow = -1) {
        if (selectedRow >= 0)
            list->setCurrentItem(list->topLevelItem(selectedRow));
        auto editor = std::make_unique<FrmLinePopup>(k().kind, list.get(), mode);
        if (mode == "E") {
            editor->txtAmount->setText(list->currentItem()->text(revcol::RevisedAmount));
            clsCommonGen().SelectComboItemByValue(editor->typeCombo(),
                                                  list->currentItem()->text(revcol::TypeId));
        }
        editor->show();
        return editor;
    }

    static void enter(FrmLinePopup& editor, int typeId, const QString& amount) {
        editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(typeId));
        editor.txtAmount->setText(amount);
    }
    static QString navigation(const FrmLinePopup& e) {
        QString state;
        for (const QPushButton* b : {e.cmdFirst, e.cmdPrevious, e.cmdNext, e.cmdLast})
            state += b->isEnabled() ? '1' : '0';
        return state;
    }
    QStringList row(int i) const {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << list->topLevelItem(i)->text(c);
        return cells;
    }

    TestDatabase db;
    ScriptedMessages messages;
    std::unique_ptr<QTreeWidget> list;
};

TEST_P(LineEditor, OffersActiveTypesAndLabelsTheAmountWithTheTypesCurrency) {
    db.exec(k().dropCurrencyOfType2);
    auto editor = open("N");
    QComboBox* combo = editor->typeCombo();
    EXPECT_EQ(combo->count(), k().activeTypes);
    EXPECT_EQ(combo->currentIndex(), -1);

    enter(*editor, kDollarType, "");
    EXPECT_EQ(editor->lblAmount->text(), "Amount($):");
    enter(*editor, 1, "");
    EXPECT_EQ(editor->lblAmount->text(), "Amount(Rs):");
    QTest::keyClicks(combo, "x");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->currentText(), combo->itemText(0) + "x");
    EXPECT_EQ(editor->lblAmount->text(), "Amount :");

    enter(*editor, 2, "10"); // no currency row
    EXPECT_EQ(editor->lblAmount->text(), "Amount :");
    editor->cmdOk->click();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(revcol::Currency), "");
}

TEST_P(LineEditor, AddAppendsACheckedNewLineAndStaysOpenCleared) {
    auto editor = open("N");
    EXPECT_EQ(navigation(*editor), "0000");
    enter(*editor, 1, "1");
    editor->cmdOk->click();
    EXPECT_EQ(navigation(*editor), "1111");

    enter(*editor, kDollarType, "12.5");
    editor->cmdOk->click();
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(row(1), (QStringList{"2", editor->typeCombo()->itemText(4), "12.50", "5", "N", "0.00",
                                   "US Dollar"}));
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->typeCombo()->currentText(), "");
    EXPECT_EQ(editor->txtAmount->text(), "");
    EXPECT_EQ(editor->focusWidget(), editor->typeCombo());
}

TEST_P(LineEditor, AddRefusesNoTypeABlankAmountAndAListedType) {
    standingLines();
    auto editor = open("N");
    editor->txtAmount->setText("10");
    editor->cmdOk->click();
    enter(*editor, kDollarType, "   ");
    editor->cmdOk->click();
    EXPECT_EQ(editor->focusWidget(), editor->txtAmount);
    enter(*editor, 2, "10");
    editor->cmdOk->click();
    EXPECT_EQ(editor->focusWidget(), editor->typeCombo());
    // A row reached by navigation is only a starting point: OK still adds, so it is a duplicate.
    editor->cmdLast->click();
    EXPECT_EQ(editor->typeCombo()->currentData().toInt(), 3);
    editor->cmdOk->click();

    EXPECT_EQ(messages.texts(), (QStringList{k().selectMessage, "Enter amount", k().existsMessage,
                                             k().existsMessage}));
    EXPECT_EQ(messages.shown.at(0).title, "Payroll");
    EXPECT_EQ(list->topLevelItemCount(), 3);
}

TEST_P(LineEditor, NavigationLoadsTheRowAndSetsTheButtonsForItsPosition) {
    standingLines();
    auto editor = open("N");
    editor->typeCombo()->setEnabled(false);
    editor->cmdLast->click();
    EXPECT_EQ(editor->txtAmount->text(), "300.00");
    EXPECT_EQ(editor->lblAmount->text(), "Amount(Rs):");
    EXPECT_EQ(navigation(*editor), "1100");
    EXPECT_EQ(editor->typeCombo()->isEnabled(), k().loadingFocusesCombo);
    editor->cmdPrevious->click();
    EXPECT_EQ(navigation(*editor), "1111");
    editor->cmdPrevious->click();
    EXPECT_EQ(editor->txtAmount->text(), "100.00");
    EXPECT_EQ(navigation(*editor), "0011");
    editor->cmdNext->click();
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(navigation(*editor), "1111");
}

TEST_P(LineEditor, EditRewritesTheRowKeepsSerialLetterAndOldAmountAndLoadsTheNext) {
    standingLines();
    auto editor = open("E", 0);
    EXPECT_EQ(editor->lblAmount->text(), "Amount(Rs):");
    enter(*editor, kDollarType, "750");
    editor->cmdOk->click();
    EXPECT_EQ(row(0), (QStringList{"1", editor->typeCombo()->itemText(4), "750.00", "5", "O",
                                   "100.00", "US Dollar"}));
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(editor->txtAmount->text(), "200.00");
    EXPECT_EQ(editor->typeCombo()->currentData().toInt(), 2);

    // Keeping its own type is fine; taking another row's type is not.
    editor->cmdOk->click();
    EXPECT_EQ(row(1).at(revcol::Currency), "Rupee");
    const QStringList last = row(2);
    enter(*editor, 2, "1");
    editor->cmdOk->click();
    EXPECT_EQ(messages.texts(), QStringList{k().existsMessage});
    EXPECT_EQ(row(2), last);
}

TEST_P(LineEditor, EditingTheLastRowStaysThereWithNextAndLastDisabled) {
    standingLines();
    auto editor = open("E", 2);
    editor->cmdOk->click();
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(navigation(*editor), "1100");
}

INSTANTIATE_TEST_SUITE_P(
    BothKinds, LineEditor,
    ::testing::Values(Kind{LineKind::Allowance, "Allowance", "select the allowance type",
                           "Allowance already exists", 6, true,
                           "update pay_allowances set aCurrencyID = 99 where aAllowanceID = 2"},
                      Kind{LineKind::Deduction, "Deduction", "select the deduction type",
                           "Deduction already exists", 5, false,
                           "update pay_deductions set dCurrencyID = 99 where dDedID = 2"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
