#include "support/spreadsheets.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <functional>

namespace {

QByteArray unzipEntry(const QString& path, const QString& entry, QString& error) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, entry});
    if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0) {
        error = QStringLiteral("unzip -p %1 %2 failed: %3")
                    .arg(path, entry, QString::fromLocal8Bit(unzip.readAllStandardError()));
        return {};
    }
    return unzip.readAllStandardOutput();
}

// Calls the step at each start element of the XML; what went wrong reading it, if anything.
QString eachElement(const QByteArray& xml, const std::function<void(QXmlStreamReader&)>& step) {
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            step(reader);
    return reader.hasError() ? reader.errorString() : QString();
}

QString attribute(const QXmlStreamReader& reader, const char* name) {
    return reader.attributes().value(QLatin1String(name)).toString();
}

struct Style {
    QString format;
    bool bold = false;
};

// The cell formats in order: the number format's code and whether the font is bold.
std::vector<Style> readStyles(const QByteArray& xml) {
    QMap<int, QString> formats{{1, "0"}, {2, "0.00"}, {14, "m/d/yyyy"}}; // built in, by number
    std::vector<bool> boldFonts;
    std::vector<Style> styles;
    bool cellFormats = false; // inside cellXfs rather than cellStyleXfs
    eachElement(xml, [&](QXmlStreamReader& r) {
        const QStringView name = r.name();
        if (name == u"numFmt") {
            formats[attribute(r, "numFmtId").toInt()] = attribute(r, "formatCode");
        } else if (name == u"font") {
            boldFonts.push_back(false);
        } else if (name == u"b" && !boldFonts.empty()) {
            boldFonts.back() = true;
        } else if (name == u"cellXfs" || name == u"cellStyleXfs" || name == u"cellStyles") {
            cellFormats = name == u"cellXfs";
        } else if (cellFormats && name == u"xf") {
            const auto font = static_cast<size_t>(attribute(r, "fontId").toInt());
            styles.push_back({formats.value(attribute(r, "numFmtId").toInt()),
                              font < boldFonts.size() && boldFonts[font]});
        }
    });
    return styles;
}

} // namespace

const XlsxCell* XlsxSheet::at(int row, int col) const {
    QString letters;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    const auto found = cells.find(letters + QString::number(row));
    return found == cells.end() ? nullptr : &*found;
}

XlsxSheet readXlsxSheet(const QString& path) {
    XlsxSheet sheet;
    const QByteArray xml = unzipEntry(path, "xl/worksheets/sheet1.xml", sheet.error);
    if (!sheet.error.isEmpty())
        return sheet;
    const std::vector<Style> styles = readStyles(unzipEntry(path, "xl/styles.xml", sheet.error));
    XlsxCell* cell = nullptr;
    sheet.error = eachElement(xml, [&](QXmlStreamReader& r) {
        if (r.name() == u"c") {
            const QString reference = attribute(r, "r");
            const auto style = static_cast<size_t>(attribute(r, "s").toInt());
            const Style format = style < styles.size() ? styles[style] : Style{};
            cell = &(sheet.cells[reference] = {attribute(r, "t"), {}, format.format, format.bold});
            sheet.lastRow = std::max(
                sheet.lastRow, QString(reference).remove(QRegularExpression("[A-Z]")).toInt());
        } else if (cell && r.name() == u"v") {
            cell->value = r.readElementText();
        } else if (cell && r.name() == u"t") {
            cell->value += r.readElementText();
        }
    });
    return sheet;
}

std::vector<QStringList> parseCsv(const QByteArray& utf8) {
    // A quoted or a bare field, then a comma, CRLF or the end; a bare field holds no quote nor
    // line break, and nothing may follow a closing quote.
    static const QRegularExpression field(R"re((?:"((?:[^"]|"")*)"|([^",\r\n]*))(,|\r\n|\z))re");
    const QString text = QString::fromUtf8(utf8);
    std::vector<QStringList> records;
    QStringList record;
    for (qsizetype at = 0; at < text.size();) {
        const QRegularExpressionMatch m =
            field.match(text, at, QRegularExpression::NormalMatch,
                        QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch() || m.captured(3).isEmpty()) { // no field, or a last line without CRLF
            records.push_back({QStringLiteral("<malformed>")});
            return records;
        }
        record << (m.hasCaptured(1)
                       ? m.captured(1).replace(QLatin1String("\"\""), QLatin1String("\""))
                       : m.captured(2));
        at = m.capturedEnd();
        if (m.captured(3) != QLatin1String(","))
            records.push_back(std::exchange(record, {}));
    }
    if (!record.isEmpty()) // a comma at the very end
        records.push_back({QStringLiteral("<malformed>")});
    return records;
}
