// The host's audit commands on every database: the upgrade run twice, its indexes on the
// installation's job change table, the check of a sound and of a tampered trail, and the export.

#include "app/hostrun.h"
#include "support/check.h"
#include "support/testdb.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

class HostAudit : public ::testing::Test {
protected:
    HostRun host(const QStringList& arguments) const {
        return runHost(db.hostArguments() + QStringList{"--company", "1"} + arguments, dir.path());
    }

    // The indexes the server's catalogue lists on a table.
    QStringList indexesOn(const QString& table) const {
        return db.rows(
            db.isPostgres()
                ? "select indexname from pg_indexes where tablename = '" + table +
                      "' order by indexname"
                : "select name from sqlite_master where type = 'index' and tbl_name = '" + table +
                      "' order by name");
    }

    // How many tables or indexes of that name the server's catalogue has.
    int catalogued(const QString& name) const {
        return db
            .scalar((db.isPostgres() ? "select count(*) from pg_class where relname = '"
                                     : "select count(*) from sqlite_master where name = '") +
                    name + "'")
            .toInt();
    }

    QTemporaryDir dir;
    TestDatabase db;
};

// A payroll of before the trail: the upgrade adds it and a baseline per employee, once.
TEST_F(HostAudit, UpgradeThenVerifyThenFindWhatWasChangedByHand) {
    db.loadDemo();
    db.exec("drop table pay_audittrail");
    db.exec("delete from linktable where tablename = 'paudittrail'");
    const int employees = db.scalar("select count(*) from pay_employee").toInt();

    HostRun run = host({"--upgrade-schema"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const QString script = db.isPostgres() ? "postgres" : "sqlite";
    EXPECT_EQ(run.output,
              QStringLiteral("Ran schema/%1/approval.sql.\nRan schema/%1/audit.sql.\nRan "
                             "schema/%1/indexes.sql.\n%2 baseline audit rows written.\n")
                  .arg(script)
                  .arg(employees));
    run = host({"--upgrade-schema"});
    EXPECT_TRUE(run.output.endsWith("\n0 baseline audit rows written.\n")) << run.output;

    run = host({"--verify-audit"});
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    const QRegularExpressionMatch head =
        QRegularExpression("^The audit trail of company 1 verifies: (\\d+) rows; head "
                           "([0-9a-f]{64}:\\d+)\n$")
            .match(run.output);
    ASSERT_TRUE(head.hasMatch()) << run.output;
    EXPECT_EQ(head.captured(1).toInt(),
              db.scalar("select count(*) from pay_employee where eCompanyID = 1").toInt());
    EXPECT_EQ(host({"--verify-audit", "--head", head.captured(2)}).exitCode, 0);
    EXPECT_EQ(host({"--verify-audit", "--head", "abc:3"}).exitCode, 2);

    db.exec("update pay_employee set eBasic = eBasic + 1 where eCompanyID = 1 and eempno = "
            "'E0012'");
    run = host({"--verify-audit", "--head", head.captured(2)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.startsWith("E0012 ")) << run.output;
    EXPECT_TRUE(run.output.contains("pay changed outside the program since audit row 12: basic "))
        << run.output;
    EXPECT_TRUE(run.output.endsWith("does not verify: 0 rows changed, removed or inserted, 1 "
                                    "employees changed outside the program.\n"))
        << run.output;
}

// An installation's own job change table, under a name of its own with a schema prefix and the
// blanks of a fixed-width column, gets the module's indexes, once; a name that could carry SQL
// fails the upgrade, and nothing of it stays.
TEST_F(HostAudit, UpgradeIndexesTheJobChangeTableLinktableNamesAndOnlyAPlainOne) {
    db.exec("create table jc_headers as select * from pay_employeegradechange");
    db.exec(QStringLiteral("update linktable set linktablename = '%1.jc_headers  ' where "
                           "tablename = 'pEmployeegradeChange'")
                .arg(db.isPostgres() ? "public" : "main"));
    ASSERT_EQ(indexesOn("jc_headers"), QStringList());
    const QStringList expected = QStringList{"ix_jc_headers_emp", "ix_jc_headers_later",
                                             "ix_jc_headers_no", "ix_jc_headers_register"};
    for (int run = 0; run < 2; ++run) {
        const HostRun upgraded = host({"--upgrade-schema"});
        ASSERT_EQ(upgraded.exitCode, 0) << upgraded.errors;
        EXPECT_TRUE(upgraded.output.contains("/indexes.sql.\n")) << upgraded.output;
        EXPECT_EQ(indexesOn("jc_headers"), expected);
    }

    db.exec("drop table pay_audittrail");
    db.exec("delete from linktable where tablename = 'paudittrail'");
    db.exec("update linktable set linktablename = 'jc_headers (egcId); drop table pay_employee; "
            "--' where tablename = 'pEmployeegradeChange'");
    const HostRun refused = host({"--upgrade-schema"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains("which is not a plain table name")) << refused.errors;
    EXPECT_EQ(refused.output, "");
    // The audit script ran before the name was read: its table and row went with the rollback.
    EXPECT_EQ(catalogued("pay_audittrail"), 0);
    EXPECT_EQ(db.scalar("select count(*) from linktable where tablename = 'paudittrail'").toInt(),
              0);
    EXPECT_EQ(catalogued("pay_employee"), 1);
    EXPECT_EQ(indexesOn("jc_headers"), expected);
}

// The export: one row per audit row of the days asked for, owner-only, no cell a formula.
TEST_F(HostAudit, ExportWritesTheRowsOfTheDaysAskedForSafely) {
    db.loadDemo();
    ASSERT_EQ(host({"--upgrade-schema"}).exitCode, 0);
    if (db.isPostgres())
        db.exec("alter table pay_audittrail disable trigger user");
    db.exec("update pay_audittrail set auRemark = '=HYPERLINK(\"http://x\")', auTime = "
            "'2026-11-02 10:00:00.000' where auCompanyID = 1 and auSeq = 2");
    const QString csv = dir.filePath("audit.csv");
    HostRun run = host({"--export-audit", csv, "--from", "2026-11-01", "--to", "2026-11-02"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(fileMode(csv), 0600);
    const QStringList lines = QString::fromUtf8(readFile(csv)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join('\n');
    EXPECT_TRUE(lines[0].startsWith("Row,Time (UTC),User,User Name,Computer,System User,Action,"
                                    "Job No,Employee No,Employee Name,Changes,Remark,Hash"));
    EXPECT_TRUE(lines[1].startsWith("2,2026-11-02 10:00:00.000,1,")) << lines[1];
    EXPECT_TRUE(lines[1].contains("Baseline,,E0002,")) << lines[1];
    EXPECT_TRUE(lines[1].contains(",\"'=HYPERLINK(\"\"http://x\"\")\",")) << lines[1];
    EXPECT_EQ(host({"--export-audit", csv, "--from", "2026-13-01"}).exitCode, 2);
}

} // namespace
