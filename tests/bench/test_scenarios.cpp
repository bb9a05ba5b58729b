#include "bench/generate.h"
#include "bench/measure.h"
#include "bench/scenarios.h"
#include "component/basgrade.h"
#include "register/frmmaster.h"
#include "ui/flexgrid.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kJobChanges = 300;

// The benchmark's drives through the windows on a small generated company: each must do what
// it claims, or the figures it prints measure something else.
class ScenariosTest : public ::testing::Test {
protected:
    void SetUp() override {
        bench::GenerateOptions options;
        options.jobChanges = kJobChanges;
        options.employees = 60;
        file = dir.filePath("payroll.sqlite");
        bench::generateSqlite(file, options);
        installation = std::make_unique<bench::Installation>(file, options.processDate);
        frm = bench::loadRegister(*installation);
    }

    qint64 scalar(const QString& sql) const {
        return installation->db().open(sql).field(0).toLongLong();
    }

    QTemporaryDir dir;
    QString file;
    std::unique_ptr<bench::Installation> installation;
    std::unique_ptr<FrmMaster> frm;
    bench::MessageLog messages;
    QString problem;
};

TEST_F(ScenariosTest, RegisterListsEveryJobChangeAndSearchAndSortDoWhatTheySay) {
    EXPECT_EQ(frm->flexMaster->rows() - 1, kJobChanges);
    frm->show();
    EXPECT_TRUE(bench::timeSearch(*frm, "S", 'h', problem)) << problem.toStdString();
    EXPECT_TRUE(frm->flexMaster->textMatrix(frm->flexMaster->row(), 3).startsWith("Sh"));
    EXPECT_TRUE(bench::timeSort(*frm, problem)) << problem.toStdString();
    EXPECT_TRUE(messages.take().isEmpty());
}

TEST_F(ScenariosTest, SaveStoresTenAndTenLinesUnderThePrefixAndCancelCancels) {
    const std::vector<qint32> employees = installation->employeesForNewJobChanges(0, 1);
    ASSERT_EQ(employees.size(), 1u);
    ASSERT_TRUE(bench::timeSave(*frm, *installation, employees[0], problem))
        << problem.toStdString();
    const data::ResolvedTableNames& t = BasGrade().tables;
    const QString id = QString::number(kJobChanges + 1);
    EXPECT_EQ(installation->db()
                  .open("select egcNo from " + t.pEmployeegradeChange + " where egcId = " + id)
                  .text(0),
              "JC" + id);
    EXPECT_EQ(scalar("select count(*) from " + t.pempgcAllowance + " where egcagcid = " + id), 10);
    EXPECT_EQ(scalar("select count(*) from " + t.pempgcdeductions + " where egcdgcid = " + id), 10);
    EXPECT_EQ(scalar("select count(*) from " + t.pempallowances +
                     " where eaempid = " + QString::number(employees[0])),
              10);

    const std::vector<qint32> latest = installation->latestJobChanges(2, 1);
    ASSERT_EQ(latest.size(), 1u);
    ASSERT_TRUE(bench::timeCancel(*frm, *installation, latest[0], problem))
        << problem.toStdString();
    EXPECT_TRUE(messages.take().isEmpty());
}

TEST(Measure, PeakMemoryIsReadFromTheProcessStatus) {
    EXPECT_GT(bench::memoryKb("VmHWM"), 0);
    EXPECT_GE(bench::memoryKb("VmHWM"), bench::memoryKb("VmRSS"));
    EXPECT_DOUBLE_EQ(bench::median({5.0, 1.0, 3.0}), 3.0);
    EXPECT_DOUBLE_EQ(bench::median({4.0, 1.0}), 2.5);
}

} // namespace
