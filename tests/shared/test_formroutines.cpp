#include "jobchange/lookups.h"
#include "jobchange/writestatements.h"
#include "shared/formroutines.h"
#include "support/check.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// One control of every kind the tags follow, and a date picker they do not.
struct Window {
    QDialog dialog;
    QLineEdit* text = new QLineEdit(QStringLiteral("Annual raise"), &dialog);
    QComboBox* combo = new QComboBox(&dialog);
    QCheckBox* check = new QCheckBox(&dialog);
    QRadioButton* option = new QRadioButton(&dialog);
    QDateEdit* date = new QDateEdit(QDate(2003, 2, 14), &dialog);

    Window() {
        combo->addItems({QStringLiteral("Junior - Clerk"), QStringLiteral("Senior - Officer")});
    }
};

TEST(FormRoutines, FormChangedComparesTrimmedTextsExactlyAndValuesAgainstTheTags) {
    Window w;
    SetControlTags(&w.dialog);
    EXPECT_FALSE(fnFormChanged(&w.dialog));
    w.text->setText(QStringLiteral("Annual raise   "));
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "trailing blanks";
    w.date->setDate(QDate(2003, 3, 1));
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "the date picker is not followed";
    w.text->setText(QStringLiteral("annual raise"));
    EXPECT_TRUE(fnFormChanged(&w.dialog)) << "a letter's case";
    SetControlTags(&w.dialog);
    EXPECT_FALSE(fnFormChanged(&w.dialog)) << "tags taken again";
    w.combo->setCurrentIndex(1);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
    w.combo->setCurrentIndex(0);
    w.check->setChecked(true);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
    w.check->setChecked(false);
    w.option->setChecked(true);
    EXPECT_TRUE(fnFormChanged(&w.dialog));
}

TEST(FormRoutines, ClosedConnectionErrorsArePassedOnWithTheHint) {
    const QString hint = QStringLiteral("\rHINT: Check whether Properties assigned");
    auto workspace = std::make_shared<jobchange::Workspace>();
    workspace->connection = std::make_shared<data::Connection>();
    const jobchange::Lookups lookups(workspace);
    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    combo.setCurrentIndex(0);
    const auto populate = [&](const char* kind) {
        ComboPopulate(&combo, [&] {
            return lookups.choices(
                {"dDesigID", "gDescription", "dDescription", kind, {}, {}, {}, 0});
        });
    };
    const std::function<void()> calls[] = {
        [&] {
            jobchange::fnDeleteRows(workspace->db(), QStringLiteral("pay_empallowances"),
                                    QStringLiteral(" eacompanyid = 1"));
        },
        [&] { populate("G"); }};
    for (const auto& call : calls) {
        const data::DbError error = thrown(call);
        EXPECT_EQ(error.number(), data::kErrConnectionClosed);
        EXPECT_TRUE(error.description().endsWith(hint)) << error.description();
        EXPECT_GT(error.description().size(), hint.size());
    }
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentIndex(), -1);
    combo.addItem(QStringLiteral("stale"));
    populate("X"); // reads nothing
    EXPECT_EQ(combo.count(), 0);
}

} // namespace
