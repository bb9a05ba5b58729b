#include "data/serverlogin.h"

#include "data/connection.h"

#include <QRegularExpression>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace data {

bool connectionStringHasPassword(ServerKind kind, const QString& connectionString) {
    static const QRegularExpression postgres(QStringLiteral("(^|\\s)password\\s*="),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression odbc(QStringLiteral("(^|;)\\s*(pwd|password)\\s*="),
                                         QRegularExpression::CaseInsensitiveOption);
    return (kind == ServerKind::Postgres ? postgres : odbc).match(connectionString).hasMatch();
}

bool isAuthenticationFailure(const DbError& error) {
    static const QRegularExpression refused(
        QStringLiteral("password authentication failed|no password supplied|"
                       "authentication failed|login failed|invalid authorization|"
                       "\\b28000\\b|\\b28P01\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return refused.match(error.description()).hasMatch();
}

void openWithPasswordPolicy(ServerKind kind, const QString& connectionString,
                            const std::function<void(const QString& password)>& open,
                            const std::function<std::optional<QString>()>& askPassword) {
    if (connectionStringHasPassword(kind, connectionString)) {
        open(QString());
        return;
    }
    const QString fromEnvironment = qEnvironmentVariable(kPasswordVariable);
    if (!fromEnvironment.isEmpty()) {
        open(fromEnvironment);
        return;
    }
    try {
        open(QString());
    } catch (const DbError& error) {
        if (!isAuthenticationFailure(error))
            throw;
        const std::optional<QString> typed = askPassword();
        if (!typed)
            throw;
        open(*typed);
    }
}

void openServer(Connection& connection, ServerKind kind, const QString& connectionString) {
    openWithPasswordPolicy(
        kind, connectionString,
        [&](const QString& password) {
            if (kind == ServerKind::Postgres)
                connection.openPostgres(connectionString, password);
            else
                connection.openOdbc(connectionString, password);
        },
        [] { return askPasswordOnTerminal(QStringLiteral("Database password: ")); });
}

std::optional<QString> askPasswordOnTerminal(const QString& prompt) {
    if (!::isatty(STDIN_FILENO))
        return std::nullopt;
    std::fprintf(stderr, "%s", qPrintable(prompt));
    std::fflush(stderr);
    termios shown{};
    const bool echoOff = ::tcgetattr(STDIN_FILENO, &shown) == 0;
    if (echoOff) {
        termios hidden = shown;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    std::string line;
    for (int c = std::fgetc(stdin); c != EOF && c != '\n'; c = std::fgetc(stdin))
        line.push_back(char(c));
    if (echoOff)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &shown);
    std::fprintf(stderr, "\n");
    return QString::fromLocal8Bit(line);
}

} // namespace data
