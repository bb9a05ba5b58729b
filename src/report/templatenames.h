#pragma once

#include <QString>
#include <QStringList>
#include <map>

namespace report {

// The names a program gives a template: those at the top, and for each list the names of its
// rows, which a section over the list may use besides the names around it.
struct TemplateNames {
    QStringList names;
    std::map<QString, TemplateNames> lists;
};

// Reads the template's tags and refuses (data::DbError naming the file, its line and the tag) a
// name the program does not give, which the template library would print empty without a word;
// a value put in unescaped ({{{name}}}, {{&name}}), which would let stored text be read as
// markup; and a partial ({{>name}}), which there is none of. `firstLine` is the file's line on
// which the text starts.
void checkTemplateNames(const QString& text, const TemplateNames& names, const QString& path,
                        int firstLine);

} // namespace report
