// The engine alone, with no window and no QApplication: a job change saved, edited and cancelled,
// and a bulk revision applied.

#include "bulk/preview.h"
#include "jobchange/bulkservice.h"
#include "jobchange/jobchangeservice.h"
#include "support/check.h"
#include "support/company.h"

#include <QCoreApplication>

namespace {

class UnitOfWorkTest : public ::testing::Test {
protected:
    UnitOfWorkTest() { insertTestCompany(db); }

    QStringList employee(int id) const {
        return db.rows(QStringLiteral("select eBasic, eGradeID, eDesigID from pay_employee where "
                                      "eEmpID = %1")
                           .arg(id),
                       {0}) +
               db.rows(QStringLiteral("select eaallowanceid, eaamount from pay_empallowances "
                                      "where eaempid = %1 order by eadetailid")
                           .arg(id),
                       {1});
    }

    TestDatabase db;
    const jobchange::WorkspacePtr workspace = jobchange::Workspace::open(
        db.connection(), 1, 1, jobchange::kJobChangeInterfaceId, QDate(2003, 2, 14), "Payroll");
};

TEST_F(UnitOfWorkTest, SavesEditsCancelsAndAppliesABatchWithoutWindows) {
    EXPECT_EQ(QCoreApplication::instance()->metaObject()->className(),
              QByteArray("QGuiApplication"));
    const QStringList asha = employee(1);
    const jobchange::JobChangeService service(workspace);
    const jobchange::WriteResult saved = service.saveNew(ashaPromoted());
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.number, "JC1");
    EXPECT_EQ(employee(1), QStringList({"1500.50|2|2", "1|5500.00", "3|300.00"}));

    jobchange::JobChangeDraft corrected = ashaPromoted();
    corrected.remarks = QStringLiteral("Corrected");
    ASSERT_TRUE(service.saveEdit(saved.id, corrected).ok);
    ASSERT_TRUE(service.cancel(saved.id, "withdrawn").ok);
    EXPECT_EQ(db.rows("select egcremarks, egcCancelled, egcCancelledRemarks from "
                      "pay_employeegradechange"),
              QStringList{"Corrected|1|User 1:withdrawn"});
    EXPECT_EQ(employee(1), asha);

    const jobchange::BulkService bulk(workspace);
    bulk::Rules rules;
    rules.date = QDate(2003, 3, 1);
    rules.remarks = QStringLiteral("Annual increment");
    rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
    ASSERT_EQ(bulk.prepareRules(rules), "");
    std::vector<bulk::PreviewRow> rows = bulk::computePreview(bulk.eligibleEmployees(), rules);
    ASSERT_EQ(rows.size(), 3u); // Asha, Bruno, Dina
    rows[2].checked = false;
    const jobchange::BatchResult batch = bulk.apply(rows, rules);
    ASSERT_TRUE(batch.ok()) << batch.error;
    EXPECT_EQ(db.rows("select egcId, egcNo, egcEmpID, egcNewBasic, egcCancelled from "
                      "pay_employeegradechange where egcId > 1 order by egcId",
                      {3}),
              QStringList({"2|JC2|1|21000.00|0", "3|JC3|2|3150.00|0"}));
    EXPECT_EQ(employee(1)[0], "21000.00|1|1");
}

} // namespace
