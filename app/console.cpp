#include "console.h"

#include <cstdio>

void say(const QString& line) {
    std::fprintf(stdout, "%s\n", qPrintable(line));
}

void complain(const QString& line) {
    std::fprintf(stderr, "quorvel-host: %s\n", qPrintable(line.simplified()));
}

bool isOption(const QByteArray& argument, const char* option) {
    return argument == option || argument.startsWith(QByteArray(option) + '=');
}
