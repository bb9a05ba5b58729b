#pragma once

#include "data/dberror.h"
#include "report/reportfile.h"

#include <QPageLayout>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPdfWriter;
class QFile;

namespace data {
class Connection;
class StoredAmount;
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
    // Writes the report as a PDF file without any window (see PdfFile); raises data::DbError
    // when the file cannot be written.
    void writePdf(const QString& path) const;
};

// A PDF file of one report or several, each starting on a new page. It is readable by its owner
// only from the start, written under a temporary name beside its place, and put there when
// finished, so that a failure or a killed program leaves whatever was there before. A place
// that holds something other than a regular file (a folder, a device) is refused. Each step
// raises data::DbError naming the file when it cannot be done.
class PdfFile {
public:
    PdfFile(const QString& path, const QString& title, const QPageLayout& layout);
    ~PdfFile(); // removes the temporary file of an unfinished PDF
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // Lays the report out on the file's pages after those already there.
    void add(const RenderedReport& report);
    void finish();

private:
    data::DbError failure() const;

    QString path_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    bool empty_ = true;
    bool finished_ = false;
};

// An amount as reports show it: thousands grouped, two decimals ("27,500.00"); one outside what
// a clerk may enter (stored by another program) as it is, in plain decimal; nothing for null.
QString amountText(const data::StoredAmount& amount);

// Values a program hands a template itself, instead of rows read by a report's queries: texts by
// name (an empty one counts as absent, so that {{#name}} shows only when there is one), flags,
// and lists of rows.
struct TemplateValues {
    std::map<QString, QString> texts;
    std::map<QString, bool> flags;
    std::map<QString, std::vector<TemplateValues>> lists;
};

// Runs the report's queries on the connection (tables resolved through its linktable) with the
// parameter fields, and merges their rows into the layout.
RenderedReport renderReport(const ReportFile& file, data::Connection& connection,
                            const std::vector<ParameterField>& fields);

// Merges the values into the file's layout and footer (which also has {{page}} and {{pages}});
// the file's queries and parameters play no part.
RenderedReport renderValues(const ReportFile& file, const TemplateValues& values);

} // namespace report
