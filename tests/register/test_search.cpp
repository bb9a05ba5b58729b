#include "register/fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

constexpr int kNumber = 1;
constexpr int kName = 3;

// Six job changes whose numbers, dates and names each order differently.
class Search : public ::testing::Test {
protected:
    Search() {
        company.jobChange(1, "1023", "2003-01-05", company.employee("Suresh"));
        company.jobChange(2, "10", "2003-01-01", company.employee("ravi"));
        company.jobChange(3, "7", "2003-01-06", company.employee("Anil"));
        company.jobChange(4, "105", "2003-01-02", company.employee("Rahul"));
        company.jobChange(5, "2000", "2003-01-04", company.employee("Zara"), true);
        company.jobChange(6, "3000", "2003-01-03", company.employee("RAJ"));
    }

    static QString selectedId(FrmMaster& form) {
        return form.flexMaster->textMatrix(form.flexMaster->row(), 0);
    }
    static void search(FrmMaster& form, int column, const QString& typed) {
        form.cboSearch->setCurrentIndex(form.cboSearch->findData(column));
        form.txtsearch->clear();
        QTest::keyClicks(form.txtsearch, typed);
    }
    static QStringList sorted(QStringList texts, bool numeric = false) {
        std::stable_sort(texts.begin(), texts.end(), [&](const QString& a, const QString& b) {
            return numeric ? a.toDouble() < b.toDouble() : a.toUpper() < b.toUpper();
        });
        return texts;
    }

    TestDatabase db;
    RegisterFixture company{db};
};

TEST_F(Search, TwoLettersInAnyCaseFindTheTopmostNameBeginningWithThem) {
    company.withRegister([](FrmMaster& form) {
        for (const QString& typed : {QStringLiteral("ra"), QStringLiteral("RA")}) {
            search(form, kName, typed);
            EXPECT_EQ(gridColumn(form, kName), sorted(gridColumn(form, kName)));
            const int row = form.flexMaster->row();
            EXPECT_EQ(form.flexMaster->textMatrix(row, kName), "Rahul") << typed.toStdString();
            EXPECT_TRUE(form.flexMaster->selectionModel()->isRowSelected(row - 1, {}));
            EXPECT_EQ(form.flexMaster->selectionModel()->selectedIndexes().size(), 7);
        }
    });
}

TEST_F(Search, NumberPrefixMatchesLongerNumbersAndSelectsTheTopmost) {
    company.withRegister([](FrmMaster& form) {
        search(form, kNumber, "10");
        EXPECT_EQ(gridColumn(form, kNumber),
                  QStringList({"7", "10", "105", "1023", "2000", "3000"}));
        EXPECT_EQ(form.flexMaster->textMatrix(form.flexMaster->row(), kNumber), "10");
    });
}

TEST_F(Search, NoMatchLeavesTheGridSortedAndTheSelectionWhereItWas) {
    company.withRegister([](FrmMaster& form) {
        const QString before = selectedId(form);
        search(form, kName, "xy");
        EXPECT_EQ(gridColumn(form, kName), sorted(gridColumn(form, kName)));
        EXPECT_EQ(selectedId(form), before);
    });
}

TEST_F(Search, TypingBeforeASearchColumnIsChosenDoesNothing) {
    company.withRegister([](FrmMaster& form) {
        const QStringList order = gridColumn(form, 0);
        const QString before = selectedId(form);
        QTest::keyClicks(form.txtsearch, "ra");
        EXPECT_EQ(gridColumn(form, 0), order);
        EXPECT_EQ(selectedId(form), before);
    });
}

TEST_F(Search, FoundRowsButtonsFollowTheSelectionRule) {
    company.withRegister([](FrmMaster& form) {
        search(form, kName, "za");
        EXPECT_EQ(selectedId(form), "5");
        EXPECT_FALSE(form.CmdDelete->isEnabled());
        EXPECT_TRUE(form.CmdEdit->isEnabled());
        search(form, kName, "an");
        EXPECT_EQ(selectedId(form), "3");
        EXPECT_TRUE(form.CmdDelete->isEnabled());
    });
}

TEST_F(Search, DateColumnSortsByNumberAndDescendingClearsTheChoice) {
    company.withRegister([](FrmMaster& form) {
        const QStringList numbers = gridColumn(form, kNumber);
        const QString selected = selectedId(form);
        form.cboColNames->setCurrentIndex(form.cboColNames->findText("Job Date"));
        EXPECT_EQ(gridColumn(form, kNumber), sorted(numbers, true));
        EXPECT_EQ(form.flexMaster->col(), kNumber);
        EXPECT_EQ(selectedId(form), selected);

        form.cboColNames->setCurrentIndex(form.cboColNames->findData(kName));
        const QStringList byName = gridColumn(form, kName);
        QTest::mouseClick(form.optDescend, Qt::LeftButton);
        EXPECT_TRUE(form.optDescend->isChecked());
        EXPECT_EQ(form.cboColNames->currentIndex(), -1);
        EXPECT_EQ(gridColumn(form, kName), byName);

        form.cboColNames->setCurrentIndex(form.cboColNames->findData(kNumber));
        EXPECT_EQ(gridColumn(form, kNumber),
                  QStringList({"3000", "2000", "1023", "105", "10", "7"}));
    });
}

TEST_F(Search, EnterMovesOnAndCtrlDGoesToTheGrid) {
    company.withRegister([](FrmMaster& form) {
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.cboSearch->setFocus();
        QTest::keyClick(form.cboSearch, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), form.txtsearch);
        QTest::keyClick(form.txtsearch, Qt::Key_D, Qt::ControlModifier);
        EXPECT_EQ(QApplication::focusWidget(), form.flexMaster);
        EXPECT_TRUE(form.txtsearch->text().isEmpty());
        form.hide();
    });
}

} // namespace
