#include "bulk/importsheet.h"

#include "data/datetext.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

namespace bulk {

namespace {

using Kind = SheetCell::Kind;

enum class Field { EmployeeNo, Name, NewBasic, NewJob, Remarks, Line, Unknown, Blank };

// An exact decimal: digits times ten to the exponent.
struct Decimal {
    bool negative = false;
    QString digits;
    int exponent = 0;
};

// Text as a clerk writes an amount ("27,500.00", "1234.5") or a number as a workbook stores it
// ("28875.000000000004", "1.5E+3").
std::optional<Decimal> parseDecimal(const QString& text, bool stored) {
    static const QRegularExpression written(
        QStringLiteral("^\\s*([+-]?)(\\d{1,3}(?:,\\d{3})+|\\d*)(?:\\.(\\d*))?\\s*$"));
    static const QRegularExpression storedForm(
        QStringLiteral("^\\s*([+-]?)(\\d*)(?:\\.(\\d*))?(?:[eE]([+-]?\\d{1,4}))?\\s*$"));
    const QRegularExpressionMatch match = (stored ? storedForm : written).match(text);
    if (!match.hasMatch())
        return std::nullopt;
    Decimal decimal;
    decimal.negative = match.captured(1) == QLatin1String("-");
    const QString whole = match.captured(2).remove(QLatin1Char(','));
    const QString fraction = match.captured(3);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    decimal.digits = whole + fraction;
    decimal.exponent = match.captured(4).toInt() - static_cast<int>(fraction.size());
    while (decimal.digits.size() > 1 && decimal.digits.front() == QLatin1Char('0'))
        decimal.digits.remove(0, 1);
    return decimal;
}

bool allZeros(QStringView digits) {
    return std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == u'0'; });
}

enum class CentsProblem { None, TooManyDecimals, TooLarge };

// The decimal to the cent: exactly, or from within a millionth of a unit.
CentsProblem toCents(const Decimal& decimal, qint64& cents) {
    constexpr qsizetype kMaxDigits = 15; // 999,999,999,999.99 in cents
    const int shift = decimal.exponent + 2;
    if (decimal.digits == QLatin1String("0")) {
        cents = 0;
        return CentsProblem::None;
    }
    if (shift >= 0) {
        if (decimal.digits.size() + shift > kMaxDigits)
            return CentsProblem::TooLarge;
        cents = (decimal.digits + QString(shift, QLatin1Char('0'))).toLongLong();
        return CentsProblem::None;
    }
    const qsizetype below = -shift; // digits finer than a cent
    const QString padded =
        QString(std::max<qsizetype>(0, below - decimal.digits.size() + 1), QLatin1Char('0')) +
        decimal.digits;
    const QString head = padded.left(padded.size() - below);
    QString tail = padded.right(below);
    if (tail.size() < 4)
        tail += QString(4 - tail.size(), QLatin1Char('0'));
    if (head.size() > kMaxDigits)
        return CentsProblem::TooLarge;
    cents = head.toLongLong();
    // A ten-thousandth of a cent is a millionth of a unit.
    const bool justAbove =
        tail.startsWith(QLatin1String("000")) &&
        (tail[3] == u'0' || (tail[3] == u'1' && allZeros(QStringView(tail).mid(4))));
    if (justAbove)
        return CentsProblem::None;
    if (tail.startsWith(QLatin1String("9999"))) {
        ++cents;
        return CentsProblem::None;
    }
    return CentsProblem::TooManyDecimals;
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + shownText(text) + QLatin1Char('"');
}

QString formulaProblem(int row, int column) {
    return QStringLiteral("cell %1%2 holds a formula without a stored value: open the workbook "
                          "in a spreadsheet program, save it and import it again")
        .arg(columnLetters(column))
        .arg(row);
}

// A text cell as written, less the apostrophe a safe CSV export puts before a leading =, +, -,
// @, tab or carriage return.
QString cellText(const SheetCell& cell) {
    static const QString guarded = QStringLiteral("=+-@\t\r");
    if (cell.kind == Kind::Text && cell.text.size() > 1 && cell.text[0] == u'\'' &&
        guarded.contains(cell.text[1]))
        return cell.text.mid(1);
    return cell.text;
}

// The employee number a cell holds: text exactly, a number as its digits without decimals.
QString employeeNumber(const SheetCell& cell, int row, int column, QString& problem) {
    switch (cell.kind) {
    case Kind::Empty:
        return {};
    case Kind::Text:
        return cellText(cell).trimmed();
    case Kind::Number:
        if (const std::optional<Decimal> decimal = parseDecimal(cell.text, true);
            decimal && !decimal->negative && decimal->exponent > -20 && decimal->exponent < 20) {
            const qsizetype fraction = std::max(0, -decimal->exponent);
            const QString digits = decimal->digits.size() > fraction
                                       ? decimal->digits.left(decimal->digits.size() - fraction)
                                       : QStringLiteral("0");
            if (allZeros(QStringView(decimal->digits).right(fraction)))
                return digits + QString(std::max(0, decimal->exponent), QLatin1Char('0'));
        }
        break;
    case Kind::Formula:
        problem = formulaProblem(row, column);
        return {};
    case Kind::Date:
    case Kind::Boolean:
    case Kind::Error:
        break;
    }
    problem = quoted(cell.text) + QStringLiteral(" is not an employee number");
    return {};
}

// A text value: text as written, blanks and line breaks simplified; numbers as stored, dates as
// ISO dates. Formulas without a value and error values are refused.
QString plainText(const SheetCell& cell, int row, int column, QString& problem) {
    if (cell.kind == Kind::Formula) {
        problem = formulaProblem(row, column);
        return {};
    }
    if (cell.kind == Kind::Error) {
        problem = quoted(cell.text) + QStringLiteral(" is an error value");
        return {};
    }
    const QString text = cellText(cell).simplified();
    if (std::any_of(text.begin(), text.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; })) {
        problem = quoted(text) + QStringLiteral(" holds a control character");
        return {};
    }
    return text;
}

struct Column {
    Field field = Field::Unknown;
    QString header;
    int line = -1; // Field::Line: its index among the line columns
};

// Each heading of the first row classified; throws when a heading is there twice.
std::vector<Column> readHeadings(const SheetRow& headings, ImportTable& table) {
    static const QHash<QString, Field> fields = {{QStringLiteral("employeeno"), Field::EmployeeNo},
                                                 {QStringLiteral("name"), Field::Name},
                                                 {QStringLiteral("newbasic"), Field::NewBasic},
                                                 {QStringLiteral("newjob"), Field::NewJob},
                                                 {QStringLiteral("remarks"), Field::Remarks}};
    const std::pair<QString, LineKind> lineKinds[] = {
        {QStringLiteral("allowance:"), LineKind::Allowance},
        {QStringLiteral("deduction:"), LineKind::Deduction}};
    std::vector<Column> columns;
    QHash<QString, int> seen;
    for (size_t c = 0; c < headings.cells.size(); ++c) {
        Column column;
        column.header = headings.cells[c].text.simplified();
        const QString key = nameKey(column.header);
        if (key.isEmpty()) {
            column.field = Field::Blank;
            columns.push_back(column);
            continue;
        }
        if (const auto before = seen.constFind(key); before != seen.constEnd())
            throw ImportError(
                QStringLiteral("Columns %1 and %2 are both headed %3: keep one.")
                    .arg(columnLetters(*before), columnLetters(int(c)), quoted(column.header)));
        seen.insert(key, int(c));
        column.field = fields.value(key, Field::Unknown);
        for (const auto& [prefix, kind] : lineKinds) {
            if (column.field != Field::Unknown || !key.startsWith(prefix) ||
                key.size() == prefix.size())
                continue;
            column.field = Field::Line;
            column.line = static_cast<int>(table.lineColumns.size());
            const QString typeName =
                column.header.mid(column.header.indexOf(QLatin1Char(':')) + 1).simplified();
            table.lineColumns.push_back({column.header, kind, typeName});
        }
        if (column.field == Field::EmployeeNo)
            table.employeeNoHeader = column.header;
        else if (column.field == Field::NewBasic)
            table.newBasicHeader = column.header;
        else if (column.field == Field::NewJob)
            table.newJobHeader = column.header;
        else if (column.field == Field::Unknown)
            table.warnings << QStringLiteral("Column %1, %2, is not read: the columns read are "
                                             "Employee No, Name, New Basic, New Job, Remarks, "
                                             "\"Allowance: <type>\" and \"Deduction: <type>\".")
                                  .arg(columnLetters(int(c)), quoted(column.header));
        columns.push_back(column);
    }
    if (!seen.contains(QStringLiteral("employeeno")))
        throw ImportError(QStringLiteral("Row %1 names the columns, and none of them is "
                                         "\"Employee No\".")
                              .arg(headings.number));
    return columns;
}

} // namespace

QString nameKey(const QString& text) {
    QString key;
    for (const QChar c : text)
        if (!c.isSpace())
            key += c.toLower();
    return key;
}

QString rowProblem(int row, const QString& column, const QString& what) {
    return QStringLiteral("row %1, %2: %3").arg(row).arg(shownText(column), what);
}

CellAmount cellAmount(const SheetCell& cell, int row, int column) {
    switch (cell.kind) {
    case Kind::Empty:
        return {std::nullopt, QStringLiteral("no amount")};
    case Kind::Date: {
        const QDate date = QDate::fromString(cell.text, Qt::ISODate);
        return {std::nullopt, (date.isValid() ? data::dateText(date) : cell.text) +
                                  QStringLiteral(" is a date, not an amount")};
    }
    case Kind::Formula:
        return {std::nullopt, formulaProblem(row, column)};
    case Kind::Boolean:
    case Kind::Error:
        return {std::nullopt, quoted(cell.text) + QStringLiteral(" is not an amount")};
    case Kind::Text:
    case Kind::Number:
        break;
    }
    const QString text = cellText(cell);
    const std::optional<Decimal> decimal = parseDecimal(text, cell.kind == Kind::Number);
    if (!decimal)
        return {std::nullopt, quoted(text) + QStringLiteral(" is not an amount")};
    qint64 cents = 0;
    const CentsProblem problem = toCents(*decimal, cents);
    if (problem == CentsProblem::TooManyDecimals)
        return {std::nullopt, quoted(text) + QStringLiteral(" has more than two decimals")};
    if (decimal->negative && (cents != 0 || problem != CentsProblem::None))
        return {std::nullopt, quoted(text) + QStringLiteral(" is negative")};
    const std::optional<data::Money> money =
        problem == CentsProblem::None ? data::Money::fromCents(cents) : std::nullopt;
    if (!money)
        return {std::nullopt, quoted(text) + QStringLiteral(" is more than 999,999,999,999.99")};
    return {money, {}};
}

ImportTable parseImport(const Sheet& sheet) {
    if (sheet.rows.empty())
        throw ImportError(QStringLiteral("The file is empty: its first row must name the "
                                         "columns, Employee No first."));
    ImportTable table;
    const std::vector<Column> columns = readHeadings(sheet.rows.front(), table);
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].field != Field::Blank)
            continue;
        for (size_t r = 1; r < sheet.rows.size(); ++r)
            if (!sheet.rows[r].at(int(c)).isEmpty()) {
                table.warnings << QStringLiteral("Column %1 has values but no heading; it is "
                                                 "not read.")
                                      .arg(columnLetters(int(c)));
                break;
            }
    }

    const int numberColumn = static_cast<int>(
        std::find_if(columns.begin(), columns.end(),
                     [](const Column& column) { return column.field == Field::EmployeeNo; }) -
        columns.begin());
    table.rows.reserve(sheet.rows.size() - 1);
    for (size_t r = 1; r < sheet.rows.size(); ++r) {
        const SheetRow& source = sheet.rows[r];
        ImportRow row;
        row.sourceRow = source.number;
        row.lines.resize(table.lineColumns.size());
        for (size_t c = 0; c < columns.size(); ++c) {
            const Column& column = columns[c];
            const SheetCell& cell = source.at(int(c));
            if (cell.isEmpty())
                continue;
            QString problem;
            switch (column.field) {
            case Field::EmployeeNo:
                row.employeeNo = employeeNumber(cell, source.number, int(c), problem);
                break;
            case Field::NewBasic: {
                const CellAmount amount = cellAmount(cell, source.number, int(c));
                row.newBasic = amount.money;
                problem = amount.problem;
                break;
            }
            case Field::NewJob:
                row.newJob = plainText(cell, source.number, int(c), problem);
                break;
            case Field::Remarks:
                row.remarks = plainText(cell, source.number, int(c), problem);
                break;
            case Field::Line: {
                LineCell& line = row.lines[size_t(column.line)];
                if (cell.kind == Kind::Text &&
                    cell.text.trimmed().compare(QLatin1String("drop"), Qt::CaseInsensitive) == 0) {
                    line.action = LineCell::Action::Drop;
                    break;
                }
                const CellAmount amount = cellAmount(cell, source.number, int(c));
                if (amount.money)
                    line = {LineCell::Action::Set, *amount.money};
                problem = amount.problem;
                break;
            }
            case Field::Name:
            case Field::Unknown:
            case Field::Blank:
                break;
            }
            if (!problem.isEmpty())
                row.problems << rowProblem(source.number, column.header, problem);
        }
        if (source.at(numberColumn).isEmpty())
            row.problems << rowProblem(source.number, table.employeeNoHeader,
                                       QStringLiteral("no employee number"));
        table.rows.push_back(std::move(row));
    }
    return table;
}

} // namespace bulk

namespace bulk {

ImportTable readImport(const QString& path) {
    const Sheet sheet = readSheet(path);
    try {
        return parseImport(sheet);
    } catch (const ImportError& error) {
        throw ImportError(QDir::toNativeSeparators(path) + QStringLiteral(": ") + error.message());
    }
}

} // namespace bulk
