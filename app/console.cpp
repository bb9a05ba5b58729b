#include "console.h"

#include "export/safetext.h"

#include <cstdio>

// Lines may carry names and texts from the database or a file: no control character in them
// reaches the terminal raw, and a line break shows as "\n", so every line printed is one line.
void say(const QString& line) {
    std::fprintf(stdout, "%s\n", qPrintable(tableexport::terminalSafeText(line)));
}

void complain(const QString& line) {
    std::fprintf(stderr, "quorvel-host: %s\n",
                 qPrintable(tableexport::terminalSafeText(line.trimmed())));
}

bool isOption(const QByteArray& argument, const char* option) {
    return argument == option || argument.startsWith(QByteArray(option) + '=');
}
