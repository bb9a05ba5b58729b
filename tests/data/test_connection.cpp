#include "data/connection.h"
#include "support/check.h"
#include "support/hooks.h"
#include "support/testdb.h"

namespace {

class ConnectionTest : public ::testing::Test {
protected:
    TestDatabase db;
    const QString users = physical("pusers");
};

TEST_F(ConnectionTest, RowBuilderBindsEveryValueAndAnEditMustFindItsRow) {
    const QString name = "O'Brien; drop table linktable --";
    db.db().addNew(users).set("companyid", 1).set("userid", 7).set("username", name).store();
    EXPECT_EQ(db.scalar("select username from " + users + " where userid = 7").toString(), name);

    db.db().edit(users, "companyid = 1 and userid = 7").set("username", "50% \\ back").store();
    EXPECT_EQ(db.scalar("select username from " + users + " where userid = 7").toString(),
              "50% \\ back");
    // An edit of a row that is not there fails instead of passing silently.
    EXPECT_THROW(db.db().edit(users, "userid = 999").set("username", "x").store(), data::DbError);
}

// A statement run again and again with other values (SQLite keeps it prepared): a rollback, a
// constraint violation or a refused write between runs leaves the next run doing exactly its own
// work.
TEST_F(ConnectionTest, ARepeatedStatementStaysRightAfterRollbacksAndFailures) {
    const QString insert =
        "insert into " + users + " (companyid, userid, username) values (?, ?, ?)";
    db.db().execute(insert, {1, 1, "kept"});
    thrown([&] {
        data::TransactionGuard transaction(db.db());
        db.db().execute(insert, {1, 2, "rolled back"});
        throw data::DbError(1, "test", "fails");
    });
    EXPECT_FALSE(db.db().inTransaction());
    EXPECT_EQ(thrown([&] {
                  db.db().execute(insert, {1, 1, "duplicate"});
              }).number(),
              data::kErrIntegrityViolation); // a new save tries again on this number
    hookWrites(db.db(), [](const QString&) { throw data::DbError(1, "hook", "refused"); });
    EXPECT_THROW(db.db().execute(insert, {1, 4, "refused"}), data::DbError);
    db.db().setStatementHook({});
    {
        data::TransactionGuard transaction(db.db());
        db.db().execute(insert, {1, 3, "after"});
        transaction.commit();
    }
    EXPECT_EQ(db.db().execute("update " + users + " set username = ? where userid = ?", {"x", 2}),
              0);
    EXPECT_EQ(db.snapshot().value(users), QStringList({"companyid=1|userid=1|username=kept",
                                                       "companyid=1|userid=3|username=after"}));
}

// What a clerk is shown of a refused statement never quotes the values bound to it: pay and
// names. Servers do (PostgreSQL in its DETAIL and LINE lines and the token it chokes on).
TEST_F(ConnectionTest, ARefusedStatementsDescriptionQuotesNoBoundValue) {
    const QString insert =
        "insert into " + users + " (companyid, userid, username) values (?, ?, ?)";
    db.db().execute(insert, {1, 424242, "Secret Name"});
    QStringList described;
    for (const QVariantList& binds :
         {QVariantList{1, 424242, "Other Secret"}, // the key taken
          QVariantList{1, 777777,
                       QString::fromUtf8("Secret\0Name", 11)}}) // a NUL: no server keeps it
        try {
            db.db().execute(insert, binds);
        } catch (const data::DbError& error) {
            described << error.description();
        }
    ASSERT_FALSE(described.isEmpty());
    for (const QString& text : described)
        for (const char* value : {"424242", "777777", "Secret", "\n"})
            EXPECT_FALSE(text.contains(QLatin1String(value))) << text;
}

// A writer kept waiting past its patience gets the number a save tries again on.
TEST_F(ConnectionTest, AWriterThatCannotHaveTheLockGetsTheLockConflictNumber) {
    db.exec("insert into " + users + " (companyid, userid, username) values (1, 1, 'a')");
    const QString update = "update " + users + " set username = 'x' where userid = 1";
    data::Connection waiting;
    if (db.isPostgres()) {
        waiting.openPostgres(qEnvironmentVariable("QUORVEL_TEST_PG") +
                             " dbname=" + db.db().database().databaseName());
        waiting.execute("set lock_timeout = '50ms'");
    } else {
        waiting.openOdbc("Driver=SQLite3;Database=" + db.sqlitePath() + ";Timeout=50");
    }
    data::TransactionGuard holding(db.db());
    db.exec(update);
    const data::DbError error = thrown([&] {
        data::TransactionGuard blocked(waiting);
        waiting.execute(update);
    });
    EXPECT_EQ(error.number(), data::kErrLockConflict) << error.description();
}

// A connection broken under the program: the statement that finds out raises the lost number,
// and so does every later one of the transaction it ended (nothing of it stays); the next
// statement after it opens the connection again. One whose holder forbids that stays lost.
TEST_F(ConnectionTest, ALostConnectionEndsItsTransactionAndTheNextStatementReopensIt) {
    // A dead server is given up on, not waited for.
    EXPECT_EQ(db.db().database().connectOptions().contains("keepalives_idle=10"), db.isPostgres());
    const QString insert =
        "insert into " + users + " (companyid, userid, username) values (?, ?, ?)";
    {
        data::TransactionGuard transaction(db.db());
        db.db().execute(insert, {1, 1, "lost"});
        db.dropConnection(db.db());
        EXPECT_EQ(thrown([&] {
                      db.db().execute(insert, {1, 2, "after"});
                  }).number(),
                  data::kErrConnectionLost);
        EXPECT_EQ(thrown([&] { transaction.commit(); }).operation(), "commitTrans");
    }
    EXPECT_EQ(db.rows("select count(*) from " + users), QStringList{"0"});
    EXPECT_FALSE(db.db().isLost());
    // The session opened again knows none of the old one's prepared statements.
    db.db().execute(insert, {1, 3, "reopened"});
    EXPECT_EQ(db.rows("select username from " + users), QStringList{"reopened"});
    db.db().setReopener({});
    db.dropConnection(db.db());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(thrown([&] { db.db().open("select 1"); }).number(), data::kErrConnectionLost);
}

TEST(ConnectionLost, ClassOf08AndTheServerEndingTheSessionAreALostConnection) {
    using Kind = data::Dialect::Kind;
    EXPECT_TRUE(data::isConnectionLost(Kind::TSql, "08S01", "Communication link failure"));
    EXPECT_TRUE(data::isConnectionLost(Kind::Postgres, "57P01", "FATAL: terminating connection"));
    EXPECT_TRUE(data::isConnectionLost(Kind::Postgres, "", "server closed the connection"));
    EXPECT_FALSE(data::isConnectionLost(Kind::Postgres, "23505", "duplicate key value"));
    EXPECT_FALSE(data::isConnectionLost(Kind::TSql, "HY000", "server closed the connection"));
}

// Unopened, or closed after a statement was prepared on it.
TEST(ConnectionClosed, EveryStatementOnAClosedConnectionRaises3709) {
    QTemporaryDir dir;
    data::Connection unopened, closed;
    closed.openSqlite(dir.filePath("closed.sqlite"));
    closed.execute("create table t (a integer)");
    closed.execute("insert into t (a) values (?)", {1});
    closed.close();
    for (const auto& call : std::initializer_list<std::function<void()>>{
             [&] { unopened.execute("select 1"); }, [&] { unopened.open("select 1"); },
             [&] { unopened.beginTrans(); },
             [&] { closed.execute("insert into t (a) values (?)", {2}); }})
        EXPECT_EQ(thrown(call).number(), data::kErrConnectionClosed);
}

} // namespace
