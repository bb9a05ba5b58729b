#include "bench/generate.h"
#include "bench/rawfloor.h"
#include "bench/rowsink.h"
#include "component/basgrade.h"
#include "data/connection.h"
#include "data/tablenames.h"
#include "register/frmmaster.h"
#include "support/testdb.h"

#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kJobChanges = 200;
constexpr int kEmployees = 40;

bench::GenerateOptions smallCompany() {
    bench::GenerateOptions options;
    options.jobChanges = kJobChanges;
    options.employees = kEmployees;
    return options;
}

// "type:amount" per detail id of one list, as the text the database layer reads.
using Lines = QMap<int, QString>;

Lines linesOf(data::Connection& db, const QString& sql) {
    Lines lines;
    for (data::Recordset rs = db.open(sql); !rs.eof(); rs.moveNext())
        lines.insert(rs.field(0).toInt(), rs.text(1) + QLatin1Char(':') + rs.text(2));
    return lines;
}

// What a sequence of saves and cancellations would have left: every job change starts from
// the employee as the previous uncancelled one left them, and the employee master and the
// standing lines are what the latest uncancelled one made them.
void expectConsistent(data::Connection& db, const data::ResolvedTableNames& t) {
    const QString gc = t.pEmployeegradeChange;
    EXPECT_EQ(db.open("select count(*) from " + gc).field(0).toInt(), kJobChanges);

    // 5 to 15 lines, allowances and deductions together, in every job change.
    data::Recordset counts = db.open(
        "select egcId, (select count(*) from " + t.pempgcAllowance +
        " where egcacompanyid = egcCompanyID and egcagcid = egcId) + (select count(*) from " +
        t.pempgcdeductions + " where egcdcompanyid = egcCompanyID and egcdgcid = egcId) from " +
        gc);
    for (; !counts.eof(); counts.moveNext()) {
        EXPECT_GE(counts.field(1).toInt(), bench::kMinLines)
            << "job change " << counts.text(0).toStdString();
        EXPECT_LE(counts.field(1).toInt(), bench::kMaxLines)
            << "job change " << counts.text(0).toStdString();
    }

    QSet<QString> numbers;
    QMap<int, QStringList> after; // employee -> designation, grade, basic its last change left
    QMap<int, int> lastChange;
    int cancelled = 0;
    for (data::Recordset rs = db.open(
             "select egcId, egcNo, egcEmpID, egcOldDesigID, egcOldGradeID, egcOldBasic, "
             "egcNewDesigID, egcNewGradeID, egcNewBasic, egcCancelled, egcCancelledRemarks, "
             "(select dGradeID from " +
             t.pDesignation +
             " where dCompanyID = egcCompanyID and dDesigID = egcNewDesigID) from " + gc +
             " order by egcId");
         !rs.eof(); rs.moveNext()) {
        const int id = rs.field(0).toInt();
        const QString number = rs.text(1);
        EXPECT_EQ(number, "JC" + QString::number(id));
        EXPECT_FALSE(numbers.contains(number));
        numbers.insert(number);
        EXPECT_EQ(rs.text(7), rs.text(11)) << "the new grade is the new designation's";

        const int employee = rs.field(2).toInt();
        const QStringList old{rs.text(3), rs.text(4), rs.text(5)};
        if (after.contains(employee)) {
            EXPECT_EQ(old, after[employee]) << "job change " << id;
        }
        if (rs.field(9).toInt() == 1) {
            ++cancelled;
            EXPECT_TRUE(rs.text(10).startsWith("Administrator:"));
        } else {
            after[employee] = QStringList{rs.text(6), rs.text(7), rs.text(8)};
            lastChange[employee] = id;
        }
    }
    EXPECT_GT(cancelled, 0);
    EXPECT_LT(cancelled, kJobChanges / 5);
    ASSERT_FALSE(lastChange.isEmpty());

    for (auto it = lastChange.cbegin(); it != lastChange.cend(); ++it) {
        const QString employee = QString::number(it.key());
        const QString change = QString::number(it.value());
        data::Recordset master = db.open("select eDesigID, eGradeID, eBasic from " + t.pemployee +
                                         " where eCompanyID = 1 and eEmpID = " + employee);
        ASSERT_FALSE(master.eof());
        EXPECT_EQ((QStringList{master.text(0), master.text(1), master.text(2)}), after[it.key()])
            << "employee " << employee.toStdString();

        EXPECT_EQ(linesOf(db, "select eadetailid, eaallowanceid, eaamount from " +
                                  t.pempallowances + " where eaempid = " + employee),
                  linesOf(db, "select egcadetailid, egcaallowanceid, egcarevamount from " +
                                  t.pempgcAllowance + " where egcagcid = " + change +
                                  " and egcatype <> 'R'"))
            << "employee " << employee.toStdString();
        EXPECT_EQ(linesOf(db, "select eddetailid, eddeductionid, edamount from " +
                                  t.pempdeductions + " where edempid = " + employee),
                  linesOf(db, "select egcddetailid, egcddeductionid, egcdrevamount from " +
                                  t.pempgcdeductions + " where egcdgcid = " + change +
                                  " and egcdtype <> 'R'"))
            << "employee " << employee.toStdString();
    }

    // The register lists every job change (no previous-days limit).
    EXPECT_EQ(db.open("select NoOfPreviousDays from " + t.pSettings).field(0).toInt(), 0);
    int listed = 0;
    for (data::Recordset rs = db.open(RegisterQuery(db.dialect(), t, 1)); !rs.eof(); rs.moveNext())
        ++listed;
    EXPECT_EQ(listed, kJobChanges);
}

TEST(Generate, SqliteFileIsConsistentAsSavesWouldLeaveIt) {
    QTemporaryDir dir;
    const QString file = dir.filePath("payroll.sqlite");
    const bench::GenerateSummary summary = bench::generateSqlite(file, smallCompany());
    EXPECT_EQ(summary.jobChanges, kJobChanges);
    EXPECT_EQ(summary.employees, kEmployees);

    data::Connection db;
    db.openSqlite(file);
    data::ResolvedTableNames tables;
    data::ResolveTableNames(db, tables);
    expectConsistent(db, tables);
    EXPECT_EQ(db.open("select count(*) from " + tables.pempgcAllowance).field(0).toLongLong(),
              summary.allowanceLines);
}

TEST(Generate, ThroughTheDataLayerGivesTheSameConsistentRows) {
    TestDatabase db; // PostgreSQL when the suite runs on a server
    db.useContext(1, 1, QDate(2026, 11, 30));
    bench::ConnectionSink sink(db.db());
    bench::generateRows(sink, BasGrade().tables, smallCompany());
    expectConsistent(db.db(), BasGrade().tables);
}

TEST(Generate, NumbersChangePrefixBeforeTheRunningNumberOutgrowsSixteenBits) {
    EXPECT_EQ(bench::jobChangeNumber(1, 100000), "H1-1");
    EXPECT_EQ(bench::jobChangeNumber(30000, 100000), "H1-30000");
    EXPECT_EQ(bench::jobChangeNumber(30001, 100000), "H2-1");
    EXPECT_EQ(bench::jobChangeNumber(90001, 100000), "JC1");
    EXPECT_EQ(bench::jobChangeNumber(100000, 100000), "JC10000");
    EXPECT_EQ(bench::jobChangeNumber(30000, 30000), "JC30000");
}

TEST(RawSave, WritesWhatTheSaveWritesInOneTransaction) {
    QTemporaryDir dir;
    const QString file = dir.filePath("payroll.sqlite");
    bench::generateSqlite(file, smallCompany());
    data::Connection db;
    db.openSqlite(file);
    data::ResolvedTableNames t;
    data::ResolveTableNames(db, t);

    bench::RawJobChange change;
    change.employee = 3;
    change.date = QDate(2026, 11, 30);
    change.oldDesignation =
        db.open("select eDesigID from " + t.pemployee + " where eEmpID = 3").field(0).toInt();
    change.newDesignation = 24;
    change.newBasic = 250000.5;
    change.lines[0] = {{1, 100, 150, 'O', true}, {2, 200, 200, 'O', false}, {3, 0, 75, 'N', true}};
    change.lines[1] = {{4, 10, 20, 'N', true}};
    {
        bench::RawDatabase raw(file);
        EXPECT_EQ(bench::rawSave(raw, t, change), kJobChanges + 1);
    }
    EXPECT_EQ(
        db.open("select egcNo, egcNewGradeID from " + t.pEmployeegradeChange + " where egcId = 201")
            .text(0),
        "JC201");
    EXPECT_EQ(linesOf(db, "select egcadetailid, egcatype, egcarevamount from " + t.pempgcAllowance +
                              " where egcagcid = 201"),
              (Lines{{1, "O:150"}, {2, "R:200"}, {3, "N:75"}}));
    EXPECT_EQ(linesOf(db, "select eadetailid, eaallowanceid, eaamount from " + t.pempallowances +
                              " where eaempid = 3"),
              (Lines{{1, "1:150"}, {3, "3:75"}}));
    data::Recordset master =
        db.open("select eDesigID, eGradeID, eBasic from " + t.pemployee + " where eEmpID = 3");
    EXPECT_EQ((QStringList{master.text(0), master.text(1), master.text(2)}),
              (QStringList{"24", "6", "250000.5"}));
}

} // namespace
