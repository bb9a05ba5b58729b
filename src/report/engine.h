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

namespace data {
class Connection;
class StoredAmount;
struct ResolvedTableNames;
} // namespace data
namespace tableexport {
class OwnerOnlyFile;
}

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

// A PDF file of one report or several, each starting on a new page, written through the
// owner-only file of every export: readable by its owner alone, put in place whole by finish(),
// and the place left as it was when dropped before. Each step raises data::DbError naming the
// file when it cannot be done.
class PdfFile {
public:
    PdfFile(const QString& path, const QString& title, const QPageLayout& layout);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // Lays the report out on the file's pages after those already there.
    void add(const RenderedReport& report);
    void finish();

private:
    std::unique_ptr<tableexport::OwnerOnlyFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    bool empty_ = true;
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
