#include "data/connection.h"
#include "data/schema.h"
#include "data/serverlogin.h"
#include "support/check.h"

#include <tuple>

namespace {

using data::ServerKind;

TEST(ServerLogin, APasswordKeyIsFoundInEitherKindOfConnectionString) {
    const std::tuple<ServerKind, const char*, bool> cases[] = {
        {ServerKind::Postgres, "host=db dbname=p user=u password=x", true},
        {ServerKind::Postgres, "host=db dbname=password_db user=u", false},
        {ServerKind::Odbc, "DSN=payroll;UID=u;PWD=x", true},
        {ServerKind::Odbc, "Driver=FreeTDS; Password=x", true},
    };
    for (const auto& [kind, text, has] : cases)
        EXPECT_EQ(data::connectionStringHasPassword(kind, text), has) << text;
}

// What the policy does with a server that wants a password and one that does not.
class PasswordPolicy : public ::testing::Test {
protected:
    // Opens against a server refusing all but `accepted`: the passwords tried, "?" where the
    // clerk was asked.
    QStringList run(const QString& connectionString, const QString& accepted,
                    std::optional<QString> typed, const QString& refusal) {
        QStringList tried;
        asked = false;
        data::openWithPasswordPolicy(
            ServerKind::Postgres, connectionString,
            [&](const QString& password) {
                tried << password;
                if (password != accepted)
                    throw data::DbError(data::kErrGeneric, "Connection", refusal);
            },
            [&] {
                asked = true;
                tried << "?";
                return typed;
            });
        return tried;
    }

    ScopedEnv password{data::kPasswordVariable, {}};
    bool asked = false;
    const QString pgRefusal = "connection to server on socket failed: FATAL:  password "
                              "authentication failed for user \"clerk\" QPSQL: Unable to connect";
};

TEST_F(PasswordPolicy, ThePasswordComesFromTheStringTheEnvironmentOrOnePromptOrNotAtAll) {
    // The server's own settings (~/.pgpass) suffice: nothing is asked.
    EXPECT_EQ(run("host=db user=clerk", "", "typed", pgRefusal), QStringList{""});
    // A password in the string is the string's business.
    EXPECT_EQ(run("host=db user=clerk password=s", "", "typed", pgRefusal), QStringList{""});
    // Refused for want of a password: asked once, then tried with what was typed.
    EXPECT_EQ(run("host=db user=clerk", "typed", "typed", pgRefusal),
              (QStringList{"", "?", "typed"}));

    qputenv(data::kPasswordVariable, "fromenv");
    EXPECT_EQ(run("host=db user=clerk", "fromenv", "typed", pgRefusal), QStringList{"fromenv"});
    EXPECT_THROW(run("host=db user=clerk", "other", "typed", pgRefusal), data::DbError);
    EXPECT_FALSE(asked);

    // Nobody to ask, or a failure other than the password's, keeps the server's error.
    qunsetenv(data::kPasswordVariable);
    EXPECT_EQ(
        thrown([&] { run("host=db user=clerk", "secret", std::nullopt, pgRefusal); }).description(),
        pgRefusal);
    EXPECT_TRUE(asked);
    EXPECT_THROW(run("host=nowhere", "secret", "typed", "could not translate host name"),
                 data::DbError);
    EXPECT_FALSE(asked);
    for (const char* refusal :
         {"fe_sendauth: no password supplied",
          "[FreeTDS][SQL Server]Login failed for user 'clerk'. QODBC: Unable to connect",
          "[unixODBC][Driver Manager] 28000 Invalid authorization"})
        EXPECT_TRUE(data::isAuthenticationFailure(data::DbError(0, "", refusal))) << refusal;
}

// A DSN given as "DSN=name" (with more keys, and a password added) is handed to the driver
// manager as a DSN, not as "DSN=DSN=name".
TEST(OdbcDataSource, DsnKeyAndAddedPasswordReachTheDriverManager) {
    EXPECT_EQ(data::odbcDatabaseName("DSN=payroll;UID=clerk", "p;w}d"),
              "payroll;UID=clerk;PWD={p;w}}d}");
    EXPECT_EQ(data::odbcDatabaseName("UID=clerk;DSN=payroll", ""), "payroll;UID=clerk");
    EXPECT_EQ(data::odbcDatabaseName("DSN=payroll;PWD=own", "x"), "payroll;PWD=own");
    EXPECT_EQ(data::odbcDatabaseName("Driver=FreeTDS;Server=s;Database=p", "x"),
              "Driver=FreeTDS;Server=s;Database=p;PWD={x}");
}

} // namespace
