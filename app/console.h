#pragma once

#include <QByteArray>
#include <QString>

// What the host program prints: a line of output, or a complaint on stderr prefixed with the
// program's name. Both are kept to one line with every control character escaped, whatever the
// database, a file or the driver's text holds.
void say(const QString& line);
void complain(const QString& line);

// Whether a command-line argument is the option (given as --name or --name=value).
bool isOption(const QByteArray& argument, const char* option);
