// The audit trail through the engine alone: each write leaves one row chained to the one before,
// with what it changed; the check finds each kind of change made behind the program's back.

#include "bulk/preview.h"
#include "data/schema.h"
#include "jobchange/auditchanges.h"
#include "jobchange/audittrail.h"
#include "jobchange/auditverify.h"
#include "jobchange/bulkreads.h"
#include "jobchange/writer.h"
#include "support/check.h"
#include "support/company.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gmock/gmock.h>

namespace {

using jobchange::AuditRow;

class AuditTest : public ::testing::Test {
protected:
    AuditTest() {
        insertTestCompany(db);
        db.insert("pusers", {"1, 1, 'Administrator'"});
        db.insert("pemployee", {"1, 5, 'E005', 'Emil', 1, 1, 10000.5, 1, 1"});
        workspace = jobchange::Workspace::open(
            db.connection(), 1, 1, jobchange::kJobChangeInterfaceId, QDate(2003, 2, 14), "Payroll");
    }

    // New, Edit, Cancel of Asha, then a five percent rise for Asha, Bruno and Emil: one row
    // each after the baseline of the five employees.
    void session() {
        ASSERT_EQ(jobchange::writeAuditBaseline(workspace), 5);
        const jobchange::WriteResult saved = writer().saveNew(ashaPromoted());
        ASSERT_TRUE(saved.ok) << saved.error;
        jobchange::JobChangeDraft corrected = ashaPromoted();
        corrected.newBasic = money("1600");
        ASSERT_TRUE(writer().saveEdit(saved.id, corrected).ok);
        ASSERT_TRUE(writer().cancel(saved.id, "withdrawn").ok);
        const jobchange::BulkReads bulk(workspace);
        bulk::Rules rules;
        rules.date = QDate(2003, 3, 1);
        rules.remarks = QStringLiteral("Annual increment");
        rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
        ASSERT_EQ(bulk.prepareRules(rules), "");
        std::vector<bulk::PreviewRow> rows = bulk::computePreview(bulk.eligibleEmployees(), rules);
        for (bulk::PreviewRow& row : rows)
            row.checked = row.employee.name != QLatin1String("Dina");
        ASSERT_TRUE(writer().apply(rows, rules).ok());
    }

    std::vector<AuditRow> rowsOf(qint32 employeeId) const {
        return jobchange::AuditReads(workspace).rowsOfEmployee(employeeId);
    }
    QStringList changes(const AuditRow& row) const {
        return jobchange::describeChanges(row, jobchange::AuditReads(workspace).names(),
                                          QLocale::c());
    }
    jobchange::AuditVerification verify(std::optional<jobchange::AuditHead> head = {}) const {
        return jobchange::verifyAudit(workspace, head);
    }
    // Changes the trail as someone with the server's own rights would, past PostgreSQL's
    // triggers.
    void tamper(const QString& sql) const {
        if (db.isPostgres())
            db.exec("alter table pay_audittrail disable trigger user");
        db.exec(sql);
        if (db.isPostgres())
            db.exec("alter table pay_audittrail enable trigger user");
    }

    TestDatabase db;
    jobchange::WorkspacePtr workspace;
    jobchange::JobChangeWriter writer() const { return jobchange::JobChangeWriter(workspace); }
};

TEST_F(AuditTest, EachWriteLeavesOneChainedRowWithWhatItChanged) {
    ASSERT_NO_FATAL_FAILURE(session());
    EXPECT_EQ(db.rows("select auSeq, auAction, auJobChangeNo, auEmpID, auUserID, auUserName, "
                      "auRemark from pay_audittrail where auSeq > 5 order by auSeq"),
              QStringList({"6|New|JC1|1|1|Administrator|Promoted",
                           "7|Edit|JC1|1|1|Administrator|Promoted",
                           "8|Cancel|JC1|1|1|Administrator|Administrator:withdrawn",
                           "9|New|JC2|1|1|Administrator|Annual increment",
                           "10|New|JC3|2|1|Administrator|Annual increment",
                           "11|New|JC4|5|1|Administrator|Annual increment"}));
    // Each row extends the one before it; the first from zeros.
    const QStringList hashes = db.rows("select auPrevHash, auHash from pay_audittrail where "
                                       "auCompanyID = 1 order by auSeq");
    ASSERT_EQ(hashes.size(), 11);
    EXPECT_EQ(hashes[0].section('|', 0, 0), QString(64, '0'));
    for (qsizetype i = 1; i < hashes.size(); ++i)
        EXPECT_EQ(hashes[i].section('|', 0, 0), hashes[i - 1].section('|', 1, 1)) << i;

    // Asha's rows, newest first: the rise, the cancellation, the edit, the save, her baseline.
    const std::vector<AuditRow> asha = rowsOf(1);
    ASSERT_EQ(asha.size(), 5u);
    EXPECT_EQ(asha[4].action, "Baseline");
    EXPECT_EQ(changes(asha[3]),
              QStringList({"Job No JC1", "Job Date 14 Feb 2003", "Old Job Clerk",
                           "Old Grade Junior", "Old Basic 20,000.00", "New Job Officer",
                           "New Grade Senior", "New Basic 1,500.50", "Remarks Promoted",
                           "House Rent 5,000.00 \u2192 5,500.00", "Conveyance removed (800.00)",
                           "Medical added 300.00", "Designation Clerk \u2192 Officer",
                           "Grade Junior \u2192 Senior", "Basic pay 20,000.00 \u2192 1,500.50",
                           "Standing House Rent 5,000.00 \u2192 5,500.00",
                           "Standing Medical added 300.00", "Standing Conveyance removed 800.00"}));
    // The edit's row holds what the job change said before it.
    EXPECT_EQ(changes(asha[2]), QStringList({"New Basic 1,500.50 \u2192 1,600.00",
                                             "Basic pay 1,500.50 \u2192 1,600.00"}));
    EXPECT_EQ(QJsonDocument::fromJson(asha[2].before.toUtf8())["jobChange"]["newBasic"], "1500.50");
    EXPECT_EQ(changes(asha[1]),
              QStringList({"Cancelled No \u2192 Yes",
                           "Cancellation reason (none) \u2192 Administrator:withdrawn",
                           "Designation Officer \u2192 Clerk", "Grade Senior \u2192 Junior",
                           "Basic pay 1,600.00 \u2192 20,000.00",
                           "Standing House Rent 5,500.00 \u2192 5,000.00",
                           "Standing Conveyance added 800.00", "Standing Medical removed 300.00"}));
    EXPECT_FALSE(asha[0].computer.isEmpty());
    EXPECT_FALSE(asha[0].osUser.isEmpty());
    EXPECT_EQ(asha[0].time.left(2), "20");

    const jobchange::AuditVerification result = verify();
    EXPECT_TRUE(result.sound()) << result.problems.join('\n') << result.employees.join('\n');
    EXPECT_EQ(result.head.count, 11);
    EXPECT_EQ(result.head.hash, hashes.last().section('|', 1, 1));
    EXPECT_TRUE(verify(result.head).sound());
}

// A write of another kind (an approval of a batch) is recorded through the same unit of work:
// its own action's name and values, in the chain; a failure of its own rolls its row back.
TEST_F(AuditTest, AWriteOfAnotherKindIsRecordedInTheChainOrNotAtAll) {
    ASSERT_EQ(jobchange::writeAuditBaseline(workspace), 5);
    const jobchange::ActionRecord approval{"Approve",
                                           0,
                                           {},
                                           2,
                                           {{"proposal", 7}, {"state", "proposed"}},
                                           {{"proposal", 7}, {"state", "approved"}},
                                           "Checked against the budget"};
    jobchange::UnitOfWork unit(workspace, {"Approve", "the proposal"}, false);
    const auto run = [&](bool fail) {
        return unit.run([&] {
            unit.lockEmployee(2);
            unit.record(approval);
            if (fail)
                throw data::DbError(data::kErrGeneric, "test", "Disk full");
        });
    };
    EXPECT_FALSE(run(true).committed());
    EXPECT_EQ(db.scalar("select count(*) from pay_audittrail").toInt(), 5);
    ASSERT_TRUE(run(false).committed());
    EXPECT_EQ(db.rows("select auSeq, auAction, auEmpID, auBefore, auAfter, auRemark from "
                      "pay_audittrail where auSeq = 6"),
              QStringList{"6|Approve|2|{\"proposal\":7,\"state\":\"proposed\"}|{\"proposal\":7,"
                          "\"state\":\"approved\"}|Checked against the budget"});
    EXPECT_TRUE(verify().sound());
}

// A change to the trail, or to an employee's pay, made without the program is found and named.
TEST_F(AuditTest, EachChangeMadeOutsideTheProgramIsFoundAndNamed) {
    ASSERT_NO_FATAL_FAILURE(session());
    const jobchange::AuditHead head = verify().head;
    const auto found = [&](std::optional<jobchange::AuditHead> given = {}) {
        const jobchange::AuditVerification result = verify(given);
        return result.problems + result.employees;
    };

    tamper("update pay_audittrail set auRemark = 'Demoted' where auSeq = 6");
    EXPECT_EQ(found(), QStringList{"audit row 6 (New, JC1, employee E001, " + rowsOf(1)[3].time +
                                   ") was changed or inserted outside the program: its contents "
                                   "do not give its hash"});
    tamper("update pay_audittrail set auRemark = 'Promoted' where auSeq = 6");

    tamper("delete from pay_audittrail where auSeq = 7");
    EXPECT_EQ(found(), QStringList{"audit row 7 was removed outside the program"});

    // Put back by the program's own rows: the session again, on a fresh trail.
    tamper("delete from pay_audittrail");
    ASSERT_EQ(jobchange::writeAuditBaseline(workspace), 5);
    const jobchange::AuditHead fresh = verify().head;
    ASSERT_TRUE(verify().sound());

    tamper("insert into pay_audittrail select auCompanyID, auSeq + 1, auTime, auUserID, "
           "auUserName, auComputer, auOsUser, 'Edit', auJobChangeID, auJobChangeNo, auEmpID, "
           "auBefore, auAfter, auRemark, auHash, auHash from pay_audittrail where auSeq = 5");
    EXPECT_EQ(found(), QStringList{"audit row 6 (Edit, employee E005, " + rowsOf(5)[0].time +
                                   ") was changed or inserted outside the program: its contents "
                                   "do not give its hash"});
    tamper("delete from pay_audittrail where auSeq = 6");
    // A row removed inside the trail is named as such, not as rows missing from its end.
    tamper("create table kept_row as select * from pay_audittrail where auSeq = 3");
    tamper("delete from pay_audittrail where auSeq = 3");
    EXPECT_EQ(found(fresh), QStringList({"audit row 3 was removed outside the program"}));
    tamper("insert into pay_audittrail select * from kept_row");
    tamper("drop table kept_row");

    // Rows removed from the end, or the whole trail written again with hashes that agree, only
    // the head recorded earlier shows.
    tamper("delete from pay_audittrail where auSeq = 5");
    EXPECT_TRUE(found().isEmpty());
    EXPECT_EQ(found(fresh), QStringList{"1 audit rows are missing from the end: the head "
                                        "recorded has 5 rows, the trail 4"});
    EXPECT_EQ(found(head), QStringList({"7 audit rows are missing from the end: the head "
                                        "recorded has 11 rows, the trail 4"}));
    ASSERT_EQ(jobchange::writeAuditBaseline(workspace), 1); // Emil's again, with a new time
    EXPECT_EQ(found(fresh), QStringList{"audit row 5 does not carry the hash of the head "
                                        "recorded: the trail up to it was rewritten outside "
                                        "the program"});

    // Pay changed by hand: found since the last row, and between two rows once a later write
    // has taken the changed pay as its start.
    db.exec("update pay_employee set eBasic = 16000 where eEmpID = 4");
    EXPECT_EQ(found(), QStringList{"E004 Dina (employee 4): pay changed outside the program "
                                   "since audit row 4: basic 16000.00, audited 15000.00"});
    jobchange::JobChangeDraft dina;
    dina.employeeId = 4;
    dina.oldDesignationId = 3;
    dina.newDesignationId = 2;
    dina.oldBasic = money("16000");
    dina.newBasic = money("17000");
    dina.date = QDate(2003, 2, 14);
    ASSERT_TRUE(writer().saveNew(dina).ok);
    db.exec("update pay_employee set eBasic = 17500 where eEmpID = 4");
    EXPECT_EQ(found(),
              QStringList({"E004 Dina (employee 4): pay changed outside the program between "
                           "audit rows 4 and 6: basic 16000.00, audited 15000.00",
                           "E004 Dina (employee 4): pay changed outside the program since audit "
                           "row 6: basic 17500.00, audited 17000.00"}));
}

// A row's hash is fixed by its fields, whatever reads them: trails already stored must verify.
// Names and remarks with quotes, control characters and letters outside ASCII included.
TEST(AuditValues, AHashAndAnEmployeesTextAreFixedByTheirValues) {
    AuditRow row;
    row.companyId = 1;
    row.seq = 2;
    row.time = "2026-12-07 10:00:00.000";
    row.userId = 1;
    row.userName = QString::fromUtf8("Zo\xc3\xab");
    row.computer = "pc\t1";
    row.osUser = "clerk";
    row.action = "Edit";
    row.jobChangeId = 7;
    row.number = "JC7";
    row.employeeId = 5;
    row.before = R"({"employee":null})";
    row.after = R"({"employee":{"allowances":[],"basic":"1.00","deductions":[],"designation":1,)"
                R"("grade":1}})";
    row.remark = QString("say \"hi\"\\ ") + QChar(1) + " ok";
    row.prevHash = jobchange::kFirstPrevHash;
    EXPECT_EQ(row.computedHash(),
              "26b190ddd208dfcb81b54ea6662aad6ebdaea05bd2605d5899b201f936c73144");

    // The check writes each employee's text directly; it must be the text a write records.
    const auto amount = [](const QVariant& value) { return data::StoredAmount::fromValue(value); };
    jobchange::EmployeeState employee;
    employee.found = true;
    employee.designationId = 12;
    employee.gradeId = 3;
    for (const QVariant& basic : {QVariant(), QVariant(35000.5), QVariant("33000.129")}) {
        employee.basic = amount(basic);
        employee.lines[0] = {{7, {}, amount(2000)}, {2, {}, amount("-5")}, {7, {}, amount(150.25)}};
        employee.lines[1] = {};
        EXPECT_EQ(jobchange::employeeText(employee),
                  jobchange::canonicalJson(jobchange::employeeJson(employee)).toUtf8());
    }
    employee.lines[1] = {
        {4, {}, amount("1e15")}, {1, {}, amount(QVariant())}, {9, {}, amount("n\"a")}};
    EXPECT_EQ(jobchange::employeeText(employee),
              jobchange::canonicalJson(jobchange::employeeJson(employee)).toUtf8());

    // So must a write's whole state, written directly where its texts allow.
    jobchange::StoredJobChange jobChange;
    jobChange.id = 70000;
    jobChange.number = "JC/7 (a)";
    jobChange.date = QDate(2003, 3, 1);
    jobChange.employeeId = 5;
    jobChange.oldDesignationId = 1;
    jobChange.newDesignationId = 2;
    jobChange.newGradeId = 4;
    jobChange.oldBasic = amount(10000.5);
    jobChange.newBasic = amount("10500.53");
    jobChange.lines[0] = {{"O", 7, {}, amount(2000), amount(2100), {}},
                          {"N", 2, {}, amount(0), amount("0.10"), {}},
                          {"R", 2, {}, amount(5), amount(5), {}}};
    const auto sameText = [&] {
        EXPECT_EQ(jobchange::stateText(employee, &jobChange),
                  jobchange::canonicalJson(jobchange::stateJson(employee, &jobChange)));
    };
    for (const QString& remarks :
         {QString("5% rise, ~{[<ok>]}"), QString::fromUtf8("Promu \xc3\xa0 l'\xc3\xa9t\xc3\xa9"),
          QString("tab\there \"quoted\" back\\slash") + QChar(0x7f)}) {
        jobChange.remarks = remarks;
        jobChange.cancelled = !jobChange.cancelled;
        jobChange.cancelledRemarks = remarks;
        sameText();
    }
    jobChange.lines[1] = {{"O", 1, {}, amount("1e15"), amount(QVariant()), {}}};
    sameText();
    employee.found = false;
    EXPECT_EQ(jobchange::stateText(employee, nullptr), R"({"employee":null})");
}

// A batch records for each job change the states, to the byte, that saving the same job change
// alone records: the Changes view shows no change that was not made, and the chain verifies.
TEST_F(AuditTest, ABatchRecordsWhatTheSameSavesOneByOneRecord) {
    bulk::Rules rules;
    rules.date = QDate(2003, 3, 1);
    rules.remarks = QStringLiteral("Annual increment");
    rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
    rules.lines = {
        {LineKind::Allowance, 1, {}, {bulk::Mode::PlusAmount, {}, money("1000")}, false, {}},
        {LineKind::Allowance, 3, {}, {bulk::Mode::SetTo, {}, money("250.10")}, true, {}},
        {LineKind::Deduction, 2, {}, {bulk::Mode::Drop, {}, {}}, false, {}}};
    const auto preview = [&](const jobchange::WorkspacePtr& in) {
        const jobchange::BulkReads bulk(in);
        EXPECT_EQ(bulk.prepareRules(rules), "");
        return bulk::computePreview(bulk.eligibleEmployees(), rules);
    };
    const std::vector<bulk::PreviewRow> rows = preview(workspace);
    const jobchange::BatchResult batch = writer().apply(rows, rules);
    ASSERT_TRUE(batch.ok()) << batch.error;
    ASSERT_EQ(batch.saved.size(), 4u);

    TestDatabase alone;
    insertTestCompany(alone);
    alone.insert("pusers", {"1, 1, 'Administrator'"});
    alone.insert("pemployee", {"1, 5, 'E005', 'Emil', 1, 1, 10000.5, 1, 1"});
    const jobchange::WorkspacePtr other = jobchange::Workspace::open(
        alone.connection(), 1, 1, jobchange::kJobChangeInterfaceId, QDate(2003, 2, 14), "Payroll");
    for (const bulk::PreviewRow& row : preview(other)) {
        const auto planned = bulk::plannedJobChange(row, rules);
        ASSERT_TRUE(planned);
        ASSERT_TRUE(jobchange::JobChangeWriter(other).saveNew(jobchange::draftOf(*planned)).ok);
    }

    const QString states = "select auSeq, auAction, auJobChangeID, auJobChangeNo, auEmpID, "
                           "auBefore, auAfter, auRemark from pay_audittrail order by auSeq";
    EXPECT_EQ(db.rows(states), alone.rows(states));
    EXPECT_EQ(db.rows(states).size(), 4);
    for (const AuditRow& row : rowsOf(5))
        EXPECT_EQ(
            changes(row),
            QStringList({"Job No JC4", "Job Date 1 Mar 2003", "Old Job Clerk", "Old Grade Junior",
                         "Old Basic 10,000.50", "New Job Clerk", "New Grade Junior",
                         "New Basic 10,500.53", "Remarks Annual increment", "Medical added 250.10",
                         "Basic pay 10,000.50 \u2192 10,500.53", "Standing Medical added 250.10"}));
    const jobchange::AuditVerification result = verify();
    EXPECT_TRUE(result.sound()) << result.problems.join('\n') << result.employees.join('\n');
}

// Text outside ASCII verifies as written; a fraction of a cent changed by hand in a standing
// line is found, read exactly as stored.
TEST_F(AuditTest, TheCheckReadsTextAndAmountsExactlyAsStored) {
    ASSERT_EQ(jobchange::writeAuditBaseline(workspace), 5);
    jobchange::JobChangeDraft draft = ashaPromoted();
    draft.remarks = QString::fromUtf8("Promu \xc3\xa0 l'\xc3\xa9t\xc3\xa9\t\"senior\"");
    ASSERT_TRUE(writer().saveNew(draft).ok);
    EXPECT_TRUE(verify().sound())
        << (verify().problems + verify().employees).join('\n').toStdString();

    db.exec("update pay_empallowances set eaamount = 300.001 where eaempid = 2");
    const jobchange::AuditVerification found = verify();
    EXPECT_TRUE(found.problems.isEmpty());
    ASSERT_EQ(found.employees.size(), 1);
    EXPECT_THAT(
        found.employees[0].toStdString(),
        ::testing::HasSubstr("(employee 2): pay changed outside the program since audit row 2: "
                             "allowances 3:300.001, audited 3:300.00"));
}

// On PostgreSQL the trail's rows cannot be changed or removed, even by a statement of the
// module's own connection.
TEST_F(AuditTest, PostgresRefusesToChangeOrEmptyTheTrail) {
    if (!db.isPostgres())
        GTEST_SKIP() << "PostgreSQL only";
    ASSERT_EQ(jobchange::writeAuditBaseline(workspace), 5);
    for (const char* sql : {"update pay_audittrail set auRemark = 'x'",
                            "delete from pay_audittrail", "truncate pay_audittrail"})
        EXPECT_THAT(thrown([&] { db.exec(sql); }).description().toStdString(),
                    ::testing::HasSubstr("the audit trail only takes new rows"))
            << sql;
    EXPECT_EQ(db.scalar("select count(*) from pay_audittrail").toInt(), 5);
}

// An installation without the trail's linktable row works as before and records nothing; the
// upgrade adds it, and running the upgrade again changes nothing.
TEST_F(AuditTest, TheUpgradeInstallsTheTrailOnceAndItsBaselineOnce) {
    db.exec("drop table pay_audittrail");
    db.exec("delete from linktable where tablename = 'paudittrail'");
    workspace = jobchange::Workspace::open(db.connection(), 1, 1, jobchange::kJobChangeInterfaceId,
                                           QDate(2003, 2, 14), "Payroll");
    EXPECT_EQ(workspace->recorder, nullptr);
    ASSERT_TRUE(writer().saveNew(ashaPromoted()).ok);
    EXPECT_EQ(jobchange::writeAuditBaselines(db.connection(), 1), 0);

    for (int run = 0; run < 2; ++run) {
        {
            data::TransactionGuard transaction(db.db());
            data::runUpgradeScripts(db.db());
            transaction.commit();
        }
        EXPECT_EQ(jobchange::writeAuditBaselines(db.connection(), 1), run == 0 ? 5 : 0);
    }
    EXPECT_EQ(db.rows("select linktablename from linktable where tablename = 'paudittrail'"),
              QStringList{"pay_audittrail"});
    workspace = jobchange::Workspace::open(db.connection(), 1, 1, jobchange::kJobChangeInterfaceId,
                                           QDate(2003, 2, 14), "Payroll");
    // The baseline holds the pay the save left: the trail goes on from it.
    EXPECT_EQ(changes(rowsOf(1)[0]),
              QStringList({"Designation Officer", "Grade Senior", "Basic pay 1,500.50",
                           "Standing House Rent 5,500.00", "Standing Medical 300.00",
                           "Standing Provident Fund 1,200.00"}));
    ASSERT_TRUE(writer().cancel(1, "withdrawn").ok);
    EXPECT_TRUE(verify().sound());
    EXPECT_EQ(rowsOf(1).size(), 2u);
}

} // namespace
