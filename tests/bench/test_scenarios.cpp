#include "bench/bulkbench.h"
#include "bench/generate.h"
#include "bench/rowsink.h"
#include "bench/scenarios.h"
#include "jobchange/auditverify.h"
#include "register/frmmaster.h"
#include "support/check.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

namespace {

// Every row of the query, its texts joined by "|", sorted.
QStringList rows(data::Connection& db, const QString& sql) {
    QStringList all = queryRows(db, sql);
    all.sort();
    return all;
}

TEST(Bench, GeneratedDataIsConsistentAndEachDriveDoesWhatItClaims) {
    QTemporaryDir dir;
    const QString file = dir.filePath("payroll.sqlite");
    bench::generateSqlite(file, {.jobChanges = 300, .employees = 60});
    const bench::Installation installation(file, bench::GenerateOptions().processDate);
    bench::MessageLog messages;
    const std::unique_ptr<FrmMaster> frm = bench::loadRegister(installation);
    data::Connection& db = installation.db();
    // Some, not most, of the generated job changes are cancelled.
    EXPECT_EQ(rows(db, "select count(*), case when sum(egcCancelled) between 1 and count(*) / 5 "
                       "then 'some' end from pay_employeegradechange"),
              QStringList{"300|some"});
    EXPECT_EQ(bench::RawDatabase(file).queryAll(frm->registerSql()), frm->flexMaster->rows() - 1);

    frm->show();
    QString problem;
    EXPECT_TRUE(bench::timeSearch(*frm, "S", 'h', problem)) << problem;
    EXPECT_TRUE(frm->flexMaster->textMatrix(frm->flexMaster->row(), 3).startsWith("Sh"));
    EXPECT_TRUE(bench::timeSort(*frm, problem)) << problem;

    const qint32 employee = installation.employeesForNewJobChanges(0, 1).at(0);
    ASSERT_TRUE(bench::timeSave(*frm, installation, employee, problem)) << problem;
    ASSERT_TRUE(bench::timeCancel(*frm, installation, 301, problem)) << problem;
    EXPECT_EQ(rows(db, "select egcNo, egcCancelled, (select count(*) from pay_empgcallowance where "
                       "egcagcid = egcId), (select count(*) from pay_empgcdeductions where "
                       "egcdgcid = egcId) from pay_employeegradechange where egcId = 301"),
              QStringList{"JC301|1|10|10"});
    EXPECT_TRUE(messages.take().isEmpty());
}

// The bulk apply's floor writes the rows the apply writes, written 64 employees at a time and
// recorded 500 at a time, and over that: the job changes, their lines, the employees and their
// standing lines, and an audit row each; the apply's trail verifies.
TEST(Bench, TheBulkFloorWritesWhatTheApplyWrites) {
    QTemporaryDir dir;
    const bench::BulkFigures figures = bench::measureBulk(dir.path(), 520);
    EXPECT_TRUE(figures.problems.isEmpty()) << figures.problems.join('\n').toStdString();
    const auto apply = std::make_shared<data::Connection>();
    data::Connection floor;
    apply->openSqlite(dir.filePath("bulk-520.sqlite"));
    floor.openSqlite(dir.filePath("bulk-floor.sqlite"));
    for (const QString sql :
         {"select egcId, egcNo, egcDate, egcEmpID, egcOldDesigID, egcOldGradeID, egcNewDesigID, "
          "egcNewGradeID, round(egcOldBasic * 100), round(egcNewBasic * 100), egcremarks, "
          "egcCancelled from pay_employeegradechange",
          "select egcagcid, egcadetailid, egcatype, egcaallowanceid, round(egcaoldamount * 100), "
          "round(egcarevamount * 100) from pay_empgcallowance",
          "select egcdgcid, egcddetailid, egcdtype, egcddeductionid, round(egcdoldamount * 100), "
          "round(egcdrevamount * 100) from pay_empgcdeductions",
          "select eEmpID, eDesigID, eGradeID, round(eBasic * 100) from pay_employee",
          "select eaempid, eadetailid, eaallowanceid, round(eaamount * 100) from "
          "pay_empallowances",
          "select edempid, eddetailid, eddeductionid, round(edamount * 100) from "
          "pay_empdeductions",
          "select auSeq, auAction, auJobChangeID, auJobChangeNo, auEmpID from pay_audittrail"}) {
        SCOPED_TRACE(sql.toStdString());
        const QStringList written = rows(*apply, sql);
        EXPECT_GE(written.size(), 520);
        EXPECT_EQ(rows(floor, sql), written);
    }
    const jobchange::AuditVerification verified = jobchange::verifyAudit(
        jobchange::Workspace::open(apply, 1, 1, jobchange::kJobChangeInterfaceId,
                                   bench::GenerateOptions().processDate, "Payroll"));
    EXPECT_TRUE(verified.sound())
        << (verified.problems + verified.employees).join('\n').toStdString();
    EXPECT_EQ(verified.head.count, 520);
}

} // namespace
