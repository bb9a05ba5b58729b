#include "entry/entryfixture.h"
#include "lineeditor/frmlinepopup.h"
#include "sharedlib/clscommongen.h"

namespace {

struct Kind {
    LineKind kind;
    QString name;
    int activeTypes; // of the demo company
    bool loadingFocusesCombo;
    const char* dropCurrencyOfType2;
};

// In the demo company types 1 to 3 of both kinds are in Rupee (Rs), type 5 in US Dollar ($).
constexpr int kDollarType = 5;

// Both line editors over a list holding standing lines of types 1 to 3, the first unchecked.
class LineEditor : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        db.loadDemo();
        useContext(db, 1, 1, QDate(2026, 11, 30));
        list.reset(createRevisionList(lineTable(k().kind).listName, lineTable(k().kind).listHeaders,
                                      nullptr));
        for (int id = 1; id <= 3; ++id)
            addRevisionRow(list.get(), QStringLiteral("Standing %1").arg(id),
                           QStringLiteral("%1.00").arg(id * 100), QString::number(id), "O",
                           QStringLiteral("%1.00").arg(id * 100), "Rupee", id != 1);
    }
    const Kind& k() const { return GetParam(); }

    // Opened as the entry window's Add and Edit open it.
    std::unique_ptr<FrmLinePopup> open(const QString& mode) {
        auto editor =
            std::make_unique<FrmLinePopup>(contextWorkspace(), k().kind, list.get(), mode);
        if (mode == "E") {
            editor->txtAmount->setText(list->currentItem()->text(revcol::RevisedAmount));
            clsCommonGen().SelectComboItemByValue(editor->typeCombo(),
                                                  list->currentItem()->text(revcol::TypeId));
        }
        editor->show();
        return editor;
    }
    static void ok(FrmLinePopup& editor, int typeId, const QString& amount) {
        editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(typeId));
        editor.txtAmount->setText(amount);
        editor.cmdOk->click();
    }
    static QString dollarName(FrmLinePopup& e) {
        return e.typeCombo()->itemText(e.typeCombo()->findData(kDollarType));
    }
    QString row(int i) const { return rows(list.get()).value(i); }

    TestDatabase db;
    ScriptedMessages messages;
    std::unique_ptr<QTreeWidget> list;
};

TEST_P(LineEditor, AddRefusesThreeWaysThenAppendsACheckedNewLineAndStaysOpenCleared) {
    auto editor = open("N");
    EXPECT_EQ(editor->typeCombo()->count(), k().activeTypes);
    ok(*editor, -1, "10");
    ok(*editor, kDollarType, "   ");
    ok(*editor, 2, "10");
    // A row reached by navigation only fills the editor: OK still adds, so it is a duplicate.
    editor->cmdLast->click();
    editor->cmdOk->click();

    ok(*editor, kDollarType, "12.5");
    EXPECT_EQ(messages.texts(),
              (QStringList{"select the " + k().name.toLower() + " type", "Enter amount",
                           k().name + " already exists", k().name + " already exists"}));
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(row(3), "4|" + dollarName(*editor) + "|12.50|5|N|0.00|US Dollar|checked");
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->typeCombo()->currentText(), "");
    EXPECT_EQ(editor->txtAmount->text(), "");
}

TEST_P(LineEditor, EditKeepsSerialLetterAndOldAmountLoadsTheNextRowAndRefusesAListedType) {
    db.exec(k().dropCurrencyOfType2);
    list->setCurrentItem(list->topLevelItem(0));
    auto editor = open("E");
    editor->typeCombo()->setEnabled(false);
    ok(*editor, kDollarType, "750");
    EXPECT_EQ(row(0), "1|" + dollarName(*editor) + "|750.00|5|O|100.00|US Dollar|checked");
    EXPECT_EQ(editor->txtAmount->text(), "200.00");
    EXPECT_EQ(editor->typeCombo()->currentData().toInt(), 2);
    EXPECT_EQ(editor->typeCombo()->isEnabled(), k().loadingFocusesCombo);

    // Keeping its own type is fine; taking another row's type is not.
    editor->cmdOk->click();
    EXPECT_EQ(list->topLevelItem(1)->text(revcol::Currency), "");
    const QString last = row(2);
    ok(*editor, 2, "1");
    EXPECT_EQ(messages.texts(), QStringList{k().name + " already exists"});
    EXPECT_EQ(row(2), last);
    // The last row edited stays current, with Next and Last disabled.
    ok(*editor, 3, "1");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_FALSE(editor->cmdNext->isEnabled() || editor->cmdLast->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    BothKinds, LineEditor,
    ::testing::Values(Kind{LineKind::Allowance, "Allowance", 6, true,
                           "update pay_allowances set aCurrencyID = 99 where aAllowanceID = 2"},
                      Kind{LineKind::Deduction, "Deduction", 5, false,
                           "update pay_deductions set dCurrencyID = 99 where dDedID = 2"}),
    [](const auto& info) { return info.param.name.toStdString(); });

} // namespace
