#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <vector>

namespace report {

// A report file as a maintainer writes it: plain text in sections.
//
//   # a comment (outside [layout] and [footer])
//   [report]              name = ..., paper = A4, orientation = portrait,
//                         margins = left top right bottom (millimetres)
//   [parameters]          one a line: name, type (number or text), optional default value
//   [query NAME]          one SQL statement; tables by logical name in braces ({pemployee}),
//                         parameters by name (@intCompanyID), always bound, never spliced
//   [layout]              a mustache template producing the HTML of the body
//   [footer]              a mustache template printed at the foot of every page
struct ParameterDefinition {
    enum class Type { Number, Text };
    QString name;
    Type type = Type::Text;
    QString defaultValue;
    bool hasDefault = false;
};

struct QueryDefinition {
    QString name;
    QString sql;
};

struct ReportFile {
    QString path;
    QString name;
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{18, 15, 18, 12};
    std::vector<ParameterDefinition> parameters;
    std::vector<QueryDefinition> queries;
    QString layout;
    QString footer;
    // The file's lines on which the layout and the footer start, for messages.
    int layoutFirstLine = 1;
    int footerFirstLine = 1;

    const ParameterDefinition* parameter(const QString& name) const;

    // Raises data::DbError naming the file when it is missing, unreadable or malformed.
    static ReportFile load(const QString& path);
    static ReportFile parse(const QString& text, const QString& path);
};

} // namespace report
