// The report engine and the job change report: what the PDF holds, where the data comes from,
// and that no parameter value can change a query.

#include "component/basgrade.h"
#include "data/connection.h"
#include "data/schema.h"
#include "report/engine.h"
#include "report/export.h"
#include "report/jobchange.h"
#include "report/reportcontrol.h"
#include "report/reporttesting.h"
#include "support/testdb.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

QString amount(const QString& symbol, double value) {
    return symbol + QLatin1Char(' ') + QLocale(QLocale::English).toString(value, 'f', 2);
}

class JobChangeReport : public ::testing::Test {
protected:
    void SetUp() override { db.loadDemo(); }
    void TearDown() override { BasGrade() = CallerContext{}; }

    QString out(const QString& name) const { return dir.filePath(name); }

    // The job change report rendered for the company's job change, as a preview would get it.
    report::RenderedReport render(qint32 id, data::Connection& source) {
        report::ReportControl control([&source]() -> data::Connection& { return source; });
        report::setUpJobChangeReport(control, db.db(), physical("pusers"), 1, QString::number(id),
                                     1);
        std::optional<report::RenderedReport> got;
        control.setPreviewSink([&got](const report::RenderedReport& report,
                                      const report::ReportControl&) { got = report; });
        control.setAction(1);
        return *got;
    }

    // Each line of a job change as the report shows it: description, old, revised, change.
    QList<QStringList> expectedLines(const QString& kind, qint32 id) const {
        const bool allowance = kind == QLatin1String("a");
        const QString types = physical(allowance ? "pallowances" : "pdeductions");
        const QString sql =
            allowance
                ? "select t.aDescription, c.symbol, l.egcaoldamount, l.egcarevamount, l.egcatype "
                  "from %1 l, %2 t, %3 c where l.egcacompanyid = 1 and l.egcagcid = %4 and "
                  "t.aCompanyID = 1 and t.aAllowanceID = l.egcaallowanceid and c.CompanyID = 1 "
                  "and c.CurrencyID = t.aCurrencyID order by l.egcadetailid"
                : "select t.dDescription, c.symbol, l.egcdoldamount, l.egcdrevamount, l.egcdtype "
                  "from %1 l, %2 t, %3 c where l.egcdcompanyid = 1 and l.egcdgcid = %4 and "
                  "t.dCompanyID = 1 and t.dDedID = l.egcddeductionid and c.CompanyID = 1 "
                  "and c.CurrencyID = t.dCurrencyID order by l.egcddetailid";
        data::Recordset rs =
            db.db().open(sql.arg(physical(allowance ? "pempgcAllowance" : "pempgcdeductions"),
                                 types, physical("pcurrencymaster"))
                             .arg(id));
        QList<QStringList> lines;
        for (; !rs.eof(); rs.moveNext()) {
            const QString type = rs.text(4);
            const QString symbol = rs.text(1);
            lines << QStringList{
                rs.text(0),
                type == "N" ? QStringLiteral("—") : amount(symbol, rs.field(2).toDouble()),
                type == "R" ? QStringLiteral("—") : amount(symbol, rs.field(3).toDouble()),
                type == "O"   ? QStringLiteral("Kept")
                : type == "N" ? QStringLiteral("Added")
                              : QStringLiteral("Removed")};
        }
        return lines;
    }

    NoDataSources dataSources;
    TestDatabase db;
    QTemporaryDir dir;
};

TEST_F(JobChangeReport, ExportedPdfHoldsTheJobChangeAndEveryLine) {
    QString error;
    ASSERT_EQ(report::exportJobChangePdf(db.db(), 1, 1, 39, out("jc39.pdf"), error), 0)
        << error.toStdString();
    ASSERT_TRUE(isPdf(out("jc39.pdf")));
    const std::optional<QString> text = pdfText(out("jc39.pdf"));
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    const QStringList rows = text->split('\n');
    const auto rowWith = [&rows](const QString& start) {
        for (const QString& row : rows) {
            if (row.trimmed().startsWith(start))
                return row.simplified();
        }
        return QString();
    };

    EXPECT_TRUE(text->contains("JC39"));
    EXPECT_TRUE(text->contains("17 Jul 2025"));
    EXPECT_TRUE(text->contains("E0126"));
    EXPECT_TRUE(text->contains("Seo-yeon Tan"));
    EXPECT_EQ(rowWith("Grade"), "Grade Senior Senior");
    EXPECT_EQ(rowWith("Designation"), "Designation Sales Executive Engineer");
    EXPECT_EQ(rowWith("Basic pay"), "Basic pay Rs 54,200.00 Rs 56,500.00");
    EXPECT_TRUE(text->contains("Printed by Administrator on"));
    EXPECT_TRUE(text->contains("Page 1 of 1"));

    QSet<QString> changes;
    for (const QString& kind : {QStringLiteral("a"), QStringLiteral("d")}) {
        const QList<QStringList> lines = expectedLines(kind, 39);
        ASSERT_FALSE(lines.isEmpty());
        for (const QStringList& line : lines) {
            EXPECT_EQ(rowWith(line[0]), line.join(' ')) << line.join(' ').toStdString();
            changes << line[3];
        }
    }
    EXPECT_EQ(changes, (QSet<QString>{"Kept", "Added", "Removed"}));
}

TEST_F(JobChangeReport, UnknownJobChangeGivesStatusTwoAndNoFile) {
    QString error;
    EXPECT_EQ(report::exportJobChangePdf(db.db(), 1, 1, 99999, out("none.pdf"), error), 2);
    EXPECT_TRUE(error.contains("99999"));
    EXPECT_FALSE(QFile::exists(out("none.pdf")));
    // A job change of another company is unknown too.
    EXPECT_EQ(report::exportJobChangePdf(db.db(), 3, 1, 39, out("none.pdf"), error), 2);
}

TEST_F(JobChangeReport, CancelledJobChangeShowsItsStateAndRemark) {
    const QString text = render(225, db.db()).plainText();
    EXPECT_TRUE(text.contains("CANCELLED"));
    EXPECT_TRUE(text.contains("Clerk Two:basic pay typed wrong"));
    EXPECT_TRUE(text.contains("No deduction lines."));
    EXPECT_FALSE(render(39, db.db()).plainText().contains("CANCELLED"));
}

TEST_F(JobChangeReport, ManyLinesFlowOntoMorePagesUnderTheirHeadings) {
    for (int line = 10; line < 90; ++line)
        db.exec(QStringLiteral("insert into %1 (egcacompanyid, egcagcid, egcadetailid, "
                               "egcaallowanceid, egcaoldamount, egcarevamount, egcatype) values "
                               "(1, 39, %2, 3, 0, %3, 'N')")
                    .arg(physical("pempgcAllowance"))
                    .arg(line)
                    .arg(line * 10));
    QString error;
    ASSERT_EQ(report::exportJobChangePdf(db.db(), 1, 1, 39, out("long.pdf"), error), 0);
    const std::optional<QString> text = pdfText(out("long.pdf"));
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    const QRegularExpressionMatch pages = QRegularExpression("Page 1 of (\\d+)").match(*text);
    ASSERT_TRUE(pages.hasMatch());
    const int count = pages.captured(1).toInt();
    EXPECT_GE(count, 2);
    EXPECT_TRUE(text->contains(QStringLiteral("Page %1 of %1").arg(count)));
    EXPECT_TRUE(text->contains("Rs 890.00")); // the last line
    EXPECT_GE(text->count("Old amount"), 3);  // the headings again on the next page
}

TEST_F(JobChangeReport, PayrollDataSourceIsTheSettingsFilesDatabaseElseTheHosts) {
    data::Connection other;
    other.openSqlite(out("other.sqlite"));
    data::createSchema(other);
    data::loadDemoData(other);
    other.execute("update " + physical("pEmployeegradeChange") +
                  " set egcNo = 'JC39-OTHER' where egcId = 39");
    other.close();

    EXPECT_TRUE(render(39, db.db()).plainText().contains("JC39"));
    dataSources.name("PayrollDSN", "sqlite", out("other.sqlite"));
    EXPECT_TRUE(render(39, db.db()).plainText().contains("JC39-OTHER"));

    dataSources.name("payrolldsn", "oracle", "x");
    try {
        render(39, db.db());
        FAIL() << "no error";
    } catch (const data::DbError& error) {
        EXPECT_TRUE(error.description().contains("oracle"));
    }
}

TEST_F(JobChangeReport, MissingReportFileIsNamedInTheError) {
    report::ReportControl control([this]() -> data::Connection& { return db.db(); });
    bool ran = false;
    control.setPreviewSink(
        [&ran](const report::RenderedReport&, const report::ReportControl&) { ran = true; });
    control.setReportFileName(out("rptMissing.rpt"));
    try {
        control.setAction(1);
        FAIL() << "no error";
    } catch (const data::DbError& error) {
        EXPECT_TRUE(error.description().contains(out("rptMissing.rpt")));
    }
    EXPECT_FALSE(ran);
}

TEST_F(JobChangeReport, QuotedParameterValuesAreBoundNotSpliced) {
    db.exec("insert into " + physical("pemployee") +
            " (eCompanyID, eEmpID, eempno, eName, eActive) values (1, 9001, 'E9001', "
            "'Ann O''Neill', 1)");
    QFile file(out("people.rpt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
    QTextStream(&file)
        << "[parameters]\n@strName text\n"
           "[query people]\n"
           "-- a quote in a comment (it's) and a literal '@strName {x}' are left be\n"
           "select eName as name, '@strName {x}' as literal from {pemployee}\n"
           " where eName = @strName and eCompanyID = 1\n"
           "[layout]\n{{#people}}[{{name}}|{{literal}}]{{/people}}\n";
    file.close();
    const QString trace = out("trace.sql");
    db.db().setTraceFile(trace);

    const auto run = [&](const QString& name) {
        report::ReportControl control([this]() -> data::Connection& { return db.db(); });
        QString text;
        control.setPreviewSink(
            [&text](const report::RenderedReport& report, const report::ReportControl&) {
                text = report.plainText().trimmed();
            });
        control.setReportFileName(file.fileName());
        control.setParameterFields(0, "@strName;" + name + ";true");
        control.setAction(1);
        return text;
    };
    EXPECT_EQ(run("x' or '1'='1"), "");
    EXPECT_EQ(run("Ann O'Neill"), "[Ann O'Neill|@strName {x}]");

    QFile traced(trace);
    ASSERT_TRUE(traced.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString statements = QString::fromUtf8(traced.readAll());
    EXPECT_EQ(statements.count("where eName = ? and eCompanyID = 1"), 2);
    EXPECT_FALSE(statements.contains("O'Neill"));
    EXPECT_FALSE(statements.contains("or '1'='1"));
    EXPECT_FALSE(statements.contains("it's"));
}

} // namespace
