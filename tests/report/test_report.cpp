#include "register/frmmaster.h"
#include "report/engine.h"
#include "report/export.h"
#include "report/reportcontrol.h"
#include "support/check.h"
#include "support/context.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTextDocument>
#include <memory>
#include <optional>
#include <utility>

namespace {

// The demo database, with a settings file that names no data source so that a user's own data
// sources never leak into a test.
class ReportTest : public ::testing::Test {
protected:
    ReportTest() { db.loadDemo(); }
    QString out(const QString& name) const { return dir.filePath(name); }
    report::ReportHost host() {
        return {.connection = [this]() -> data::Connection& { return db.db(); },
                .messageTitle = [] { return QString(); }};
    }

    QTemporaryDir dir;
    ScopedEnv sources{"QUORVEL_DATASOURCES", dir.filePath("none.ini").toUtf8()};
    TestDatabase db;
    ScriptedMessages messages;
    ScriptedModal modal;
};

QStringList expectedCalls(const QString& company, const QString& id, const QString& userName) {
    QStringList calls = QStringLiteral("9=false 123=true 122=true 120=true 119=true 125=true "
                                       "124=true 121=true 67=2")
                            .split(' ');
    calls << "8=Job Change"
          << "106=pdsodbc.dll,payrolldsn,payroll,"
          << "3=" + QCoreApplication::applicationDirPath() + "/reports/rptEmpGradeChange.rpt"
          << "81[0]=@intCompanyID;" + company + ";true"
          << "81[1]=@intGradeChangeID;" + id + ";true"
          << "81[2]=strReportName;Job Change;true";
    if (!userName.isNull())
        calls << "81[3]=strUserName;" + userName + ";true";
    return calls << "17=1";
}

// A register whose first two rows are job changes 39 and 225 of the demo company, previewing
// into bodies and footers.
class Preview : public ReportTest {
protected:
    Preview() { open(1, 1); }
    // The register loaded afresh for the company and user.
    void open(qint16 company, qint16 user) {
        useContext(db, company, user, QDate(2026, 11, 30));
        master = std::make_unique<FrmMaster>();
        master->Form_Load();
        master->completeLoad();
        master->flexMaster->clearGrid(7, 3);
        master->flexMaster->setTextMatrix(1, 0, "39");
        master->flexMaster->setTextMatrix(2, 0, "225");
        master->flexMaster->setRow(1);
        if (!master->cRptGradeChange)
            master->cRptGradeChange = std::make_unique<report::ReportControl>();
        master->cRptGradeChange->setPreviewSink(
            [this](const report::RenderedReport& report, const report::ReportControl& from) {
                EXPECT_EQ(from.windowTitle(), "Job Change");
                bodies << report.plainText();
                QTextDocument footer;
                footer.setHtml(report.footerHtml(1, 1));
                footers << footer.toPlainText();
            });
    }
    QStringList press() {
        master->cRptGradeChange->clearCalls();
        master->cmPreview->click();
        return master->cRptGradeChange->calls();
    }

    std::unique_ptr<FrmMaster> master;
    QStringList bodies;
    QStringList footers;
};

TEST_F(Preview, EveryPressGivesTheControlEveryValueInOrderAndAMissingUserNone) {
    EXPECT_EQ(press(), expectedCalls("1", "39", "Administrator"));
    ASSERT_EQ(bodies.size(), 1);
    EXPECT_TRUE(bodies[0].contains("JC39"));
    EXPECT_TRUE(footers[0].contains("Printed by Administrator"));

    master->flexMaster->setRow(2);
    EXPECT_EQ(press(), expectedCalls("1", "225", "Administrator"));
    ASSERT_EQ(bodies.size(), 2);
    EXPECT_TRUE(bodies[1].contains("JC225"));
    EXPECT_FALSE(bodies[1].contains("JC39"));

    // The user name is trimmed and found whatever the company.
    db.insert("pusers", {"1, 7, '  Only In One  '"});
    open(2, 7);
    master->flexMaster->setRow(2);
    EXPECT_EQ(press(), expectedCalls("2", "225", "Only In One"));

    open(1, 99);
    EXPECT_EQ(press(), expectedCalls("1", "39", QString()));
    EXPECT_TRUE(bodies.last().contains("Seo-yeon Tan"));
    EXPECT_FALSE(footers.last().contains("Printed by"));
    EXPECT_TRUE(footers.last().contains("Printed on"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Preview, FirstCellEmptyOrNotAPositiveNumberDoesNothing) {
    const auto before = db.snapshot();
    for (const char* cell : {"", "0", "-4", "abc", "' or '1'='1"}) {
        master->flexMaster->setTextMatrix(1, 0, cell);
        EXPECT_TRUE(press().isEmpty()) << cell;
    }
    EXPECT_TRUE(bodies.isEmpty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(db.snapshot(), before);
}

// The report's own query fails, then the user-name look-up before the report runs.
TEST_F(Preview, FailingQueriesShowTheirMessageAndTheRegisterGoesOn) {
    for (const QString table : {"pempgcAllowance", "pusers"}) {
        const QString sql = "update linktable set linktablename = '%1' where tablename = '%2'";
        db.exec(sql.arg("pay_gone", table));
        open(1, 1);
        messages.clear();
        EXPECT_EQ(press().contains("17=1"), table == "pempgcAllowance");
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.boxes()[0].startsWith("Payroll|Information|Ok|"));
        EXPECT_TRUE(messages.texts()[0].contains("pay_gone")) << messages.texts()[0];
        EXPECT_TRUE(bodies.isEmpty());
        db.exec(sql.arg(physical(table), table));
    }
}

TEST_F(ReportTest, QuotedParameterValuesAreBoundNotSpliced) {
    db.exec("insert into " + physical("pemployee") +
            " (eCompanyID, eEmpID, eempno, eName, eActive) values (1, 9001, 'E9001', "
            "'Ann O''Neill', 1)");
    ASSERT_TRUE(
        writeFile(out("people.rpt"),
                  "[parameters]\n@strName text\n[query people]\n"
                  "-- a quote in a comment (it's) and a literal '@strName {x}' are left be\n"
                  "select eName as name, '@strName {x}' as literal from {pemployee}\n"
                  " where eName = @strName and eCompanyID = 1\n"
                  "[layout]\n{{#people}}[{{name}}|{{literal}}]{{/people}}\n"));
    db.db().setTraceFile(out("trace.sql"));

    const auto run = [&](const QString& name) {
        report::ReportControl control(host());
        QString text;
        control.setPreviewSink(
            [&](const report::RenderedReport& report, const report::ReportControl&) {
                text = report.plainText().trimmed();
            });
        control.setReportFileName(out("people.rpt"));
        control.setParameterFields(0, "@strName;" + name + ";true");
        control.setAction(1);
        return text;
    };
    EXPECT_EQ(run("x' or '1'='1"), "");
    EXPECT_EQ(run("Ann O'Neill"), "[Ann O'Neill|@strName {x}]");

    const QString statements = QString::fromUtf8(readFile(out("trace.sql")));
    EXPECT_EQ(statements.count("where eName = ? and eCompanyID = 1"), 2);
    for (const char* typed : {"O'Neill", "or '1'='1", "it's"})
        EXPECT_FALSE(statements.contains(typed)) << typed;
}

// The rows of job change 39 exported as a PDF, blanks simplified, or nothing without pdftotext.
std::optional<QStringList> pdfRows(const TestDatabase& db, const QString& path) {
    QString error;
    EXPECT_EQ(report::exportJobChangePdf(db.db(), 1, 1, 39, path, error), 0) << error;
    EXPECT_EQ(readFile(path).left(5), "%PDF-");
    const std::optional<QString> text = pdfText(path, true);
    if (!text)
        return std::nullopt;
    QStringList rows = text->split('\n');
    for (QString& row : rows)
        row = row.simplified();
    return rows;
}

TEST_F(ReportTest, ExportedPdfHoldsTheJobChangeAndEveryLineWithExactAmounts) {
    const std::optional<QStringList> rows = pdfRows(db, out("jc39.pdf"));
    if (!rows)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(rows->join('\n').contains("Printed by Administrator on"));
    // A line of each state: removed, revised, kept in a foreign currency, added.
    for (const char* row :
         {"House Rent Allowance Rs 8,750.00 — Removed",
          "Medical Allowance Rs 1,500.00 Rs 1,780.00 Revised",
          "Overseas Allowance $ 335.00 $ 335.00 Kept", "Conveyance Allowance — Rs 1,150.00 Added"})
        EXPECT_TRUE(rows->contains(QString::fromUtf8(row))) << row;

    // Amounts at the top of the range and beyond it (stored by another program) print exactly,
    // never in exponent form nor cut.
    db.exec("update " + physical("pEmployeegradeChange") +
            " set egcOldBasic = 999999999999.99, egcNewBasic = 1e15 where egcId = 39");
    EXPECT_TRUE(pdfRows(db, out("large.pdf"))
                    ->contains("Basic pay Rs 999,999,999,999.99 Rs 1000000000000000.00"));
}

} // namespace
