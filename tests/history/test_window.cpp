#include "history/frmemployeehistory.h"
#include "history/historyfixture.h"
#include "jobchange/audittrail.h"
#include "jobchange/writer.h"
#include "report/engine.h"
#include "report/reportcontrol.h"
#include "support/scripted.h"
#include "support/widgets.h"

#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>
#include <QTreeWidget>

namespace {

using Window = HistoryFixture;

QList<QPointF> points(const QChart* chart, const char* name) {
    for (QAbstractSeries* series : chart->series()) {
        if (series->objectName() == QLatin1String(name))
            return static_cast<QXYSeries*>(series)->points();
    }
    ADD_FAILURE() << "no series " << name;
    return {};
}

QPointF at(const QDate& day, double basic) {
    return {static_cast<double>(day.startOfDay().toMSecsSinceEpoch()), basic};
}

// Processed on 1 Jan 2025, before JC3: that one is already applied to the master.
TEST_F(Window, ListsTheJobChangesDrawsThePayAndShowsThePayOnAChosenDay) {
    using W = FrmEmployeeHistory;
    W form(source(QDate(2025, 1, 1)));
    ASSERT_TRUE(form.load(7));
    EXPECT_TRUE(form.lblEmployee->text().startsWith("E7 - Ravi Kumar"));

    QTreeWidget* list = form.lvwHistory;
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(itemText(list->topLevelItem(0),
                       {W::ColNumber, W::ColDate, W::ColOldJob, W::ColNewJob, W::ColOldBasic,
                        W::ColNewBasic, W::ColCancelled, W::ColRemarks}),
              "JC1|15 Jan 2024|Junior Clerk|Associate Accountant|20000.00|25000.00|No|Promotion");
    const QTreeWidgetItem* cancelled = list->topLevelItem(1);
    EXPECT_EQ(itemText(cancelled, {W::ColNumber, W::ColCancelled, W::ColCancelledRemarks}),
              "JC2|Yes|Administrator:wrong grade");
    EXPECT_EQ(cancelled->foreground(W::ColNumber).color(), QColor(Qt::red));
    EXPECT_NE(list->topLevelItem(2)->foreground(W::ColNumber).color(), QColor(Qt::red));
    EXPECT_EQ(childTexts(list->topLevelItem(0), {W::ColLineStatus, W::ColLineDescription,
                                                 W::ColLineOld, W::ColLineRevised})
                  .value(1),
              "Removed|Conveyance|1000.00|");

    // A step through JC1 and JC3 from before the first to the last; JC2 a point of its own.
    const QChart* chart = form.chartPay->chart();
    const QList<QPointF> basic = points(chart, "seriesBasic");
    ASSERT_EQ(basic.size(), 6);
    EXPECT_EQ(basic.first().y(), 20000.0);
    EXPECT_LT(basic.first().x(), at(QDate(2024, 1, 15), 0).x());
    EXPECT_EQ(basic.mid(1),
              (QList<QPointF>{at(QDate(2024, 1, 15), 20000), at(QDate(2024, 1, 15), 25000),
                              at(QDate(2025, 3, 1), 25000), at(QDate(2025, 3, 1), 27500),
                              at(QDate(2025, 3, 31), 27500)}));
    EXPECT_EQ(points(chart, "seriesCancelled"), QList<QPointF>{at(QDate(2024, 6, 1), 40000)});

    // Opened on the process date.
    EXPECT_EQ(form.dtpPayOn->date(), QDate(2025, 1, 1));
    EXPECT_EQ(form.lblPayJob->text(), "Associate Accountant");
    EXPECT_EQ(form.lblPayBasic->text(), "Rs 25000.00");
    // Since JC1, not the cancelled JC2 after it (the note on JC3 is the dates test's).
    EXPECT_EQ(form.lblPaySince->text(), "job change JC1 of 15 Jan 2024");
    EXPECT_EQ(childTexts(form.lvwPayLines->invisibleRootItem(), {0, 1, 2}),
              (QStringList{"Allowance|House Rent|6000.00", "Allowance|Medical|800.00",
                           "Deduction|Provident Fund|2400.00"}));

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QTreeWidgetItem* jc3 = list->topLevelItem(2);
    const QPoint onJc3 = list->visualItemRect(jc3).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onJc3);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onJc3);
    EXPECT_EQ(form.dtpPayOn->date(), QDate(2025, 3, 1));
    EXPECT_EQ(form.lblPayBasic->text(), "Rs 27500.00");
    EXPECT_EQ(form.lvwPayLines->topLevelItemCount(), 3);

    // Print: the history report with every job change and its revisions.
    QStringList printed;
    form.reportControl().setPreviewSink(
        [&printed](const report::RenderedReport& report, const report::ReportControl& control) {
            EXPECT_EQ(control.windowTitle(), "Employee History");
            printed << report.plainText();
        });
    QTest::mouseClick(form.cmdPrint, Qt::LeftButton);
    ASSERT_EQ(printed.size(), 1);
    for (const char* text : {"Ravi Kumar", "Removed", "Cancelled: Administrator:wrong grade"})
        EXPECT_TRUE(printed.first().contains(text)) << text;
    EXPECT_LT(printed.first().indexOf("JC2"), printed.first().indexOf("JC3"));
}

TEST_F(Window, OpensOverItsCallerOrSaysTheEmployeeIsUnknown) {
    ScriptedMessages messages;
    ScriptedModal modal;
    int listed = -1;
    modal.then([&listed](QDialog& dialog) {
        listed = dialog.findChild<QTreeWidget*>("lvwHistory")->topLevelItemCount();
        return int(QDialog::Rejected);
    });
    showEmployeeHistory(source(), 9, nullptr);
    EXPECT_EQ(modal.shown, QStringList{"FrmEmployeeHistory"});
    EXPECT_EQ(listed, 0);
    EXPECT_TRUE(messages.shown.empty());

    showEmployeeHistory(source(), 99, nullptr);
    EXPECT_EQ(modal.shown.size(), 1);
    EXPECT_EQ(messages.texts(), QStringList{"Employee not found"});
}

// The Changes tab lists every audit row of the employee, newest first, each with the lines it
// changed; opened for a job change, its rows are marked and the newest of them is current.
TEST_F(Window, TheChangesTabSpellsOutEachAuditedWriteNewestFirst) {
    using W = FrmEmployeeHistory;
    const jobchange::WorkspacePtr workspace = jobchange::Workspace::open(
        db.connection(), 1, 1, jobchange::kJobChangeInterfaceId, QDate(2026, 11, 30), "Payroll");
    db.insert("pPrefix", {"1, 91004, 'JC'"});
    ASSERT_EQ(jobchange::writeAuditBaseline(workspace), 3);
    jobchange::JobChangeDraft draft;
    draft.employeeId = 9;
    draft.oldDesignationId = 1;
    draft.newDesignationId = 2;
    draft.oldBasic = data::Money::fromCents(1900050).value();
    draft.newBasic = data::Money::fromCents(2200000).value();
    draft.date = QDate(2026, 11, 30);
    draft.remarks = QStringLiteral("Confirmed");
    draft.linesOf(LineKind::Allowance) = {
        {1, QLatin1Char('N'), data::Money(), data::Money::fromCents(300000).value()}};
    const jobchange::JobChangeWriter writer(workspace);
    const jobchange::WriteResult saved = writer.saveNew(draft);
    ASSERT_TRUE(saved.ok) << saved.error;
    draft.newBasic = data::Money::fromCents(2300000).value();
    ASSERT_TRUE(writer.saveEdit(saved.id, draft).ok);

    W form(source());
    ASSERT_TRUE(form.load(9, saved.id));
    QTreeWidget* list = form.lvwChanges;
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(itemText(list->topLevelItem(0), {W::ColAction, W::ColJobNo, W::ColRemark}),
              "Edit|" + saved.number + "|Confirmed");
    EXPECT_TRUE(list->topLevelItem(0)->text(W::ColWho).startsWith("Administrator ("));
    // Each row's lines are the changes the trail describes (their wording is the trail's own).
    EXPECT_EQ(childTexts(list->topLevelItem(0), {W::ColWhen}),
              QStringList({"New Basic 22,000.00 \u2192 23,000.00",
                           "Basic pay 22,000.00 \u2192 23,000.00"}));
    EXPECT_EQ(itemText(list->topLevelItem(1), {W::ColAction}), "New");
    EXPECT_EQ(itemText(list->topLevelItem(2), {W::ColAction}), "Baseline");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_TRUE(list->topLevelItem(1)->font(W::ColAction).bold());
    EXPECT_FALSE(list->topLevelItem(2)->font(W::ColAction).bold());
}

} // namespace
