#pragma once

// The job-change writer and reads over the entry window's test company, with no window.

#include "entry/entryfixture.h"
#include "jobchange/entryreads.h"
#include "jobchange/lookups.h"
#include "jobchange/writer.h"
#include "support/hooks.h"

#include <functional>

class ServiceTest : public ::testing::Test {
protected:
    // Fails the write at its statement 1, 2, ... (and first by the server itself when asked:
    // the deduction table gone) until it gets through. Each failure must be returned with its
    // text and leave the whole database as it was. Returns the statements failed in turn.
    int failEachWrite(const std::function<jobchange::WriteResult()>& write,
                      bool serverFirst = false) {
        const QMap<QString, QStringList> before = db.snapshot();
        for (int failAt = serverFirst ? 0 : 1; failAt <= 40; ++failAt) {
            SCOPED_TRACE(failAt);
            int writes = 0;
            const QString injected = QStringLiteral("Disk full at write %1").arg(failAt);
            hookWrites(db.db(), [&](const QString&) {
                if (++writes == failAt)
                    throw data::DbError(data::kErrGeneric, "test", injected);
            });
            if (failAt == 0)
                db.exec("alter table pay_empdeductions rename to pay_empdeductions_away");
            const jobchange::WriteResult result = write();
            db.db().setStatementHook({});
            if (failAt == 0)
                db.exec("alter table pay_empdeductions_away rename to pay_empdeductions");
            if (failAt > 0 && writes < failAt) {
                EXPECT_TRUE(result.ok) << result.error;
                return failAt - 1;
            }
            ++faultsInjected;
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(result.error, failAt > 0 ? injected : result.error);
            EXPECT_FALSE(result.error.isEmpty());
            EXPECT_EQ(db.snapshot(), before);
            EXPECT_FALSE(db.db().inTransaction());
        }
        return -1;
    }

    QStringList employee(int id) const {
        return db.rows(QStringLiteral("select eBasic, eGradeID, eDesigID from pay_employee where "
                                      "eEmpID = %1")
                           .arg(id)) +
               db.rows(QStringLiteral("select eadetailid, eaallowanceid, eaamount from "
                                      "pay_empallowances where eaempid = %1 order by eadetailid")
                           .arg(id)) +
               db.rows(QStringLiteral("select eddetailid, eddeductionid, edamount from "
                                      "pay_empdeductions where edempid = %1 order by eddetailid")
                           .arg(id));
    }

    static inline int faultsInjected = 0;

    TestDatabase db;
    EntryData data{db};
    ScriptedMessages messages; // the service must show none
    const jobchange::WorkspacePtr workspace = contextWorkspace();
    jobchange::JobChangeWriter writer{workspace};
    jobchange::EntryReads reads{workspace};
    jobchange::Lookups lookups{workspace};
};
