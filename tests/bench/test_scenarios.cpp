#include "bench/generate.h"
#include "bench/rowsink.h"
#include "bench/scenarios.h"
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

} // namespace
