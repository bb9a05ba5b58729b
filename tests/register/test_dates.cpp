// A date reads alike in every window a clerk opens from the register, and follows the locale.

#include "bulkwindow/frmbulk.h"
#include "entry/entryfixture.h"
#include "letterwindow/frmletters.h"
#include "report/engine.h"
#include "report/reportcontrol.h"

#include <QChartView>
#include <QGraphicsTextItem>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct LocaleCase {
    const char* name;
    QLocale locale;
    // 10 Jan, 13 Feb, 14 Feb (the process date), 1 Mar and 2 Mar 2003 as the clerk reads them.
    QString jan10, feb13, feb14, mar1, mar2;
    // A tick of the chart's time axis.
    QString tick;
};

void PrintTo(const LocaleCase& c, std::ostream* out) {
    *out << c.name;
}

// Every text the chart draws: its axes' labels and titles, the legend.
QStringList chartTexts(const QChartView& view) {
    QStringList texts;
    for (const QGraphicsItem* item : view.scene()->items())
        if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item))
            texts << text->toPlainText();
    return texts;
}

// Asha (employee 1): JC1 made her an Officer; JC2, dated after the process date, made her a
// Clerk again, so JC1 is superseded and she may have no further job change.
class Dates : public RegisterDriven, public ::testing::WithParamInterface<LocaleCase> {
protected:
    Dates() {
        QLocale::setDefault(GetParam().locale);
        data.jobChange(1, "JC1", "2003-01-10", 1);
        data.jobChange(2, "JC2", "2003-03-01", 1, false, 1, 1);
    }
    ~Dates() override { QLocale::setDefault(QLocale::system()); }

    void select(const QString& number) {
        master->flexMaster->selectRowAcross(gridRow(*master->flexMaster, 1, number));
    }
};

TEST_P(Dates, EveryWindowShowsAndPicksDatesInTheLocalesShortFormat) {
    const LocaleCase& c = GetParam();
    ui::FlexGrid& grid = *master->flexMaster;
    EXPECT_EQ(grid.textMatrix(gridRow(grid, 1, "JC1"), 2), c.jan10);
    EXPECT_EQ(grid.textMatrix(gridRow(grid, 1, "JC2"), 2), c.mar1);

    editJobChange("JC1", [&c](frmGrade& form) {
        EXPECT_EQ(form.dtpGDate->text(), c.jan10);
        EXPECT_EQ(form.lblViewOnly->text(), "Superseded by JC2 of " + c.mar1);
    });

    select("JC2");
    modal.thenOn<FrmEmployeeHistory>([&c](FrmEmployeeHistory& form) {
        EXPECT_EQ(childTexts(form.lvwHistory->invisibleRootItem(), {1}),
                  QStringList({c.jan10, c.mar1}));
        EXPECT_EQ(form.dtpPayOn->text(), c.feb14);
        EXPECT_EQ(form.lblPaySince->text(), "job change JC1 of " + c.jan10);
        EXPECT_EQ(form.lblPayNote->text(),
                  "Already applied to the employee master: JC2 of " + c.mar1 + ".");
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        const QStringList drawn = chartTexts(*form.chartPay);
        const QRegularExpression tick('^' + c.tick + '$');
        EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&tick](const QString& text) {
            return tick.match(text).hasMatch();
        })) << drawn.join(" | ").toStdString();
        // The amount axis names the currency on every label.
        const QStringList amounts = drawn.filter(QRegularExpression("^[0-9]+$"));
        EXPECT_TRUE(amounts.isEmpty()) << amounts.join(" | ").toStdString();
        EXPECT_FALSE(drawn.filter(QRegularExpression("^Rs [0-9]+$")).isEmpty())
            << drawn.join(" | ").toStdString();

        QString printed;
        form.reportControl().setPreviewSink(
            [&printed](const report::RenderedReport& report, const report::ReportControl&) {
                printed = report.plainText();
            });
        form.cmdPrint->click();
        EXPECT_TRUE(printed.contains(c.jan10) && printed.contains(c.mar1)) << printed.toStdString();
    });
    master->cmdHistory_Click();

    modal.thenOn<FrmBulk>([this, &c](FrmBulk& form) {
        EXPECT_EQ(form.dtpDate->text(), c.feb14);
        form.cboBasic->setCurrentIndex(2); // plus an amount
        form.txtBasic->setText("100");
        form.dtpDate->setDate(QDate(2003, 2, 13));
        form.computePreview();
        form.dtpDate->setDate(QDate(2003, 2, 14));
        form.computePreview();
        messages.answer(ui::MsgAnswer::No);
        form.apply();
    });
    master->cmdBulk_Click();
    EXPECT_EQ(messages.texts(), QStringList({"The job date " + c.feb13 +
                                                 " is before the process date " + c.feb14 + ".",
                                             "Save 2 job changes dated " + c.feb14 + "?"}));
    messages.clear();

    QTemporaryDir out;
    select("JC1");
    modal.thenOn<FrmLetters>([&c, &out](FrmLetters& form) {
        EXPECT_EQ(form.dtpDate->text(), c.jan10);
        form.optDate->setChecked(true);
        form.dtpDate->setDate(QDate(2003, 3, 2));
        form.txtOut->setText(out.filePath("letters.pdf"));
        form.cmdOk->click();
    });
    master->cmdLetters_Click();
    EXPECT_EQ(messages.texts(), QStringList({"No job change is dated " + c.mar2 + "."}));
}

// German writes the day first with dots, US English the month first; both give a two-digit
// year, which is shown with four.
INSTANTIATE_TEST_SUITE_P(
    Locales, Dates,
    ::testing::Values(LocaleCase{"German", QLocale(QLocale::German, QLocale::Germany), "10.01.2003",
                                 "13.02.2003", "14.02.2003", "01.03.2003", "02.03.2003",
                                 "[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}"},
                      LocaleCase{"English", QLocale(QLocale::English, QLocale::UnitedStates),
                                 "1/10/2003", "2/13/2003", "2/14/2003", "3/1/2003", "3/2/2003",
                                 "[0-9]{1,2}/[0-9]{1,2}/[0-9]{4}"}),
    [](const ::testing::TestParamInfo<LocaleCase>& info) { return info.param.name; });

} // namespace
