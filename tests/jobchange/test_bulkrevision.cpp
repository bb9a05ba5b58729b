// The bulk revision against the database: what the preview says is what is saved, all or
// nothing, and refused when an employee changed after the preview.

#include "jobchange/bulkfixture.h"
#include "support/hooks.h"

#include <gmock/gmock.h>

namespace {

TEST_F(BulkRevisionTest, EligibleEmployeesComeWithTheirJobsAndStandingLinesInOrder) {
    const std::vector<bulk::EmployeeSnapshot> all = bulkReads.eligibleEmployees();
    QStringList seen;
    for (const bulk::EmployeeSnapshot& e : all) {
        QStringList lines;
        for (LineKind kind : kLineKinds)
            for (const bulk::StandingLine& line : e.linesOf(kind))
                lines << QStringLiteral("%1:%2").arg(line.description, line.amount.text());
        seen << QStringList{e.number, e.name, e.job(), e.currency, e.basic.text(), lines.join(',')}
                    .join('|');
    }
    ASSERT_EQ(seen.size(), 5);
    EXPECT_EQ(seen[1], "E002|Bruno|Senior - Officer|US Dollar|3000.00|Medical:300.00,"
                       "Income Tax:100.00");
    EXPECT_EQ(seen[4], "E006|Fay|Senior - Officer|Rupee|33333.33|Conveyance:700.00,"
                       "House Rent:7000.00,Income Tax:900.00,Provident Fund:1500.00");
    // A job change dated after the process date makes the employee ineligible; a cancelled one
    // does not.
    data.jobChange(1, "JC1", "2003-02-15", 2);
    data.jobChange(2, "JC2", "2003-02-20", 4, true);
    bulk::Filters filters;
    filters.search = QStringLiteral("e00");
    EXPECT_EQ(bulkReads.eligibleEmployees(filters).size(), 4u);
    filters.gradeId = 2;
    ASSERT_EQ(bulkReads.eligibleEmployees(filters).size(), 1u);
    EXPECT_EQ(bulkReads.eligibleEmployees(filters)[0].name, "Fay");
}

TEST_F(BulkRevisionTest, RulesAreRefusedBeforeTheProcessDateOrForTypesAndJobsTheCompanyLacks) {
    bulk::Rules early = rules;
    early.date = QDate(2003, 2, 13);
    EXPECT_EQ(bulkReads.prepareRules(early),
              "The job date 13 Feb 2003 is before the process date 14 Feb 2003.");
    // A batch dated far ahead is refused by the rules and again by the apply, whatever made it.
    bulk::Rules far = rules;
    far.date = QDate(9999, 12, 31);
    EXPECT_TRUE(bulkReads.prepareRules(far).startsWith(
        "The job date 31 Dec 9999 is more than a year after the process date 14 Feb 2003;"));
    const auto before = db.snapshot();
    const jobchange::BatchResult refused = writer.apply(preview(), far);
    EXPECT_EQ(refused.outcome, jobchange::BatchResult::Outcome::Failed);
    EXPECT_EQ(refused.error, bulkReads.prepareRules(far));
    EXPECT_EQ(db.snapshot(), before);

    bulk::Rules job = rules;
    job.newJob = bulk::NewJob{3, {}};
    EXPECT_EQ(bulkReads.prepareRules(job), "There is no active designation 3.");
    job.newJob = bulk::NewJob{2, {}};
    EXPECT_EQ(bulkReads.prepareRules(job), "");
    EXPECT_EQ(job.newJob->text, "Senior - Officer");
    bulk::Rules type = rules;
    type.lines[2].typeId = 9;
    EXPECT_EQ(bulkReads.prepareRules(type), "There is no active deduction type 9.");
    EXPECT_EQ(rules.lines[1].typeName + " in " + rules.lines[1].currency, "Medical in US Dollar");
}

// Every table as the preview said: one job change per applied row, numbered in turn, its lines
// with letters, detail ids and amounts; masters and standing lines as revised.
TEST_F(BulkRevisionTest, WhatIsSavedIsWhatThePreviewSaid) {
    data.jobChange(1, "JC7", "2003-01-01", 1, true); // numbering and ids follow it
    std::vector<bulk::PreviewRow> rows = preview();
    ASSERT_EQ(rows.size(), 5u);
    rows[2].checked = false; // Dina stays out

    const jobchange::BatchResult result = writer.apply(rows, rules);
    ASSERT_TRUE(result.ok()) << result.error;
    QStringList saved;
    for (const jobchange::BatchSaved& done : result.saved)
        saved << QStringLiteral("%1 %2 %3").arg(done.id).arg(done.number).arg(done.employeeId);
    EXPECT_EQ(saved, QStringList({"2 JC8 1", "3 JC9 2", "4 JC10 5", "5 JC11 6"}));
    // 5% on every basic, rounded to the cent; House Rent +1,000, Medical set to 250 (added where
    // missing), Income Tax dropped; Dina, unticked, keeps everything.
    EXPECT_EQ(db.rows("select egcId, egcNo, egcDate, egcEmpID, egcOldDesigID, "
                      "egcNewDesigID, egcOldBasic, egcNewBasic, egcremarks, egcCancelled "
                      "from pay_employeegradechange where egcId > 1 order by egcId",
                      {6, 7}),
              QStringList({"2|JC8|2003-03-01|1|1|1|20000.00|21000.00|Annual increment|0",
                           "3|JC9|2003-03-01|2|2|2|3000.00|3150.00|Annual increment|0",
                           "4|JC10|2003-03-01|5|1|1|10000.50|10500.53|Annual increment|0",
                           "5|JC11|2003-03-01|6|2|2|33333.33|35000.00|Annual increment|0"}));
    EXPECT_EQ(
        db.rows("select egcagcid, egcadetailid, egcatype, egcaallowanceid, "
                "egcaoldamount, egcarevamount from pay_empgcallowance order by "
                "egcagcid, egcadetailid",
                {4, 5}),
        QStringList({"2|1|O|1|5000.00|6000.00", "2|2|O|2|800.00|800.00", "2|3|N|3|0.00|250.00",
                     "3|1|O|3|300.00|250.00", "4|1|O|1|4000.00|5000.00", "4|2|N|3|0.00|250.00",
                     "5|1|O|2|700.00|700.00", "5|2|O|1|7000.00|8000.00", "5|3|N|3|0.00|250.00"}));
    EXPECT_EQ(db.rows("select egcdgcid, egcddetailid, egcdtype, egcddeductionid, "
                      "egcdoldamount, egcdrevamount from pay_empgcdeductions order by "
                      "egcdgcid, egcddetailid",
                      {4, 5}),
              QStringList({"2|1|O|1|1200.00|1200.00", "3|1|R|2|100.00|100.00",
                           "5|1|R|2|900.00|900.00", "5|2|O|1|1500.00|1500.00"}));
    EXPECT_EQ(db.rows("select eEmpID, eDesigID, eBasic from pay_employee where eActive = "
                      "1 order by eEmpID",
                      {2}),
              QStringList(
                  {"1|1|21000.00", "2|2|3150.00", "4|3|15000.00", "5|1|10500.53", "6|2|35000.00"}));
    EXPECT_EQ(db.rows("select eaempid, eadetailid, eaallowanceid, eaamount from "
                      "pay_empallowances order by eaempid, eadetailid",
                      {3}),
              QStringList({"1|1|1|6000.00", "1|2|2|800.00", "1|3|3|250.00", "2|1|3|250.00",
                           "5|1|1|5000.00", "5|2|3|250.00", "6|1|2|700.00", "6|2|1|8000.00",
                           "6|3|3|250.00"}));
    EXPECT_EQ(db.rows("select edempid, eddetailid, eddeductionid, edamount from "
                      "pay_empdeductions order by edempid, eddetailid",
                      {3}),
              QStringList({"1|1|1|1200.00", "6|2|1|1500.00"}));
}

// Cancelling the batch's job changes, latest first, through the service puts every employee
// back exactly: masters and standing lines as they were.
TEST_F(BulkRevisionTest, CancellingTheBatchLatestFirstRestoresEveryEmployee) {
    const auto before = db.snapshot();
    const jobchange::BatchResult result = writer.apply(preview(), rules);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.saved.size(), 5u);
    for (auto done = result.saved.rbegin(); done != result.saved.rend(); ++done) {
        const jobchange::WriteResult cancelled = writer.cancel(done->id, "Wrong rate");
        ASSERT_TRUE(cancelled.ok) << cancelled.error;
    }
    const auto after = db.snapshot();
    for (const QString table : {"pay_employee", "pay_empallowances", "pay_empdeductions"})
        EXPECT_EQ(after[table], before[table]) << table;
    EXPECT_EQ(db.rows("select count(*) from pay_employeegradechange where egcCancelled = 1"),
              QStringList{"5"});
}

// A cancel from the progress, an employee named twice, or a failure at each write of the batch,
// its audit rows' included, or at COMMIT, leaves every table as it was and says why.
TEST_F(BulkRevisionTest, ACancelDuplicateOrFailureLeavesEveryTableAsItWas) {
    const std::vector<bulk::PreviewRow> rows = preview();
    const auto before = db.snapshot();
    QList<int> progress;
    const jobchange::BatchResult cancelled = writer.apply(rows, rules, [&](int done, int total) {
        progress << done << total;
        return done < 3;
    });
    EXPECT_EQ(cancelled.outcome, jobchange::BatchResult::Outcome::Cancelled);
    EXPECT_EQ(progress, QList<int>({1, 5, 2, 5, 3, 5}));
    EXPECT_EQ(db.snapshot(), before);
    EXPECT_FALSE(db.db().inTransaction());

    // A batch that names an employee twice is declined whole before anything is written, naming
    // them as a message shows outside data: the second job change would store as old what the
    // first replaces, and the audit would record neither's true before and after.
    db.db().execute("update pay_employee set eempno = ? where eEmpID = 6",
                    {QStringLiteral("E\033006")}); // an escape in Fay's number
    std::vector<bulk::PreviewRow> twice = preview();
    twice.push_back(twice.back()); // Fay again
    const auto named = db.snapshot();
    const jobchange::BatchResult declined = writer.apply(twice, rules);
    EXPECT_EQ(declined.outcome, jobchange::BatchResult::Outcome::Declined);
    EXPECT_EQ(declined.error,
              "Employee No E?006 is in the batch more than once; nothing was saved.");
    EXPECT_TRUE(declined.saved.empty());
    EXPECT_EQ(db.snapshot(), named);
    EXPECT_FALSE(db.db().inTransaction());

    QStringList writes;
    const jobchange::BatchResult saved =
        failEachBatchWrite([&] { return writer.apply(preview(), rules); }, &writes);
    EXPECT_EQ(saved.saved.size(), 5u);
    ASSERT_FALSE(writes.isEmpty());
    EXPECT_THAT(writes.last().toStdString(), ::testing::StartsWith("insert into pay_audittrail"));
}

// Another clerk, on a connection of their own, saves a job change for Asha and changes one of
// Fay's standing lines after the preview: the batch is refused whole, naming both; computed
// again, it goes through.
TEST_F(BulkRevisionTest, AChangeByAnotherClerkAfterThePreviewRefusesTheBatch) {
    const std::vector<bulk::PreviewRow> rows = preview();
    const data::ConnectionPtr other = db.another();
    const jobchange::JobChangeWriter clerk(jobchange::Workspace::open(
        other, 1, 1, 91004, QDate(2003, 2, 14), QStringLiteral("Payroll")));
    ASSERT_TRUE(clerk.saveNew(ashaPromoted()).ok); // on the process date: Asha stays eligible
    other->execute("update pay_empdeductions set edamount = 950 where edempid = 6 and "
                   "eddeductionid = 2");
    other->close();

    const auto before = db.snapshot();
    const jobchange::BatchResult refused = writer.apply(rows, rules);
    EXPECT_EQ(refused.outcome, jobchange::BatchResult::Outcome::Refused);
    EXPECT_EQ(refused.changed, std::vector<qint32>({1, 6}));
    EXPECT_EQ(db.snapshot(), before);

    const jobchange::BatchResult again = writer.apply(preview(), rules);
    ASSERT_TRUE(again.ok()) << again.error;
    EXPECT_EQ(again.saved.front().number, "JC2");
}

} // namespace
