#include "jobchange/numbering.h"
#include "jobchange/servicefixture.h"

namespace {

class Service : public ServiceTest {};

TEST_F(Service, TheNumberFollowsTheHighestTakenNumericallyAfterThePrefix) {
    const auto next = [this](const QStringList& all) { // the numbers stored, then the next one
        db.exec("delete from pay_employeegradechange");
        db.insert("pEmployeegradeChange", "egcId,egcNo,egcCompanyID,egcCancelled,egcEmpID", all);
        return jobchange::numberSeries(*workspace).number();
    };
    EXPECT_EQ(next({}), "JC1");
    // Cancelled ones count, another company's do not.
    EXPECT_EQ(next({"1, 'JC1', 1, 0, 1", "2, 'JC2', 1, 1, 1", "3, 'JC10', 1, 0, 1",
                    "4, 'JC50', 2, 0, 1"}),
              "JC11");
    EXPECT_EQ(next({"1, 'JC32767', 1, 0, 1"}), "JC32768");
    db.exec("update pay_prefix set Prefix = 'JC '");
    EXPECT_EQ(next({"1, 'JC 7', 1, 0, 1"}), "JC 8") << "cut by the prefix's full length";
    db.exec("delete from pay_prefix");
    EXPECT_EQ(next({"1, '1', 1, 0, 1", "2, '2', 1, 0, 1"}), "3") << "no prefix row";
    EXPECT_EQ(thrown([&] { next({"1, '2147483647', 1, 0, 1"}); }).description(), "Overflow");
}

// The combo lines the entry window shows, with their ids; the statement orders nothing.
TEST_F(Service, ChoicesAreTheActiveEmployeesAndJobsOfTheCompanyAsTheCombosShowThem) {
    db.insert("pemployee", {"2, 9, 'E009', 'Elsewhere', 1, 1, 100, 1, 1"});
    const auto lines = [this](const jobchange::ComboLookup& lookup) {
        QStringList all;
        for (const Choice& choice : lookups.choices(lookup))
            all << QString::number(choice.id) + ":" + choice.text;
        all.sort();
        return all;
    };
    EXPECT_EQ(lines(lookups.employeeLookup()),
              QStringList({"1:Asha-E001 - Rs", "2:Bruno-E002 - $", "4:Dina-E004 - Rs"}));
    for (auto list : {jobchange::JobList::Old, jobchange::JobList::New})
        EXPECT_EQ(lines(lookups.jobLookup(list)),
                  QStringList({"1:Junior - Clerk", "2:Senior - Officer"}));
}

// One call each, no window: what a save, its edit and the cancellation write, and that a
// failure at any statement of them leaves nothing behind.
TEST_F(Service, SaveEditAndCancelWriteEverythingOrNothing) {
    db.insert("pusers", {"1, 1, '  D''Souza '"});
    const QStringList original = employee(1);
    jobchange::WriteResult saved;
    EXPECT_EQ(failEachWrite([&] { return saved = writer.saveNew(ashaPromoted()); }), 10)
        << "header, employee, the lines and the standing lines (a statement a kind), 2 "
           "deletions, audit row, COMMIT";
    EXPECT_EQ(QStringLiteral("%1 %2 %3").arg(saved.id).arg(saved.number).arg(saved.retries),
              "1 JC1 0");
    // The header and allowance lines are checked as the entry window saves them.
    EXPECT_EQ(db.rows("select egcddetailid, egcddeductionid, egcdtype, egcdoldamount, "
                      "egcdrevamount from pay_empgcdeductions where egcdgcid = 1"),
              QStringList({"1|1|O|1200|1200"}));
    // The removed line leaves a gap in the standing lines' detail ids; Bruno's are untouched.
    EXPECT_EQ(employee(1), QStringList({"1500.5|2|2", "1|1|5500", "3|3|300", "1|1|1200"}));
    EXPECT_EQ(employee(2), QStringList({"3000|2|2", "1|3|300", "1|2|100"}));

    // The edit keeps the number, date and old job and rewrites the rest.
    jobchange::JobChangeDraft edit = ashaPromoted();
    edit.date = QDate(2003, 3, 1);
    edit.oldDesignationId = 2;
    edit.newDesignationId = 1;
    edit.newBasic = money("21000");
    edit.remarks = QStringLiteral("Corrected");
    edit.linesOf(LineKind::Allowance) = {line(1, 'O', 5000, 6000), line(2, 'O', 800, 800),
                                         line(3, 'N', 0, 300)};
    EXPECT_EQ(failEachWrite([&] { return saved = writer.saveEdit(1, edit); }), 12)
        << "header, employee, 2 deletions, 2 line inserts, 2 deletions, 2, audit row, COMMIT";
    EXPECT_EQ(saved.id, 1);
    EXPECT_EQ(db.rows("select egcNo, egcDate, egcOldDesigID, egcNewDesigID, egcNewBasic, "
                      "egcremarks from pay_employeegradechange"),
              QStringList({"JC1|2003-02-14|1|1|21000|Corrected"}));
    EXPECT_EQ(db.rows("select count(*) from pay_empgcallowance"), QStringList{"3"});
    EXPECT_EQ(employee(1),
              QStringList({"21000|1|1", "1|1|6000", "2|2|800", "3|3|300", "1|1|1200"}));

    // Cancelled, the employee gets back exactly what the job change replaced, numbered 1 to n.
    EXPECT_EQ(failEachWrite([&] { return writer.cancel(1, "  withdrawn  "); }), 8)
        << "mark, employee, 2 deletions, 2 inserts of the lines restored, audit row, COMMIT";
    EXPECT_EQ(db.rows("select egcCancelled, egcCancelledRemarks from pay_employeegradechange"),
              QStringList{"1|D'Souza:withdrawn"});
    EXPECT_EQ(employee(1), original);
    EXPECT_TRUE(messages.shown.empty());
}

// Without a user name the reason is kept under the user id; the basic put back is the one stored,
// even one no clerk could enter.
TEST_F(Service, ACancellationKeepsItsReasonAndPutsBackTheStoredBasicExactly) {
    ASSERT_TRUE(writer.saveNew(ashaPromoted()).ok);
    db.exec("update pay_employeegradechange set egcOldBasic = 1e15");
    const jobchange::WriteResult cancelled = writer.cancel(1, "  withdrawn  ");
    ASSERT_TRUE(cancelled.ok) << cancelled.error;
    EXPECT_EQ(db.rows("select egcCancelledRemarks from pay_employeegradechange"),
              QStringList{"User 1:withdrawn"});
    EXPECT_EQ(reads.employeeState(1).basic.text(), "1000000000000000.00");
    EXPECT_FALSE(reads.employeeState(1).basic.inRange());
}

} // namespace
