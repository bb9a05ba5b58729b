#include "report/engine.h"

#include "data/connection.h"
#include "data/datetext.h"
#include "data/money.h"
#include "data/tablenames.h"
#include "export/ownerfile.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <kainjow/mustache.hpp>

namespace report {

namespace mustache = kainjow::mustache;

namespace {

data::DbError reportError(const QString& description) {
    return data::DbError(data::kErrGeneric, QStringLiteral("ReportControl"), description);
}

QString fileName(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Shows an amount as a clerk writes it: thousands grouped, two decimals. One outside what a
// clerk may enter (stored by another program) is shown as it is, in plain decimal.
std::string money(const std::string& text) {
    const QString value = QString::fromStdString(text).trimmed();
    if (value.isEmpty())
        return {};
    return amountText(data::StoredAmount::fromValue(value)).toStdString();
}

// A date as every window shows it.
std::string shownDate(const std::string& text) {
    const QDate date = data::dateOf(QString::fromStdString(text).trimmed());
    if (!date.isValid())
        return text;
    return data::dateText(date).toStdString();
}

// Null and blank values are false to the template, so a section shows only when they exist.
mustache::data valueOf(const QVariant& value) {
    const QString text = data::textOf(value);
    if (text.trimmed().isEmpty())
        return mustache::data(false);
    return mustache::data(text.toStdString());
}

// Parameter names as the template knows them: without the leading "@".
std::string templateName(const QString& name) {
    return (name.startsWith(QLatin1Char('@')) ? name.mid(1) : name).toStdString();
}

QString physicalTable(const QString& logical, const data::ResolvedTableNames& tables,
                      const QString& reportPath) {
    for (const auto& slot : data::ResolvedTableNames::entries()) {
        if (logical.compare(QLatin1String(slot.logicalName), Qt::CaseInsensitive) != 0)
            continue;
        const QString& physical = tables.*slot.name;
        if (physical.isEmpty())
            throw reportError(QStringLiteral("linktable gives no table for %1 (report %2).")
                                  .arg(logical, fileName(reportPath)));
        return physical;
    }
    throw reportError(QStringLiteral("The report %1 names an unknown table {%2}.")
                          .arg(fileName(reportPath), logical));
}

const QVariant* valueNamed(const std::map<QString, QVariant>& values, const QString& name) {
    for (const auto& [key, value] : values) {
        const QString bare = key.startsWith(QLatin1Char('@')) ? key.mid(1) : key;
        if (bare.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

QString renderTemplate(const QString& text, const mustache::data& values, const QString& what,
                       const QString& reportPath) {
    mustache::mustache tmpl(text.toStdString());
    std::string out;
    if (tmpl.is_valid())
        out = tmpl.render(values);
    if (!tmpl.is_valid())
        throw reportError(
            QStringLiteral("%1, [%2]: %3")
                .arg(fileName(reportPath), what, QString::fromStdString(tmpl.error_message())));
    return QString::fromStdString(out);
}

QFont reportFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.5);
    return font;
}

void setUpDocument(QTextDocument& doc, const QString& html, QPaintDevice& device) {
    doc.setDefaultFont(reportFont());
    doc.setDocumentMargin(0);
    doc.documentLayout()->setPaintDevice(&device);
    doc.setHtml(html);
}

void drawDocument(QPainter& painter, const QTextDocument& doc, const QRectF& clip) {
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    painter.setClipRect(clip);
    doc.documentLayout()->draw(&painter, context);
}

// Paints the report's pages with a painter that is on the device, the first on a new page when
// others come before it; returns the number of pages.
int paintReport(const RenderedReport& report, QPainter& painter, QPagedPaintDevice& device,
                bool afterOthers) {
    const QRectF paper(0, 0, device.width(), device.height());
    const qreal gap = device.logicalDpiY() / 25.4 * 4; // between the body and the footer

    QTextDocument footer;
    setUpDocument(footer, report.footerHtml ? report.footerHtml(1, 1) : QString(), device);
    footer.setTextWidth(paper.width());
    const qreal footerHeight = footer.isEmpty() ? 0 : footer.size().height() + gap;

    QTextDocument body;
    setUpDocument(body, report.html, device);
    const QSizeF page(paper.width(), paper.height() - footerHeight);
    body.setPageSize(page);
    const int pages = body.pageCount();

    for (int index = 0; index < pages; ++index) {
        if (index > 0 || afterOthers)
            device.newPage();
        painter.save();
        painter.translate(0, -index * page.height());
        drawDocument(painter, body, QRectF(QPointF(0, index * page.height()), page));
        painter.restore();
        if (!report.footerHtml)
            continue;
        setUpDocument(footer, report.footerHtml(index + 1, pages), device);
        footer.setTextWidth(paper.width());
        painter.save();
        painter.translate(0, paper.height() - footer.size().height());
        drawDocument(painter, footer, QRectF(QPointF(0, 0), footer.size()));
        painter.restore();
    }
    return pages;
}

mustache::data mustacheOf(const TemplateValues& values) {
    mustache::data merged;
    for (const auto& [name, text] : values.texts)
        merged.set(name.toStdString(), valueOf(text));
    for (const auto& [name, flag] : values.flags)
        merged.set(name.toStdString(), mustache::data(flag));
    for (const auto& [name, rows] : values.lists) {
        mustache::data list{mustache::data::type::list};
        for (const TemplateValues& row : rows)
            list.push_back(mustacheOf(row));
        merged.set(name.toStdString(), list);
    }
    return merged;
}

// The layout and the footer of the file merged with the values.
void mergeLayout(RenderedReport& rendered, const ReportFile& file, const mustache::data& merged) {
    rendered.html = renderTemplate(file.layout, merged, QStringLiteral("layout"), file.path);
    if (file.footer.trimmed().isEmpty())
        return;
    // Checked now, so that a fault in the footer is reported before anything is shown.
    renderTemplate(file.footer, merged, QStringLiteral("footer"), file.path);
    rendered.footerHtml = [merged, footer = file.footer, path = file.path](int page, int pages) {
        mustache::data values = merged;
        values.set("page", std::to_string(page));
        values.set("pages", std::to_string(pages));
        return renderTemplate(footer, values, QStringLiteral("footer"), path);
    };
}

RenderedReport startReport(const ReportFile& file) {
    RenderedReport rendered;
    rendered.name = file.name;
    rendered.pageLayout = QPageLayout(QPageSize(file.paper), file.orientation, file.marginsMm,
                                      QPageLayout::Millimeter);
    return rendered;
}

} // namespace

QString amountText(const data::StoredAmount& amount) {
    if (const std::optional<data::Money> exact = amount.money())
        return exact->toLocaleString(QLocale(QLocale::English));
    return amount.text();
}

ParameterField parseParameterField(const QString& text) {
    const qsizetype first = text.indexOf(QLatin1Char(';'));
    const qsizetype last = text.lastIndexOf(QLatin1Char(';'));
    if (first <= 0 || last == first)
        throw reportError(
            QStringLiteral("The parameter field \"%1\" is not \"name;value;true\".").arg(text));
    return {text.left(first), text.mid(first + 1, last - first - 1)};
}

std::map<QString, QVariant> parameterValues(const ReportFile& file,
                                            const std::vector<ParameterField>& fields) {
    for (const ParameterField& field : fields) {
        if (!file.parameter(field.name))
            throw reportError(QStringLiteral("The report %1 has no parameter field %2.")
                                  .arg(fileName(file.path), field.name));
    }
    std::map<QString, QVariant> values;
    for (const ParameterDefinition& definition : file.parameters) {
        const ParameterField* given = nullptr;
        for (const ParameterField& field : fields) {
            if (field.name.compare(definition.name, Qt::CaseInsensitive) == 0)
                given = &field;
        }
        const bool hasValue = given || definition.hasDefault;
        const QString text = given ? given->value : definition.defaultValue;
        if (definition.type == ParameterDefinition::Type::Text) {
            values[definition.name] = text;
            continue;
        }
        if (!hasValue)
            throw reportError(
                QStringLiteral("The parameter field %1 has no value.").arg(definition.name));
        bool ok = false;
        const qlonglong whole = text.trimmed().toLongLong(&ok);
        if (ok) {
            values[definition.name] = whole;
            continue;
        }
        const double number = text.trimmed().toDouble(&ok);
        if (!ok)
            throw reportError(QStringLiteral("The parameter field %1 needs a number, not \"%2\".")
                                  .arg(definition.name, text));
        values[definition.name] = number;
    }
    return values;
}

PreparedQuery prepareQuery(const QueryDefinition& query, const data::ResolvedTableNames& tables,
                           const std::map<QString, QVariant>& values, const QString& reportPath) {
    PreparedQuery prepared;
    const QString& sql = query.sql;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal or quoted identifier is copied whole, so nothing in it is taken for a
            // table or a parameter.
            const qsizetype end = sql.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            prepared.sql += sql.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            // Comments are left out: the drivers' own search for marks does not know them, and a
            // quote in one would hide the marks after it.
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end;
        } else if (c == QLatin1Char('{')) {
            const qsizetype end = sql.indexOf(QLatin1Char('}'), i);
            if (end < 0)
                throw reportError(QStringLiteral("%1, query %2: a \"{\" without its \"}\".")
                                      .arg(fileName(reportPath), query.name));
            prepared.sql +=
                physicalTable(sql.mid(i + 1, end - i - 1).trimmed(), tables, reportPath);
            i = end + 1;
        } else if (c == QLatin1Char('@') && i + 1 < n &&
                   (sql[i + 1].isLetterOrNumber() || sql[i + 1] == QLatin1Char('_'))) {
            qsizetype end = i + 1;
            while (end < n && (sql[end].isLetterOrNumber() || sql[end] == QLatin1Char('_')))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            const QVariant* value = valueNamed(values, name);
            if (!value)
                throw reportError(QStringLiteral("%1, query %2: no parameter field @%3.")
                                      .arg(fileName(reportPath), query.name, name));
            prepared.sql += QLatin1Char('?');
            prepared.binds << *value;
            i = end;
        } else {
            prepared.sql += c;
            ++i;
        }
    }
    return prepared;
}

int RenderedReport::rowCount(const QString& query) const {
    const auto found = rowCounts.find(query);
    return found == rowCounts.end() ? 0 : found->second;
}

QString RenderedReport::plainText() const {
    QTextDocument doc;
    doc.setHtml(html);
    return doc.toPlainText();
}

int RenderedReport::print(QPagedPaintDevice& device) const {
    QPainter painter(&device);
    return paintReport(*this, painter, device, false);
}

void RenderedReport::writePdf(const QString& path) const {
    PdfFile file(path, name, pageLayout);
    file.add(*this);
    file.finish();
}

PdfFile::PdfFile(const QString& path, const QString& title, const QPageLayout& layout) {
    try {
        file_ = std::make_unique<tableexport::OwnerOnlyFile>(path);
    } catch (const tableexport::ExportError& error) {
        throw reportError(error.message());
    }
    writer_ = std::make_unique<QPdfWriter>(&file_->device());
    if (!writer_->setPageLayout(layout))
        throw reportError(QStringLiteral("The page layout of %1 does not suit a PDF.").arg(title));
    writer_->setResolution(300);
    writer_->setTitle(title);
    writer_->setCreator(QStringLiteral("Quorvel"));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get()))
        throw reportError(QStringLiteral("Cannot write %1.").arg(fileName(path)));
}

PdfFile::~PdfFile() {
    // Ended before the file it writes into is dropped, which removes an unfinished one.
    if (painter_ && painter_->isActive())
        painter_->end();
}

void PdfFile::add(const RenderedReport& report) {
    paintReport(report, *painter_, *writer_, !empty_);
    empty_ = false;
}

void PdfFile::finish() {
    painter_->end();
    try {
        file_->commit();
    } catch (const tableexport::ExportError& error) {
        throw reportError(error.message());
    }
}

RenderedReport renderReport(const ReportFile& file, data::Connection& connection,
                            const std::vector<ParameterField>& fields) {
    const std::map<QString, QVariant> values = parameterValues(file, fields);
    data::ResolvedTableNames tables;
    data::ResolveTableNames(connection, tables);

    RenderedReport rendered = startReport(file);
    mustache::data merged;
    for (const auto& [name, value] : values)
        merged.set(templateName(name), valueOf(value));
    merged.set("printdate", shownDate(QDate::currentDate().toString(Qt::ISODate).toStdString()));
    merged.set("money",
               mustache::lambda2{[](const std::string& text, const mustache::renderer& render) {
                   return money(render(text));
               }});
    merged.set("date",
               mustache::lambda2{[](const std::string& text, const mustache::renderer& render) {
                   return shownDate(render(text));
               }});

    for (const QueryDefinition& query : file.queries) {
        const PreparedQuery prepared = prepareQuery(query, tables, values, file.path);
        data::Recordset rs = connection.open(prepared.sql, prepared.binds);
        mustache::data rows{mustache::data::type::list};
        int count = 0;
        while (!rs.eof()) {
            mustache::data row;
            for (int column = 0; column < rs.fieldCount(); ++column)
                row.set(rs.fieldName(column).toLower().toStdString(), valueOf(rs.field(column)));
            rows.push_back(row);
            ++count;
            rs.moveNext();
        }
        rendered.rowCounts[query.name] = count;
        merged.set(query.name.toStdString(), rows);
        merged.set("has_" + query.name.toStdString(), mustache::data(count > 0));
    }

    mergeLayout(rendered, file, merged);
    return rendered;
}

RenderedReport renderValues(const ReportFile& file, const TemplateValues& values) {
    RenderedReport rendered = startReport(file);
    mergeLayout(rendered, file, mustacheOf(values));
    return rendered;
}

} // namespace report
