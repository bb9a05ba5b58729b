#include "bulkwindow/previewfile.h"

#include "bulk/previewtable.h"
#include "data/datetext.h"
#include "report/engine.h"

#include <QLocale>

namespace bulk {

namespace {

const QString kTitle = QStringLiteral("Bulk Job Change");

QString centsText(qint64 cents) {
    const qint64 magnitude = cents < 0 ? -cents : cents;
    QLocale grouped = QLocale::c();
    grouped.setNumberOptions(QLocale::DefaultNumberOptions);
    return (cents < 0 ? QStringLiteral("-") : QString()) + grouped.toString(magnitude / 100) +
           QLatin1Char('.') + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

QString previewCellText(const tableexport::ExportCell& cell) {
    if (const auto* text = std::get_if<QString>(&cell))
        return *text;
    if (const auto* whole = std::get_if<qint64>(&cell))
        return QString::number(*whole);
    if (const auto* cents = std::get_if<tableexport::Cents>(&cell))
        return centsText(cents->value);
    if (const auto* date = std::get_if<QDate>(&cell))
        return data::dateText(*date);
    if (const auto* yes = std::get_if<bool>(&cell))
        return *yes ? QStringLiteral("Yes") : QStringLiteral("No");
    return {};
}

namespace {

bool numeric(tableexport::ExportColumnKind kind) {
    return kind == tableexport::ExportColumnKind::Amount ||
           kind == tableexport::ExportColumnKind::WholeNumber;
}

} // namespace

QString previewHtml(const std::vector<PreviewRow>& rows, const Rules& rules) {
    const tableexport::ExportTable table = previewTable(rows, rules);
    QString html = QStringLiteral("<h3>") + kTitle + QStringLiteral(" on ") +
                   data::dateText(rules.date) + QStringLiteral("</h3><p>") +
                   rules.remarks.toHtmlEscaped() +
                   QStringLiteral("</p><table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
                                  "style=\"font-size: 7pt\"><tr>");
    for (const QString& title : table.titles)
        html += QStringLiteral("<th>") + title.toHtmlEscaped() + QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    for (const tableexport::ExportRow& row : table.rows) {
        html += QStringLiteral("<tr>");
        for (size_t c = 0; c < row.size(); ++c)
            html += (numeric(table.kinds[c]) ? QStringLiteral("<td align=\"right\">")
                                             : QStringLiteral("<td>")) +
                    previewCellText(row[c]).toHtmlEscaped() + QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

void writePreviewFile(const std::vector<PreviewRow>& rows, const Rules& rules,
                      const QString& path) {
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        tableexport::writeTable(previewTable(rows, rules), path);
        return;
    }
    report::RenderedReport rendered;
    rendered.name = kTitle;
    rendered.pageLayout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    rendered.html = previewHtml(rows, rules);
    rendered.footerHtml = [](int page, int pages) {
        return QStringLiteral("<p align=\"right\" style=\"font-size: 7pt\">%1 - page %2 of %3</p>")
            .arg(kTitle)
            .arg(page)
            .arg(pages);
    };
    rendered.writePdf(path);
}

} // namespace bulk
