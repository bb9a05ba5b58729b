#pragma once

#include <QString>

// An entry of a list to choose from: its text and the id kept beside it.
struct Choice {
    qint64 id = 0;
    QString text;
};
