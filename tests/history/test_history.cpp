#include "data/schema.h"
#include "history/historyfixture.h"

using jobchange::LineRevision;
using jobchange::Pay;

namespace {

// "designation/grade basic | allowances | deductions", lines in stored order.
std::string payText(const Pay& pay) {
    QString text = QStringLiteral("%1/%2 %3 |")
                       .arg(pay.designationId)
                       .arg(pay.gradeId)
                       .arg(jobchange::amountText(pay.basic));
    for (const auto* lines : {&pay.allowances, &pay.deductions}) {
        for (const jobchange::PayLine& line : *lines)
            text +=
                QStringLiteral(" %1:%2").arg(line.typeId).arg(jobchange::amountText(line.amount));
        text += QStringLiteral(" |");
    }
    return text.toStdString();
}

std::string statuses(const std::vector<LineRevision>& lines) {
    QStringList texts;
    for (const LineRevision& line : lines)
        texts << line.description + QLatin1Char(' ') + jobchange::statusText(line.status());
    return texts.join(QStringLiteral(", ")).toStdString();
}

using History = HistoryFixture;

TEST_F(History, PayOnADayComesFromTheJobChangeInForceAndCancelledOnesChangeNothing) {
    const auto history = jobchange::loadEmployeeHistory(source(), 7);
    ASSERT_TRUE(history);
    EXPECT_EQ(history->employeeNo, "E7");
    EXPECT_EQ(history->currency, "Rs");
    EXPECT_EQ(payText(history->master), "2/2 27500.00 | 1:6500.00 | 1:2700.00 2:1500.00 |");
    // Oldest first by date, whatever the ids; company 2's employee 7 is another person.
    ASSERT_EQ(history->changes.size(), 3u);
    const auto& jc1 = history->changes[0];
    EXPECT_EQ(jc1.number + history->changes[1].number + history->changes[2].number, "JC1JC2JC3");
    EXPECT_EQ(jc1.oldJob + " > " + jc1.newJob, "Junior Clerk > Associate Accountant");
    EXPECT_EQ(statuses(jc1.allowances), "House Rent Revised, Conveyance Removed, Medical Added");
    EXPECT_EQ(statuses(jc1.deductions), "Provident Fund Kept");
    EXPECT_TRUE(history->changes[1].cancelled);
    EXPECT_EQ(history->changes[1].cancelledRemarks, "Administrator:wrong grade");

    const std::tuple<QDate, std::string, std::optional<size_t>, bool> cases[] = {
        {{2024, 1, 14}, "1/1 20000.00 | 1:5000.00 2:1000.00 | 1:2400.00 |", 0, false},
        {{2024, 1, 15}, "2/2 25000.00 | 1:6000.00 3:800.00 | 1:2400.00 |", 0, true},
        {{2024, 6, 1}, "2/2 25000.00 | 1:6000.00 3:800.00 | 1:2400.00 |", 0, true},
        {{2025, 2, 28}, "2/2 25000.00 | 1:6000.00 3:800.00 | 1:2400.00 |", 0, true},
        {{2025, 3, 1}, "2/2 27500.00 | 1:6500.00 | 1:2700.00 2:1500.00 |", 2, true},
    };
    for (const auto& [day, pay, source, after] : cases) {
        const auto inForce = jobchange::payOn(history->changes, day);
        ASSERT_TRUE(inForce);
        EXPECT_EQ(payText(inForce->pay), pay) << day.toString();
        EXPECT_EQ(inForce->source, source);
        EXPECT_EQ(inForce->afterSource, after);
    }
    EXPECT_EQ(payText(jobchange::payByHistory(history->changes)->pay), payText(history->master));

    // Every job change cancelled: the first one's old values, on any day.
    const auto allCancelled = jobchange::loadEmployeeHistory(source(), 8);
    for (const QDate& day : {QDate(2020, 1, 1), QDate(2030, 1, 1)})
        EXPECT_EQ(payText(jobchange::payOn(allCancelled->changes, day)->pay),
                  "1/1 18000.00 | 1:4000.00 | 1:100.25 |");
    // No job changes: nothing to reconstruct from.
    const auto none = jobchange::loadEmployeeHistory(source(), 9);
    EXPECT_TRUE(none->changes.empty());
    EXPECT_FALSE(jobchange::payOn(none->changes, QDate(2026, 1, 1)));
    EXPECT_EQ(none->master.basic, 1900050);
    EXPECT_FALSE(jobchange::loadEmployeeHistory(source(), 99));

    EXPECT_EQ(jobchange::findEmployeeByNumber(source(), "E8"), 8);
    EXPECT_FALSE(jobchange::findEmployeeByNumber(source(), "E8' or '1'='1"));
}

TEST_F(History, CheckNamesEveryEmployeeWhoseMasterWasChangedByHand) {
    // A standing line written again after another employee's: his lines are stored apart.
    db.exec("delete from pay_empdeductions where edcompanyid = 1 and edempid = 7 and "
            "eddeductionid = 1");
    db.exec("insert into pay_empdeductions values (1, 7, 1, 1, 2700)");
    jobchange::HistoryCheck check = jobchange::checkHistory(source());
    EXPECT_EQ(check.employeesChecked, 2); // 7 and 8; 9 has no job changes
    EXPECT_TRUE(check.disagreements.empty());

    db.exec("update pay_empdeductions set edamount = 2750 where edcompanyid = 1 and edempid = 7 "
            "and eddeductionid = 1");
    db.exec("delete from pay_empallowances where eacompanyid = 1 and eaempid = 8");
    db.exec(
        "update pay_employee set eDesigID = 2, eGradeID = 2 where eCompanyID = 1 and eEmpID = 8");
    db.exec("update pay_employee set eBasic = 99 where eCompanyID = 1 and eEmpID = 9");
    check = jobchange::checkHistory(source());
    ASSERT_EQ(check.disagreements.size(), 2u);
    EXPECT_EQ(check.disagreements[0].employeeNo, "E7");
    EXPECT_EQ(check.disagreements[0].differences,
              QStringList{"deductions 1:2750.00 2:1500.00, history 1:2700.00 2:1500.00"});
    EXPECT_EQ(check.disagreements[1].name, "Meena Iyer");
    EXPECT_EQ(check.disagreements[1].differences,
              (QStringList{"job 2/2, history 1/1", "allowances none, history 1:4000.00"}));

    // Another company's employee of the same id is not this one; a letter stored in lower case
    // still removes its line; a job change whose employee is gone is named; the deciding job
    // change goes by date, not by id (an older one under a later id, a cancelled later one under
    // an earlier id).
    db.exec("update pay_employee set eBasic = 5 where eCompanyID = 2 and eEmpID = 7");
    db.exec("update pay_empgcdeductions set egcdtype = 'r' where egcdcompanyid = 1 and egcdgcid "
            "= 12 and egcddetailid = 2");
    db.exec("insert into pay_employeegradechange values (15, 1, 'JC5', '2024-03-01', 10, 1, 1, "
            "100, 1, 1, 200, null, 0, null)");
    db.exec("insert into pay_employeegradechange values (16, 1, 'JC6', '2023-05-01', 7, 1, 1, "
            "100, 3, 3, 15000, null, 0, null), (10, 1, 'JC0', '2024-09-01', 8, 3, 3, 500, 3, 3, "
            "600, '', 1, 'Administrator:entered twice')");
    check = jobchange::checkHistory(source());
    EXPECT_EQ(check.employeesChecked, 3);
    ASSERT_EQ(check.disagreements.size(), 3u);
    EXPECT_EQ(check.disagreements[0].differences,
              QStringList{"deductions 1:2750.00 2:1500.00, history 1:2700.00"});
    EXPECT_EQ(check.disagreements[1].employeeNo, "E8");
    EXPECT_EQ(check.disagreements[2].employeeId, 10);
    EXPECT_EQ(check.disagreements[2].differences, QStringList{"no employee master"});
}

// The check reads every table as it stood at its start: a job change saved by another clerk
// meanwhile (the employee master and the job change moving together) is no disagreement.
TEST_F(History, CheckSeesOneMomentWhileAnotherClerkSaves) {
    if (!db.isPostgres()) // a reader keeps a snapshot without holding writers off
        db.exec("PRAGMA journal_mode=WAL");
    const data::ConnectionPtr other = db.another();
    bool saved = false;
    db.db().setStatementHook([&](const QString& sql) {
        if (saved || !sql.startsWith("select eEmpID, eempno"))
            return;
        saved = true;
        other->execute("update pay_employee set eBasic = 30000 where eCompanyID = 1 and eEmpID = "
                       "7");
        other->execute("update pay_employeegradechange set egcNewBasic = 30000 where "
                       "egcCompanyID = 1 and egcId = 12");
    });
    EXPECT_TRUE(jobchange::checkHistory(source()).disagreements.empty());
    db.db().setStatementHook({});
    EXPECT_TRUE(saved);
    EXPECT_TRUE(jobchange::checkHistory(source()).disagreements.empty());
}

} // namespace
