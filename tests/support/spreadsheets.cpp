#include "support/spreadsheets.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

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

// Built-in number formats that libxlsxwriter refers to by number.
QString builtinFormat(int id) {
    switch (id) {
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("0.00");
    case 14:
        return QStringLiteral("m/d/yyyy");
    default:
        return {};
    }
}

struct Style {
    QString format;
    bool bold = false;
};

std::vector<Style> readStyles(const QByteArray& xml) {
    QMap<int, QString> formats;
    std::vector<bool> boldFonts;
    std::vector<Style> styles;
    QXmlStreamReader reader(xml);
    bool inCellXfs = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (!reader.isStartElement())
            continue;
        const auto attr = [&](const char* name) {
            return reader.attributes().value(QLatin1String(name)).toString();
        };
        if (reader.name() == QLatin1String("numFmt")) {
            formats[attr("numFmtId").toInt()] = attr("formatCode");
        } else if (reader.name() == QLatin1String("font")) {
            boldFonts.push_back(false);
        } else if (reader.name() == QLatin1String("b") && !boldFonts.empty()) {
            boldFonts.back() = true;
        } else if (reader.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (inCellXfs && reader.name() == QLatin1String("xf")) {
            const int formatId = attr("numFmtId").toInt();
            const auto font = static_cast<size_t>(attr("fontId").toInt());
            styles.push_back({formats.value(formatId, builtinFormat(formatId)),
                              font < boldFonts.size() && boldFonts[font]});
        }
    }
    return styles;
}

QStringList readSharedStrings(const QByteArray& xml) {
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si"))
            strings << QString();
        else if (reader.isStartElement() && reader.name() == QLatin1String("t"))
            strings.back() += reader.readElementText();
    }
    return strings;
}

int rowOf(const QString& reference) {
    qsizetype i = 0;
    while (i < reference.size() && reference[i].isLetter())
        ++i;
    return reference.mid(i).toInt();
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
    const QByteArray xml =
        unzipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml"), sheet.error);
    if (!sheet.error.isEmpty())
        return sheet;
    const std::vector<Style> styles =
        readStyles(unzipEntry(path, QStringLiteral("xl/styles.xml"), sheet.error));
    QString noShared;
    const QStringList shared =
        readSharedStrings(unzipEntry(path, QStringLiteral("xl/sharedStrings.xml"), noShared));

    QXmlStreamReader reader(xml);
    QString reference;
    XlsxCell cell;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QXmlStreamAttributes attributes = reader.attributes();
            if (reader.name() == QLatin1String("col")) {
                sheet.columnWidths << attributes.value(QLatin1String("width")).toString();
            } else if (reader.name() == QLatin1String("c")) {
                reference = attributes.value(QLatin1String("r")).toString();
                cell = XlsxCell{};
                cell.type = attributes.value(QLatin1String("t")).toString();
                const auto style =
                    static_cast<size_t>(attributes.value(QLatin1String("s")).toInt());
                if (style < styles.size()) {
                    cell.format = styles[style].format;
                    cell.bold = styles[style].bold;
                }
            } else if (reader.name() == QLatin1String("v")) {
                cell.value = reader.readElementText();
                if (cell.type == QLatin1String("s"))
                    cell.value = shared.value(cell.value.toInt());
            } else if (reader.name() == QLatin1String("t")) {
                cell.value += reader.readElementText();
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("c")) {
            sheet.cells.insert(reference, cell);
            sheet.lastRow = std::max(sheet.lastRow, rowOf(reference));
        }
    }
    if (reader.hasError())
        sheet.error = reader.errorString();
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
