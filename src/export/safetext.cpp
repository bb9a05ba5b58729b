#include "export/safetext.h"

namespace tableexport {

QString csvSafeCell(const QString& text) {
    if (text.isEmpty())
        return text;
    switch (text.front().unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return QLatin1Char('\'') + text;
    default:
        return text;
    }
}

namespace {

bool unsafeForTerminal(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

QString escaped(char32_t c) {
    switch (c) {
    case '\t':
        return QStringLiteral("\\t");
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    if (c <= 0x7f)
        return QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

} // namespace

QString terminalSafeText(const QString& text) {
    // Every character escaped lies in the basic plane, so code units will do.
    QString safe;
    safe.reserve(text.size());
    for (const QChar ch : text) {
        if (unsafeForTerminal(ch.unicode()))
            safe += escaped(ch.unicode());
        else
            safe += ch;
    }
    return safe;
}

} // namespace tableexport
