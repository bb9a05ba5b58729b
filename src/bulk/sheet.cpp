#include "bulk/sheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

namespace bulk {

namespace {

constexpr qsizetype kShownChars = 60;

// The separator the first row with any text uses more, outside quotes.
char chooseSeparator(QByteArrayView bytes) {
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            if (commas + semicolons > 0)
                break;
        } else if (!quoted) {
            commas += c == ',';
            semicolons += c == ';';
        }
    }
    return semicolons > commas ? ';' : ',';
}

bool holdsValue(const SheetRow& row) {
    return std::any_of(row.cells.begin(), row.cells.end(),
                       [](const SheetCell& cell) { return !cell.isEmpty(); });
}

} // namespace

const SheetCell& SheetRow::at(int column) const {
    static const SheetCell empty;
    return column >= 0 && static_cast<size_t>(column) < cells.size() ? cells[size_t(column)]
                                                                     : empty;
}

QString columnLetters(int column) {
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters;
}

QString shownText(const QString& text) {
    QString shown =
        text.size() > kShownChars ? text.left(kShownChars) + QStringLiteral("...") : text;
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    return shown;
}

Sheet parseCsv(const QByteArray& input) {
    QByteArrayView bytes(input);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        throw ImportError(QStringLiteral("The CSV file is UTF-16 text: save it as \"CSV UTF-8\" "
                                         "and import it again."));
    const char separator = chooseSeparator(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);

    Sheet sheet;
    SheetRow row{1, {}};
    QByteArray field;
    bool quoted = false;
    bool fieldStarted = false;
    const auto endField = [&] {
        QString text = decoder.decode(field);
        if (decoder.hasError())
            throw ImportError(QStringLiteral("Row %1 of the CSV file is not UTF-8 text: save the "
                                             "file as \"CSV UTF-8\" and import it again.")
                                  .arg(row.number));
        row.cells.push_back({SheetCell::Kind::Text, std::move(text)});
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        if (holdsValue(row))
            sheet.rows.push_back(std::move(row));
        row = SheetRow{row.number + 1, {}};
    };
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < size && bytes[i + 1] == '"')
                field += bytes[++i];
            else
                quoted = false;
        } else if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n')
                ++i;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        throw ImportError(QStringLiteral("Row %1 of the CSV file opens a quoted field that is "
                                         "never closed.")
                              .arg(row.number));
    if (fieldStarted || !row.cells.empty())
        endRecord();
    return sheet;
}

Sheet readSheet(const QString& path) {
    const QString name = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.isFile())
        throw ImportError(QStringLiteral("There is no file %1.").arg(name));
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm"))
        return readXlsx(path);
    if (suffix != QLatin1String("csv"))
        throw ImportError(QStringLiteral("%1: only Excel workbooks (.xlsx) and CSV files (.csv) "
                                         "can be imported.")
                              .arg(name));
    if (info.size() > kMaxUnpackedBytes)
        throw ImportError(QStringLiteral("%1 is larger than %2 MB.")
                              .arg(name)
                              .arg(kMaxUnpackedBytes / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("Cannot read %1: %2").arg(name, file.errorString()));
    try {
        return parseCsv(file.readAll());
    } catch (const ImportError& error) {
        throw ImportError(name + QStringLiteral(": ") + error.message());
    }
}

} // namespace bulk
