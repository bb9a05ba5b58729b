#include "component/basgrade.h"
#include "lineeditor/frmlinepopup.h"
#include "lineeditor/revisionlist.h"
#include "sharedlib/clscommongen.h"
#include "support/scripted.h"
#include "support/testdb.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A demo type of company 1.
struct Type {
    int id;
    QString text;
};

struct Kind {
    LineKind kind;
    const char* name;
    const char* window;
    QString caption;
    const char* combo;
    QString typeLabel;
    QString selectMessage;
    QString existsMessage;
    QString currencyQueryOfDollar; // as sent for the dollar type of company 1
    Type rupee1, rupee2, rupee3;   // currency Rupee, symbol Rs
    Type dollar;                   // currency US Dollar, symbol $
    int activeTypes;
    bool loadingFocusesCombo;
};

const Kind kAllowance{
    LineKind::Allowance,
    "Allowance",
    "frmAllowpopup",
    "Alloances",
    "cboAllow",
    "Allowance Type:",
    "select the allowance type",
    "Allowance already exists",
    "select currencyname,symbol from pay_currencymaster a,pay_allowances b where "
    "a.companyid=b.aCompanyID and a.currencyID=b.aCurrencyID and  b.aCompanyID=1 and "
    "b.aAllowanceID=5",
    {1, "House Rent Allowance"},
    {2, "Conveyance Allowance"},
    {3, "Medical Allowance"},
    {5, "Overseas Allowance"},
    6,
    true,
};

const Kind kDeduction{
    LineKind::Deduction,
    "Deduction",
    "frmdeductpopup",
    "Deductions",
    "cboDeduct",
    "Deduction Type:",
    "select the deduction type",
    "Deduction already exists",
    "select a.currencyname,a.symbol from pay_currencymaster a,pay_deductions b where "
    "a.companyid=b.dCompanyID and a.currencyID=b.dCurrencyID and  b.dCompanyID=1 and "
    "b.dDedID=5",
    {1, "Provident Fund"},
    {2, "Professional Tax"},
    {3, "Income Tax"},
    {5, "Salary Advance Recovery"},
    5,
    false,
};

void PrintTo(const Kind& kind, std::ostream* os) {
    *os << kind.name;
}

class LineEditor : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        db.loadDemo();
        db.useContext(1, 1, QDate(2026, 11, 30));
        list.reset(createRevisionList(k().kind, nullptr));
    }

    const Kind& k() const { return GetParam(); }

    // The employee's standing lines, as the entry window shows them after picking him.
    void standingLines() {
        addRevisionRow(list.get(), k().rupee1.text, "1000.00", QString::number(k().rupee1.id), "O",
                       "1000.00", "", false);
        addRevisionRow(list.get(), k().rupee2.text, "200.00", QString::number(k().rupee2.id), "O",
                       "200.00", "", true);
        addRevisionRow(list.get(), k().rupee3.text, "300.00", QString::number(k().rupee3.id), "O",
                       "300.00", "", true);
    }

    // Opened as the entry window's Add or Edit does, and shown.
    std::unique_ptr<FrmLinePopup> open(const QString& mode) {
        auto editor = std::make_unique<FrmLinePopup>(k().kind, list.get(), mode);
        if (mode == "E") {
            QTreeWidgetItem* row = list->currentItem();
            editor->txtAmount->setText(row->text(revcol::RevisedAmount));
            clsCommonGen().SelectComboItemByValue(editor->typeCombo(),
                                                  row->text(revcol::TypeId).toInt());
        }
        editor->show();
        return editor;
    }

    static void choose(FrmLinePopup& editor, int typeId) {
        editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(typeId));
    }

    static QStringList row(const QTreeWidgetItem* item) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << item->text(c);
        return cells;
    }

    static QString navigation(const FrmLinePopup& editor) {
        QString state;
        for (const QPushButton* b :
             {editor.cmdFirst, editor.cmdPrevious, editor.cmdNext, editor.cmdLast})
            state += b->isEnabled() ? '1' : '0';
        return state;
    }

    TestDatabase db;
    ScriptedMessages messages;
    std::unique_ptr<QTreeWidget> list;
};

TEST_P(LineEditor, LoadsTheCompanysActiveTypesUnderItsOwnCaptions) {
    auto editor = open("N");
    EXPECT_EQ(editor->objectName(), k().window);
    EXPECT_EQ(editor->windowTitle(), k().caption);
    EXPECT_EQ(editor->findChild<QLabel*>("Label1")->text(), k().typeLabel);
    EXPECT_EQ(editor->lblAmount->text(), "Amount:");
    QComboBox* combo = editor->findChild<QComboBox*>(k().combo);
    ASSERT_EQ(combo, editor->typeCombo());
    EXPECT_EQ(combo->count(), k().activeTypes);
    for (int i = 0; i < combo->count(); ++i)
        EXPECT_EQ(combo->itemData(i).toInt(), i + 1) << "inactive or another company's type";
    EXPECT_EQ(combo->itemText(0), k().rupee1.text);
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_P(LineEditor, AmountLabelShowsTheChosenTypesSymbolAndNoneOnceTheTextIsChanged) {
    auto editor = open("N");
    editor->lblAmount->setText(list->headerItem()->text(revcol::RevisedAmount));
    choose(*editor, k().dollar.id);
    EXPECT_EQ(editor->lblAmount->text(), "Amount($):");
    choose(*editor, k().rupee1.id);
    EXPECT_EQ(editor->lblAmount->text(), "Amount(Rs):");

    QTest::keyClicks(editor->typeCombo(), "x");
    EXPECT_EQ(editor->typeCombo()->currentIndex(), -1);
    EXPECT_EQ(editor->typeCombo()->currentText(), k().rupee1.text + "x");
    EXPECT_EQ(editor->lblAmount->text(), "Amount :");

    choose(*editor, k().dollar.id);
    editor->typeCombo()->clearEditText();
    EXPECT_EQ(editor->typeCombo()->currentIndex(), -1);
    EXPECT_EQ(editor->lblAmount->text(), "Amount :");
    editor->txtAmount->setText("5");
    editor->cmdOk->click();
    EXPECT_EQ(messages.texts(), QStringList{k().selectMessage});
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST_P(LineEditor, TypeWithoutCurrencyRowHasNoSymbolAndAnEmptyCurrency) {
    if (k().kind == LineKind::Allowance)
        db.exec("update pay_allowances set aCurrencyID = 99 where aAllowanceID = 2");
    else
        db.exec("update pay_deductions set dCurrencyID = 99 where dDedID = 2");
    auto editor = open("N");
    choose(*editor, k().dollar.id);
    choose(*editor, k().rupee2.id);
    EXPECT_EQ(editor->lblAmount->text(), "Amount :");
    editor->txtAmount->setText("10");
    editor->cmdOk->click();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(revcol::Currency), "");
}

TEST_P(LineEditor, CurrencyIsReadWithTheStatementAsWritten) {
    QTemporaryDir dir;
    const QString trace = dir.filePath("trace.sql");
    auto editor = open("N");
    db.db().setTraceFile(trace);
    choose(*editor, k().dollar.id);
    db.db().setTraceFile({});
    QFile file(trace);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).trimmed(), k().currencyQueryOfDollar);
}

TEST_P(LineEditor, AddAppendsACheckedNewLineAndKeepsTheEditorOpenAndCleared) {
    standingLines();
    auto editor = open("N");
    editor->activateWindow();
    choose(*editor, k().dollar.id);
    editor->txtAmount->setText("12.5");
    editor->cmdOk->click();

    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(list->topLevelItemCount(), 4);
    const QTreeWidgetItem* added = list->topLevelItem(3);
    EXPECT_EQ(row(added), (QStringList{"4", k().dollar.text, "12.50",
                                       QString::number(k().dollar.id), "N", "0.00", "US Dollar"}));
    EXPECT_EQ(added->checkState(0), Qt::Checked);
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Unchecked) << "other rows untouched";
    EXPECT_EQ(list->topLevelItem(0)->text(revcol::RevisedAmount), "1000.00");

    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->typeCombo()->currentIndex(), -1);
    EXPECT_EQ(editor->typeCombo()->currentText(), "");
    EXPECT_EQ(editor->txtAmount->text(), "");
    EXPECT_EQ(editor->focusWidget(), editor->typeCombo());

    choose(*editor, 4);
    editor->txtAmount->setText("7");
    editor->cmdOk->click();
    ASSERT_EQ(list->topLevelItemCount(), 5);
    EXPECT_EQ(list->topLevelItem(4)->text(revcol::SlNo), "5");
    EXPECT_EQ(list->topLevelItem(4)->text(revcol::RevisedAmount), "7.00");

    editor->cmdClose->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(list->topLevelItemCount(), 5);
}

TEST_P(LineEditor, AddRefusesAMissingTypeABlankAmountAndATypeAlreadyListed) {
    standingLines();
    auto editor = open("N");
    editor->txtAmount->setText("10");
    editor->cmdOk->click();
    EXPECT_EQ(editor->focusWidget(), editor->typeCombo());

    choose(*editor, k().dollar.id);
    editor->txtAmount->setText("   ");
    editor->cmdOk->click();
    EXPECT_EQ(editor->focusWidget(), editor->txtAmount);

    choose(*editor, k().rupee2.id);
    editor->txtAmount->setText("10");
    editor->cmdOk->click();
    EXPECT_EQ(editor->focusWidget(), editor->typeCombo());

    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.texts(),
              (QStringList{k().selectMessage, "Enter amount", k().existsMessage}));
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.title, "Payroll");
        EXPECT_EQ(shown.icon, ui::MsgIcon::Information);
        EXPECT_EQ(shown.buttons, ui::MsgButtons::Ok);
    }
    EXPECT_EQ(list->topLevelItemCount(), 3);
}

TEST_P(LineEditor, NavigationIsDisabledOnAnEmptyListUntilTheFirstAdd) {
    auto editor = open("N");
    EXPECT_EQ(navigation(*editor), "0000");
    choose(*editor, k().rupee1.id);
    editor->txtAmount->setText("1");
    editor->cmdOk->click();
    EXPECT_EQ(navigation(*editor), "1111");
}

TEST_P(LineEditor, NavigationLoadsEachRowAndSetsTheButtonsForItsPosition) {
    standingLines();
    auto editor = open("N");
    EXPECT_EQ(navigation(*editor), "1111");

    editor->cmdLast->click();
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(editor->txtAmount->text(), "300.00");
    EXPECT_EQ(editor->typeCombo()->currentData().toInt(), k().rupee3.id);
    EXPECT_EQ(editor->lblAmount->text(), "Amount(Rs):");
    EXPECT_EQ(navigation(*editor), "1100");

    editor->cmdPrevious->click();
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(editor->txtAmount->text(), "200.00");
    EXPECT_EQ(navigation(*editor), "1111");

    editor->cmdPrevious->click();
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_EQ(navigation(*editor), "0011");

    editor->cmdNext->click();
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(navigation(*editor), "1111");

    editor->cmdFirst->click();
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_EQ(editor->txtAmount->text(), "1000.00");
    EXPECT_EQ(navigation(*editor), "0011");

    // In add mode a loaded row is only a starting point: OK still adds, so its type is taken.
    editor->cmdOk->click();
    EXPECT_EQ(messages.texts(), QStringList{k().existsMessage});
    EXPECT_EQ(list->topLevelItemCount(), 3);
}

TEST_P(LineEditor, OnlyTheAllowanceEditorEnablesAndFocusesTheTypeWhenLoadingARow) {
    standingLines();
    auto editor = open("N");
    editor->typeCombo()->setEnabled(false);
    editor->txtAmount->setFocus();
    editor->cmdFirst->click();
    EXPECT_EQ(editor->typeCombo()->isEnabled(), k().loadingFocusesCombo);
    EXPECT_EQ(editor->focusWidget() == editor->typeCombo(), k().loadingFocusesCombo);
}

TEST_P(LineEditor, EditRewritesTheSelectedRowKeepingItsSerialLetterAndOldAmount) {
    standingLines();
    list->setCurrentItem(list->topLevelItem(0));
    auto editor = open("E");
    EXPECT_EQ(editor->txtAmount->text(), "1000.00");
    EXPECT_EQ(editor->lblAmount->text(), "Amount(Rs):");

    choose(*editor, k().dollar.id);
    editor->txtAmount->setText("750");
    editor->cmdOk->click();

    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QTreeWidgetItem* edited = list->topLevelItem(0);
    EXPECT_EQ(row(edited),
              (QStringList{"1", k().dollar.text, "750.00", QString::number(k().dollar.id), "O",
                           "1000.00", "US Dollar"}));
    EXPECT_EQ(edited->checkState(0), Qt::Checked);

    // The next row is loaded for editing.
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(editor->txtAmount->text(), "200.00");
    EXPECT_EQ(editor->typeCombo()->currentData().toInt(), k().rupee2.id);
    EXPECT_EQ(navigation(*editor), "1111");
}

TEST_P(LineEditor, EditKeepsItsOwnTypeButRefusesAnotherRowsType) {
    standingLines();
    list->setCurrentItem(list->topLevelItem(1));
    auto editor = open("E");
    editor->txtAmount->setText("250");
    editor->cmdOk->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(list->topLevelItem(1)->text(revcol::RevisedAmount), "250.00");
    EXPECT_EQ(list->topLevelItem(1)->text(revcol::Currency), "Rupee");

    // Now on row 3: taking row 1's type is refused and row 3 is left alone.
    ASSERT_EQ(list->currentItem(), list->topLevelItem(2));
    const QStringList before = row(list->topLevelItem(2));
    choose(*editor, k().rupee1.id);
    editor->cmdOk->click();
    EXPECT_EQ(messages.texts(), QStringList{k().existsMessage});
    EXPECT_EQ(row(list->topLevelItem(2)), before);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
}

TEST_P(LineEditor, EditingTheLastRowStaysOnItWithNextAndLastDisabled) {
    standingLines();
    list->setCurrentItem(list->topLevelItem(2));
    auto editor = open("E");
    EXPECT_EQ(navigation(*editor), "1111");
    editor->txtAmount->setText("333.333");
    editor->cmdOk->click();
    EXPECT_EQ(list->topLevelItem(2)->text(revcol::RevisedAmount), "333.33");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(editor->txtAmount->text(), "333.33");
    EXPECT_EQ(navigation(*editor), "1100");
}

TEST_P(LineEditor, AmountTakesOnlyANumberWithTwoDecimals) {
    auto editor = open("N");
    QTest::keyClicks(editor->txtAmount, "1a2.-345");
    EXPECT_EQ(editor->txtAmount->text(), "12.34");
}

INSTANTIATE_TEST_SUITE_P(BothKinds, LineEditor, ::testing::Values(kAllowance, kDeduction),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
