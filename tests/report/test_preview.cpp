// Preview from the register: what the report control is given, and what the clerk sees.

#include "component/basgrade.h"
#include "register/frmmaster.h"
#include "report/engine.h"
#include "report/reportcontrol.h"
#include "report/reporttesting.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QCoreApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QDate kProcessDate(2026, 11, 30);

QStringList expectedCalls(const QString& company, const QString& id, const QString& userName) {
    QStringList calls{QStringLiteral("9=false"),
                      QStringLiteral("123=true"),
                      QStringLiteral("122=true"),
                      QStringLiteral("120=true"),
                      QStringLiteral("119=true"),
                      QStringLiteral("125=true"),
                      QStringLiteral("124=true"),
                      QStringLiteral("121=true"),
                      QStringLiteral("67=2"),
                      QStringLiteral("8=Job Change"),
                      QStringLiteral("106=pdsodbc.dll,payrolldsn,payroll,mirevantolk"),
                      QStringLiteral("3=") + QCoreApplication::applicationDirPath() +
                          QStringLiteral("/reports/rptEmpGradeChange.rpt"),
                      QStringLiteral("81[0]=@intCompanyID;%1;true").arg(company),
                      QStringLiteral("81[1]=@intGradeChangeID;%1;true").arg(id),
                      QStringLiteral("81[2]=strReportName;Job Change;true")};
    if (!userName.isNull())
        calls << QStringLiteral("81[3]=strUserName;%1;true").arg(userName);
    calls << QStringLiteral("17=1");
    return calls;
}

QString plain(const QString& html) {
    QTextDocument doc;
    doc.setHtml(html);
    return doc.toPlainText();
}

class Preview : public ::testing::Test {
protected:
    void SetUp() override {
        db.loadDemo();
        db.useContext(1, 1, kProcessDate);
        master = std::make_unique<FrmMaster>();
        master->flexMaster->clearGrid(7, 3);
        master->flexMaster->setTextMatrix(1, 0, QStringLiteral("39"));
        master->flexMaster->setTextMatrix(2, 0, QStringLiteral("225"));
        select(1);
        if (!master->cRptGradeChange)
            master->cRptGradeChange = std::make_unique<report::ReportControl>();
        control().setPreviewSink(
            [this](const report::RenderedReport& report, const report::ReportControl& from) {
                EXPECT_EQ(from.windowTitle(), "Job Change");
                bodies << report.plainText();
                footers << plain(report.footerHtml(1, 1));
            });
    }
    void TearDown() override {
        master.reset();
        BasGrade() = CallerContext{};
    }

    report::ReportControl& control() { return *master->cRptGradeChange; }
    void select(int row) { master->flexMaster->setRow(row); }
    void press() {
        control().clearCalls();
        master->cmPreview_Click();
    }

    NoDataSources noDataSources;
    TestDatabase db;
    ScriptedMessages messages;
    ScriptedModal modal;
    std::unique_ptr<FrmMaster> master;
    QStringList bodies;
    QStringList footers;
};

TEST_F(Preview, EveryPressGivesTheControlEveryValueInOrder) {
    press();
    EXPECT_EQ(control().calls(), expectedCalls("1", "39", "Administrator"));
    ASSERT_EQ(bodies.size(), 1);
    EXPECT_TRUE(bodies[0].contains("JC39"));
    EXPECT_TRUE(footers[0].contains("Printed by Administrator"));

    select(2);
    press();
    EXPECT_EQ(control().calls(), expectedCalls("1", "225", "Administrator"));
    ASSERT_EQ(bodies.size(), 2);
    EXPECT_TRUE(bodies[1].contains("JC225"));
    EXPECT_FALSE(bodies[1].contains("JC39"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Preview, UserNameIsTrimmedAndFoundWhateverTheCompany) {
    db.exec("insert into " + physical("pusers") +
            " (companyid, userid, username) values (1, 7, "
            "'  Only In One  ')");
    db.useContext(2, 7, kProcessDate);
    press();
    EXPECT_EQ(control().calls(), expectedCalls("2", "39", "Only In One"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Preview, MissingUserLeavesParameterThreeUnsetAndStillRuns) {
    press(); // a run with a user name first: it must not reach the next run
    db.useContext(1, 99, kProcessDate);
    press();
    EXPECT_EQ(control().calls(), expectedCalls("1", "39", QString()));
    ASSERT_EQ(bodies.size(), 2);
    EXPECT_TRUE(bodies[1].contains("Seo-yeon Tan"));
    EXPECT_FALSE(footers[1].contains("Administrator"));
    EXPECT_TRUE(footers[1].contains("Printed on"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Preview, FirstCellEmptyOrNotAPositiveNumberDoesNothing) {
    for (const char* cell : {"", "0", "-4", "abc"}) {
        master->flexMaster->setTextMatrix(1, 0, QString::fromLatin1(cell));
        press();
        EXPECT_TRUE(control().calls().isEmpty()) << cell;
    }
    EXPECT_TRUE(bodies.isEmpty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(modal.shown.isEmpty());
}

TEST_F(Preview, FailingQueriesShowTheirMessageAndTheRegisterGoesOn) {
    const QString lines = physical("pempgcAllowance");
    db.exec("update linktable set linktablename = 'pay_gone' where tablename = 'pempgcAllowance'");
    press();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Payroll");
    EXPECT_EQ(messages.shown[0].icon, ui::MsgIcon::Information);
    EXPECT_EQ(messages.shown[0].buttons, ui::MsgButtons::Ok);
    EXPECT_TRUE(messages.shown[0].text.contains("pay_gone"))
        << messages.shown[0].text.toStdString();
    EXPECT_TRUE(bodies.isEmpty());

    // The user-name look-up fails before the report runs.
    const QString users = BasGrade().tables.pusers;
    BasGrade().tables.pusers = QStringLiteral("pay_nobody");
    db.exec("update linktable set linktablename = '" + lines +
            "' where tablename = 'pempgcAllowance'");
    press();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[1].text.contains("pay_nobody"));
    EXPECT_FALSE(control().calls().contains("17=1"));

    BasGrade().tables.pusers = users;
    press();
    EXPECT_EQ(messages.shown.size(), 2u);
    ASSERT_EQ(bodies.size(), 1);
    EXPECT_TRUE(bodies[0].contains("JC39"));
}

TEST_F(Preview, QuoteInTheSelectedIdNeverReachesAQuery) {
    const auto before = db.snapshot();
    master->flexMaster->setTextMatrix(1, 0, QStringLiteral("39' or '1'='1"));
    press();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.contains("@intGradeChangeID"));
    EXPECT_TRUE(bodies.isEmpty());

    // A user name with quotes is only ever printed.
    db.exec("update " + physical("pusers") +
            " set username = 'O''Hara'' or ''1''=''1' where userid = 1");
    master->flexMaster->setTextMatrix(1, 0, QStringLiteral("39"));
    press();
    ASSERT_EQ(footers.size(), 1);
    EXPECT_TRUE(footers[0].contains("Printed by O'Hara' or '1'='1 on"));
    db.exec("update " + physical("pusers") + " set username = 'Administrator' where userid = 1");
    EXPECT_EQ(db.snapshot(), before);
}

TEST_F(Preview, WithoutASinkThePreviewWindowOpensWithTheJobChange) {
    control().setPreviewSink(nullptr);
    int pages = 0;
    modal.then([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Job Change");
        EXPECT_TRUE(dialog.windowState() & Qt::WindowMaximized);
        EXPECT_NE(dialog.findChild<QAction*>("actExportPdf"), nullptr);
        auto* view = dialog.findChild<QPrintPreviewWidget*>();
        if (view) {
            view->updatePreview();
            pages = view->pageCount();
        }
        return int(QDialog::Rejected);
    });
    press();
    EXPECT_EQ(modal.shown, QStringList{"frmReportPreview"});
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
