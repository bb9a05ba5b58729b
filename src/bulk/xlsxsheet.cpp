// The first worksheet of an .xlsx workbook: the archive is unpacked with minizip (the zip code
// libxlsxwriter writes workbooks with), its parts read with Qt's XML reader.

#include "bulk/sheet.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <minizip/unzip.h>

namespace bulk {

namespace {

constexpr int kMegabyte = 1024 * 1024;

class Workbook {
public:
    explicit Workbook(const QString& path)
        : name_(QDir::toNativeSeparators(path)),
          zip_(unzOpen64(QFile::encodeName(path).constData())) {
        if (!zip_)
            fail(QStringLiteral("it is not an Excel workbook (.xlsx)"));
        // The sizes the archive's directory declares, before anything is unpacked; reading a
        // part checks again that it does not unpack beyond what was declared.
        qint64 total = 0;
        for (int rc = unzGoToFirstFile(zip_); rc == UNZ_OK; rc = unzGoToNextFile(zip_)) {
            unz_file_info64 info{};
            char name[512] = {};
            if (unzGetCurrentFileInfo64(zip_, &info, name, sizeof name - 1, nullptr, 0, nullptr,
                                        0) != UNZ_OK)
                fail(QStringLiteral("its directory is damaged"));
            const QString part = QString::fromUtf8(name);
            const qint64 size = static_cast<qint64>(
                std::min<ZPOS64_T>(info.uncompressed_size, ZPOS64_T(kMaxUnpackedBytes) + 1));
            if (size > kMaxUnpackedBytes)
                fail(QStringLiteral("its part %1 would unpack to more than %2 MB")
                         .arg(shownText(part))
                         .arg(kMaxUnpackedBytes / kMegabyte));
            total += size;
            declared_.insert(part, size);
        }
        if (total > kMaxUnpackedBytes)
            fail(QStringLiteral("it would unpack to more than %1 MB")
                     .arg(kMaxUnpackedBytes / kMegabyte));
    }
    ~Workbook() { unzClose(zip_); }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    bool has(const QString& part) const { return declared_.contains(part); }

    QByteArray part(const QString& part) {
        if (!has(part) || unzLocateFile(zip_, part.toUtf8().constData(), 1) != UNZ_OK)
            fail(QStringLiteral("its part %1 is missing").arg(part));
        if (unzOpenCurrentFile(zip_) != UNZ_OK)
            fail(QStringLiteral("its part %1 cannot be unpacked").arg(part));
        const qint64 limit = declared_.value(part);
        QByteArray bytes(limit + 1, Qt::Uninitialized);
        qint64 read = 0;
        int chunk = 0;
        while (read <= limit && (chunk = unzReadCurrentFile(zip_, bytes.data() + read,
                                                            static_cast<unsigned>(std::min<qint64>(
                                                                limit + 1 - read, 1 << 20)))) > 0)
            read += chunk;
        const int closed = unzCloseCurrentFile(zip_);
        if (read > limit)
            fail(QStringLiteral("its part %1 unpacks to more than its declared size").arg(part));
        if (chunk < 0 || closed != UNZ_OK)
            fail(QStringLiteral("its part %1 is damaged").arg(part));
        bytes.truncate(read);
        return bytes;
    }

    [[noreturn]] void fail(const QString& why) const {
        throw ImportError(QStringLiteral("Cannot import %1: %2.").arg(name_, why));
    }

private:
    QString name_;
    unzFile zip_;
    QHash<QString, qint64> declared_;
};

QString attribute(const QXmlStreamReader& reader, QLatin1String name) {
    return reader.attributes().value(name).toString();
}

// A relationship's target as a path in the archive: relative to xl/ unless absolute.
QString partPath(const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QDir::cleanPath(QStringLiteral("xl/") + target);
}

struct Parts {
    QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
    QString sharedStrings = QStringLiteral("xl/sharedStrings.xml");
    QString styles = QStringLiteral("xl/styles.xml");
    bool date1904 = false;
};

void checkXml(const QXmlStreamReader& reader, const Workbook& workbook, const QString& part) {
    if (reader.hasError())
        workbook.fail(QStringLiteral("its part %1 is not well-formed XML (%2)")
                          .arg(part, reader.errorString()));
}

// The first sheet in the workbook's order, and where the strings and styles are.
Parts findParts(Workbook& workbook) {
    Parts parts;
    QString firstSheetId;
    {
        const QString part = QStringLiteral("xl/workbook.xml");
        QXmlStreamReader reader(workbook.part(part));
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (reader.name() == u"workbookPr") {
                const QString value = attribute(reader, QLatin1String("date1904"));
                parts.date1904 = value == u"1" || value == u"true";
            } else if (reader.name() == u"sheet" && firstSheetId.isEmpty()) {
                for (const QXmlStreamAttribute& a : reader.attributes())
                    if (a.name() == u"id")
                        firstSheetId = a.value().toString();
            }
        }
        checkXml(reader, workbook, part);
    }
    const QString rels = QStringLiteral("xl/_rels/workbook.xml.rels");
    if (!workbook.has(rels))
        return parts;
    QXmlStreamReader reader(workbook.part(rels));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"Relationship")
            continue;
        const QString type = attribute(reader, QLatin1String("Type"));
        const QString target = partPath(attribute(reader, QLatin1String("Target")));
        if (attribute(reader, QLatin1String("Id")) == firstSheetId)
            parts.sheet = target;
        else if (type.endsWith(QLatin1String("/sharedStrings")))
            parts.sharedStrings = target;
        else if (type.endsWith(QLatin1String("/styles")))
            parts.styles = target;
    }
    checkXml(reader, workbook, rels);
    return parts;
}

// Each string item's text; phonetic runs (rPh) are not part of it.
std::vector<QString> readSharedStrings(Workbook& workbook, const QString& part) {
    std::vector<QString> strings;
    if (!workbook.has(part))
        return strings;
    QXmlStreamReader reader(workbook.part(part));
    QString text;
    int phonetic = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (reader.name() == u"si")
                text.clear();
            else if (reader.name() == u"rPh")
                ++phonetic;
            else if (reader.name() == u"t" && phonetic == 0)
                text += reader.readElementText();
        } else if (token == QXmlStreamReader::EndElement) {
            if (reader.name() == u"si")
                strings.push_back(text);
            else if (reader.name() == u"rPh")
                --phonetic;
        }
    }
    checkXml(reader, workbook, part);
    return strings;
}

// Whether a number format shows a date: the built-in date formats, or a code with day, month,
// year or time letters outside its quoted texts, escapes and [colour] sections.
bool isDateFormat(int id, const QString& code) {
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58))
        return true;
    static const QRegularExpression literal(
        QStringLiteral("\"[^\"]*\"|\\\\.|\\[[^\\]]*\\]|_.|\\*."));
    QString bare = code;
    bare.remove(literal);
    bare.remove(QStringLiteral("general"), Qt::CaseInsensitive);
    static const QRegularExpression dateLetters(QStringLiteral("[dmyhs]"),
                                                QRegularExpression::CaseInsensitiveOption);
    return bare.contains(dateLetters);
}

// For each cell format (the s attribute of a cell), whether it shows a date.
std::vector<bool> readDateStyles(Workbook& workbook, const QString& part) {
    std::vector<bool> dates;
    if (!workbook.has(part))
        return dates;
    QHash<int, QString> codes;
    std::vector<int> formatIds;
    bool cellFormats = false;
    QXmlStreamReader reader(workbook.part(part));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = reader.name();
        if (name == u"numFmt")
            codes.insert(attribute(reader, QLatin1String("numFmtId")).toInt(),
                         attribute(reader, QLatin1String("formatCode")));
        else if (name == u"cellXfs" || name == u"cellStyleXfs" || name == u"cellStyles" ||
                 name == u"dxfs")
            cellFormats = name == u"cellXfs";
        else if (cellFormats && name == u"xf")
            formatIds.push_back(attribute(reader, QLatin1String("numFmtId")).toInt());
    }
    checkXml(reader, workbook, part);
    for (const int id : formatIds)
        dates.push_back(isDateFormat(id, codes.value(id)));
    return dates;
}

// A serial day number as the workbook counts days. The 1900 system counts a 29 February 1900
// that never was, so days from 1 March 1900 on are one more than the calendar's.
QDate serialDate(double serial, bool date1904) {
    const qint64 day = static_cast<qint64>(serial);
    if (date1904)
        return QDate(1904, 1, 1).addDays(day);
    return day < 61 ? QDate(1899, 12, 31).addDays(day) : QDate(1899, 12, 30).addDays(day);
}

// Where a cell reference ("AB12") points: its column from 0 and its row from 1.
bool splitReference(QStringView ref, int& column, int& row) {
    int c = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (i == 0 || !ok)
        return false;
    column = c - 1;
    row = r;
    return true;
}

class SheetReader {
public:
    SheetReader(Workbook& workbook, const Parts& parts)
        : workbook_(workbook), part_(parts.sheet),
          strings_(readSharedStrings(workbook, parts.sharedStrings)),
          dateStyles_(readDateStyles(workbook, parts.styles)), date1904_(parts.date1904) {}

    Sheet read() {
        QXmlStreamReader reader(workbook_.part(part_));
        Sheet sheet;
        SheetRow row;
        int lastRow = 0;
        int lastColumn = -1;
        while (!reader.atEnd()) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (token == QXmlStreamReader::StartElement && reader.name() == u"row") {
                const int number = attribute(reader, QLatin1String("r")).toInt();
                row = SheetRow{number > 0 ? number : lastRow + 1, {}};
                lastRow = row.number;
                lastColumn = -1;
            } else if (token == QXmlStreamReader::StartElement && reader.name() == u"c") {
                int column = lastColumn + 1;
                int ignored = 0;
                splitReference(attribute(reader, QLatin1String("r")), column, ignored);
                lastColumn = column;
                SheetCell cell = readCell(reader);
                if (cell.kind == SheetCell::Kind::Empty)
                    continue;
                if (static_cast<size_t>(column) >= row.cells.size())
                    row.cells.resize(size_t(column) + 1);
                row.cells[size_t(column)] = std::move(cell);
            } else if (token == QXmlStreamReader::EndElement && reader.name() == u"row") {
                if (std::any_of(row.cells.begin(), row.cells.end(),
                                [](const SheetCell& cell) { return !cell.isEmpty(); }))
                    sheet.rows.push_back(std::move(row));
                row = SheetRow{};
            }
        }
        checkXml(reader, workbook_, part_);
        return sheet;
    }

private:
    // At the start of a c element; reads to its end.
    SheetCell readCell(QXmlStreamReader& reader) {
        const QString type = attribute(reader, QLatin1String("t"));
        const size_t style = attribute(reader, QLatin1String("s")).toUInt();
        QString formula;
        QString value;
        bool hasFormula = false;
        bool hasValue = false;
        while (reader.readNextStartElement()) {
            if (reader.name() == u"f") {
                // A shared formula's later cells hold no text of their own.
                formula = reader.readElementText();
                hasFormula = true;
            } else if (reader.name() == u"v") {
                value = reader.readElementText();
                hasValue = true;
            } else if (reader.name() == u"is") {
                value = inlineText(reader);
                hasValue = true;
            } else {
                reader.skipCurrentElement();
            }
        }
        using Kind = SheetCell::Kind;
        // Some writers leave an empty value behind a formula they never computed.
        if (hasFormula && value.isEmpty() && type != u"str")
            hasValue = false;
        if (!hasValue)
            return hasFormula ? SheetCell{Kind::Formula, QLatin1Char('=') + formula} : SheetCell{};
        if (type == u"s") {
            const size_t index = value.toUInt();
            return {Kind::Text, index < strings_.size() ? strings_[index] : QString()};
        }
        if (type == u"str" || type == u"inlineStr")
            return {Kind::Text, value};
        if (type == u"b")
            return {Kind::Boolean,
                    value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE")};
        if (type == u"e")
            return {Kind::Error, value};
        if (type == u"d")
            return {Kind::Date, value.left(10)};
        if (style < dateStyles_.size() && dateStyles_[style]) {
            bool ok = false;
            const double serial = value.toDouble(&ok);
            if (ok && serial >= 0)
                return {Kind::Date, serialDate(serial, date1904_).toString(Qt::ISODate)};
        }
        return {Kind::Number, value.trimmed()};
    }

    // The text of an inline string, without its phonetic runs.
    static QString inlineText(QXmlStreamReader& reader) {
        QString text;
        int depth = 1;
        int phonetic = 0;
        while (depth > 0 && !reader.atEnd()) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (reader.name() == u"rPh")
                    ++phonetic;
                if (reader.name() == u"t" && phonetic == 0)
                    text += reader.readElementText();
                else
                    ++depth;
            } else if (token == QXmlStreamReader::EndElement) {
                --depth;
                if (reader.name() == u"rPh")
                    --phonetic;
            }
        }
        return text;
    }

    Workbook& workbook_;
    QString part_;
    std::vector<QString> strings_;
    std::vector<bool> dateStyles_;
    bool date1904_ = false;
};

} // namespace

Sheet readXlsx(const QString& path) {
    Workbook workbook(path);
    const Parts parts = findParts(workbook);
    return SheetReader(workbook, parts).read();
}

} // namespace bulk
