#pragma once

#include "report/reportfile.h"

#include <QPageLayout>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>
#include <vector>

class QPagedPaintDevice;

namespace data {
class Connection;
struct ResolvedTableNames;
} // namespace data

namespace report {

// One indexed parameter field as the report control takes it: "name;value;true".
struct ParameterField {
    QString name;
    QString value;
};
ParameterField parseParameterField(const QString& text);

// The values of a report's parameters, by name as the report file declares them: the fields
// given, else the declared defaults. Raises data::DbError for a field the report does not
// declare, a number that is not one, or a number left without a value.
std::map<QString, QVariant> parameterValues(const ReportFile& file,
                                            const std::vector<ParameterField>& fields);

// A report query ready to run: logical table names replaced by physical ones and every
// parameter replaced by a positional mark, its value bound in the same order.
struct PreparedQuery {
    QString sql;
    QVariantList binds;
};
PreparedQuery prepareQuery(const QueryDefinition& query, const data::ResolvedTableNames& tables,
                           const std::map<QString, QVariant>& values, const QString& reportPath);

// A report with its data merged: the body as HTML and the footer of each page.
class RenderedReport {
public:
    QString name;
    QPageLayout pageLayout;
    QString html;
    std::function<QString(int page, int pages)> footerHtml;
    std::map<QString, int> rowCounts;

    int rowCount(const QString& query) const;
    QString plainText() const;
    // Lays the report out on the device's pages and paints them; returns the number of pages.
    int print(QPagedPaintDevice& device) const;
    // Writes the report as a PDF file without any window; raises data::DbError when the file
    // cannot be written.
    void writePdf(const QString& path) const;
};

// Runs the report's queries on the connection (tables resolved through its linktable) with the
// parameter fields, and merges their rows into the layout.
RenderedReport renderReport(const ReportFile& file, data::Connection& connection,
                            const std::vector<ParameterField>& fields);

} // namespace report
