#pragma once

#include "data/messageerror.h"

#include <QByteArray>
#include <QString>
#include <vector>

// A spreadsheet as a grid of typed cells, read from the first worksheet of an .xlsx workbook or
// from a CSV file: what an import of a revision starts from.
namespace bulk {

struct SheetCell {
    enum class Kind {
        Empty,
        Text,    // text as written
        Number,  // the decimal as the file stores it: "28875.000000000004", "1.5E+3"
        Date,    // a number shown as a date by its format, as an ISO date: "2027-01-05"
        Boolean, // "TRUE" or "FALSE"
        Error,   // the error a formula gave: "#DIV/0!"
        Formula, // a formula whose value was never stored: the formula
    };
    Kind kind = Kind::Empty;
    QString text;

    bool isEmpty() const {
        return kind == Kind::Empty || (kind == Kind::Text && text.trimmed().isEmpty());
    }
};

// One row that holds something; cells by column from 0, empty ones included up to the last.
struct SheetRow {
    int number = 0; // as the spreadsheet numbers it, from 1
    std::vector<SheetCell> cells;

    const SheetCell& at(int column) const;
};

struct Sheet {
    std::vector<SheetRow> rows; // rows without any value are left out
};

// A file that cannot be read as a sheet; the message says which file and why.
class ImportError : public MessageError {
public:
    using MessageError::MessageError;
};

// Neither the archive nor any part of it may unpack beyond this.
inline constexpr qint64 kMaxUnpackedBytes = 50LL * 1024 * 1024;

// The first worksheet of FILE.xlsx, or FILE.csv; throws ImportError.
Sheet readSheet(const QString& path);

// CSV: UTF-8 with or without a byte order mark, comma or semicolon between fields (whichever the
// first row uses more), fields quoted RFC 4180 style. Throws ImportError naming the first row
// that is not UTF-8.
Sheet parseCsv(const QByteArray& bytes);

Sheet readXlsx(const QString& path);

// The column's letters as a spreadsheet names it: 0 is "A", 26 is "AA".
QString columnLetters(int column);

// Text from a file as a message may show it: control characters made visible, long texts cut.
QString shownText(const QString& text);

} // namespace bulk
