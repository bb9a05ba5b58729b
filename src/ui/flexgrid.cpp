#include "ui/flexgrid.h"

#include <QHash>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

namespace ui {

struct GridSortKey {
    bool numeric;
    double number;
    QString upper;
};

namespace {

// A new column's width, as the flex grid gives it.
constexpr int kDefaultColWidthTwips = 960;

int toQtAlignment(int code) {
    // 0 left top, 1 left centre, 2 left bottom, as the grid's alignment codes go.
    switch (code) {
    case 1:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case 2:
        return Qt::AlignLeft | Qt::AlignBottom;
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

// Upper-cased one character at a time, so that plain comparison of two keys is compareAsText.
QString upperEachChar(const QString& text) {
    QString upper = text;
    for (QChar& ch : upper)
        ch = ch.toUpper();
    return upper;
}

GridSortKey keyOf(const QString& text) {
    double number = 0.0;
    const bool numeric = readsAsNumber(text, &number);
    return GridSortKey{numeric, number, upperEachChar(text)};
}

int compareKeys(const GridSortKey& a, const GridSortKey& b) {
    if (a.numeric && b.numeric)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    return a.upper.compare(b.upper);
}

} // namespace

bool readsAsNumber(QStringView text, double* value) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar ch = t[i];
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            digits = true;
        else if (ch == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    if (!digits)
        return false;
    if (value)
        *value = t.toDouble();
    return true;
}

int compareAsText(QStringView a, QStringView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].toUpper().unicode();
        const char16_t y = b[i].toUpper().unicode();
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// ---------------------------------------------------------------- GridModel

qint32 TextPool::intern(QStringView text) {
    if ((ends_.size() + 1) * 2 > slots_.size())
        rehash(std::max<size_t>(64, slots_.size() * 2));
    const size_t mask = slots_.size() - 1;
    for (size_t at = qHash(text) & mask;; at = (at + 1) & mask) {
        const qint32 entry = slots_[at];
        if (entry < 0) {
            chars_.append(text);
            ends_.push_back(chars_.size());
            slots_[at] = size() - 1;
            return size() - 1;
        }
        if (view(entry) == text)
            return entry;
    }
}

qint32 TextPool::add(QStringView text) {
    chars_.append(text);
    ends_.push_back(chars_.size());
    return size() - 1;
}

QStringView TextPool::view(qint32 entry) const {
    const auto at = static_cast<size_t>(entry);
    const qint64 start = at == 0 ? 0 : ends_[at - 1];
    return QStringView(chars_).mid(start, ends_[at] - start);
}

void TextPool::clear() {
    chars_.clear();
    ends_.clear();
    slots_.clear();
}

void TextPool::rehash(size_t count) {
    slots_.assign(count, -1);
    const size_t mask = count - 1;
    for (qint32 entry = 0; entry < size(); ++entry) {
        size_t at = qHash(view(entry)) & mask;
        while (slots_[at] >= 0)
            at = (at + 1) & mask;
        slots_[at] = entry;
    }
}

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {
    clearColumns(1);
    resizeRows(1);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dataRows();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row() + 1, index.column());
    case Qt::ForegroundRole: {
        const QColor& color = palette_[colors_[static_cast<size_t>(index.row())]];
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return toQtAlignment(alignment_[static_cast<size_t>(index.column())]);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < cols_)
        return headers_[static_cast<size_t>(section)];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void GridModel::clearColumns(int cols) {
    cols_ = std::max(cols, 1);
    columns_.clear();
    columns_.resize(static_cast<size_t>(cols_));
    headers_.assign(static_cast<size_t>(cols_), QString());
    alignment_.assign(static_cast<size_t>(cols_), 0);
    days_.clear();
    colors_.clear();
    palette_.assign(1, QColor());
    ascendingColumn_ = -1;
}

void GridModel::resizeRows(size_t rows) {
    for (Column& column : columns_)
        column.cells.resize(rows, kNone);
    days_.resize(rows, kNone);
    colors_.resize(rows, 0);
}

void GridModel::storeText(Column& column, size_t row, QStringView text) {
    if (column.numbers) {
        if (text.isEmpty()) {
            column.cells[row] = kNone;
            return;
        }
        bool ok = false;
        const qint32 number = text.toInt(&ok);
        if (ok && number != kNone && QString::number(number) == text) {
            column.cells[row] = number;
            return;
        }
        keepTexts(column);
    }
    column.cells[row] = text.isEmpty()    ? kNone
                        : column.distinct ? column.pool.add(text)
                                          : column.pool.intern(text);
}

void GridModel::setDistinctTexts(int col) {
    if (col >= 0 && col < cols_)
        columns_[static_cast<size_t>(col)].distinct = true;
}

void GridModel::keepTexts(Column& column) {
    if (!column.numbers)
        return;
    column.numbers = false;
    column.pool.clear();
    for (qint32& cell : column.cells) {
        if (cell != kNone)
            cell = column.pool.intern(QString::number(cell));
    }
}

QStringView GridModel::cellView(size_t row, int col, QString& scratch) const {
    const Column& column = columns_[static_cast<size_t>(col)];
    const qint32 cell = column.cells[row];
    if (cell == kNone)
        return {};
    if (column.numbers) {
        scratch = QString::number(cell);
        return scratch;
    }
    return column.pool.view(cell);
}

quint8 GridModel::colorIndex(const QColor& color) {
    for (size_t i = 0; i < palette_.size(); ++i) {
        if (palette_[i] == color)
            return static_cast<quint8>(i);
    }
    // A grid shows a handful of colours; past 255 the last entry is reused.
    if (palette_.size() > std::numeric_limits<quint8>::max()) {
        palette_.back() = color;
        return static_cast<quint8>(palette_.size() - 1);
    }
    palette_.push_back(color);
    return static_cast<quint8>(palette_.size() - 1);
}

void GridModel::setGridRows(int rows) {
    const int wanted = std::max(rows - 1, 0);
    const int have = dataRows();
    if (wanted > have) {
        beginInsertRows({}, have, wanted - 1);
        resizeRows(static_cast<size_t>(wanted));
        endInsertRows();
    } else if (wanted < have) {
        beginRemoveRows({}, wanted, have - 1);
        resizeRows(static_cast<size_t>(wanted));
        endRemoveRows();
    }
    ascendingColumn_ = -1;
}

void GridModel::setCols(int cols) {
    cols = std::max(cols, 1);
    if (cols == cols_)
        return;
    beginResetModel();
    cols_ = cols;
    headers_.resize(static_cast<size_t>(cols));
    alignment_.resize(static_cast<size_t>(cols), 0);
    columns_.resize(static_cast<size_t>(cols));
    resizeRows(colors_.size());
    endResetModel();
}

QString GridModel::text(int row, int col) const {
    if (col < 0 || col >= cols_)
        return {};
    if (row == 0)
        return headers_[static_cast<size_t>(col)];
    if (row < 1 || row > dataRows())
        return {};
    QString scratch;
    const QStringView cell = cellView(static_cast<size_t>(row - 1), col, scratch);
    return cell.data() == scratch.data() && !scratch.isNull() ? scratch : cell.toString();
}

void GridModel::setText(int row, int col, const QString& text) {
    if (col < 0 || col >= cols_ || row < 0 || row > dataRows())
        return;
    if (row == 0) {
        headers_[static_cast<size_t>(col)] = text;
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    storeText(columns_[static_cast<size_t>(col)], static_cast<size_t>(row - 1), text);
    if (col == ascendingColumn_)
        ascendingColumn_ = -1;
    const QModelIndex at = index(row - 1, col);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

void GridModel::appendRow(std::vector<QString> cells) {
    const int at = dataRows();
    beginInsertRows({}, at, at);
    resizeRows(static_cast<size_t>(at) + 1);
    for (int c = 0; c < cols_ && static_cast<size_t>(c) < cells.size(); ++c)
        storeText(columns_[static_cast<size_t>(c)], static_cast<size_t>(at),
                  cells[static_cast<size_t>(c)]);
    endInsertRows();
    ascendingColumn_ = -1;
}

void GridModel::setRows(int cols, std::vector<std::vector<QString>> rows) {
    beginLoad(cols);
    for (const auto& cells : rows) {
        addRow();
        for (int c = 0; c < cols_ && static_cast<size_t>(c) < cells.size(); ++c)
            putText(c, cells[static_cast<size_t>(c)]);
    }
    endLoad();
}

void GridModel::beginLoad(int cols) {
    beginResetModel();
    clearColumns(cols);
}

void GridModel::addRow() {
    resizeRows(colors_.size() + 1);
    filling_ = colors_.size() - 1;
}

void GridModel::beginInsert(int row, int count) {
    const int at = std::clamp(row - 1, 0, dataRows());
    count = std::max(count, 0);
    beginInsertRows({}, at, at + count - 1);
    // Rows come in above a short tail (the newest rows): only the tail moves.
    const auto gap = [&](auto& values, auto empty) {
        values.insert(values.begin() + at, static_cast<size_t>(count), empty);
    };
    for (Column& column : columns_)
        gap(column.cells, kNone);
    gap(days_, kNone);
    gap(colors_, quint8{0});
    filling_ = static_cast<size_t>(at) - 1;
    ascendingColumn_ = -1;
}

void GridModel::nextRow() {
    ++filling_;
}

void GridModel::endInsert() {
    endInsertRows();
}

void GridModel::putText(int col, QStringView text) {
    if (col >= 0 && col < cols_ && filling_ < colors_.size())
        storeText(columns_[static_cast<size_t>(col)], filling_, text);
}

void GridModel::putNumber(int col, qint32 number) {
    if (col < 0 || col >= cols_ || filling_ >= colors_.size())
        return;
    Column& column = columns_[static_cast<size_t>(col)];
    if (column.numbers && number != kNone)
        column.cells[filling_] = number;
    else
        storeText(column, filling_, QString::number(number));
}

void GridModel::putDate(int col, const QDate& date, QStringView text) {
    putText(col, text);
    if (filling_ < colors_.size())
        setDate(static_cast<int>(filling_) + 1, date);
}

void GridModel::endLoad() {
    if (colors_.empty())
        addRow();
    ascendingColumn_ = -1;
    endResetModel();
}

QColor GridModel::rowColor(int row) const {
    if (row < 1 || row > dataRows())
        return {};
    return palette_[colors_[static_cast<size_t>(row - 1)]];
}

void GridModel::setRowColor(int row, const QColor& color) {
    if (row < 1 || row > dataRows())
        return;
    colors_[static_cast<size_t>(row - 1)] = colorIndex(color);
    emit dataChanged(index(row - 1, 0), index(row - 1, cols_ - 1), {Qt::ForegroundRole});
}

void GridModel::setRowColorWhere(int col, const QString& text, const QColor& color, int first,
                                 int last) {
    first = std::max(first, 1);
    last = std::min(last, dataRows());
    if (col < 0 || col >= cols_ || first > last)
        return;
    const quint8 colour = colorIndex(color);
    const Column& column = columns_[static_cast<size_t>(col)];
    // Each distinct text is compared once.
    std::vector<bool> matches;
    if (!column.numbers) {
        matches.resize(static_cast<size_t>(column.pool.size()));
        for (qint32 entry = 0; entry < column.pool.size(); ++entry)
            matches[static_cast<size_t>(entry)] = column.pool.view(entry) == text;
    }
    QString scratch;
    for (auto row = static_cast<size_t>(first - 1); row < static_cast<size_t>(last); ++row) {
        const qint32 cell = column.cells[row];
        const bool match = cell == kNone    ? text.isEmpty()
                           : column.numbers ? cellView(row, col, scratch) == text
                                            : matches[static_cast<size_t>(cell)];
        if (match)
            colors_[row] = colour;
    }
    emit dataChanged(index(first - 1, 0), index(last - 1, cols_ - 1), {Qt::ForegroundRole});
}

void GridModel::setAlignment(int col, int code) {
    if (col < 0 || col >= cols_)
        return;
    alignment_[static_cast<size_t>(col)] = code;
}

int GridModel::alignment(int col) const {
    return col >= 0 && col < cols_ ? alignment_[static_cast<size_t>(col)] : 0;
}

void GridModel::reset(int cols, int rows) {
    beginResetModel();
    clearColumns(cols);
    resizeRows(static_cast<size_t>(std::max(rows - 1, 0)));
    endResetModel();
}

void GridModel::setColumnType(int col, CellType type, const QString& trueText) {
    if (col < 0 || col >= cols_)
        return;
    Column& column = columns_[static_cast<size_t>(col)];
    column.type = type;
    column.trueText = trueText;
    if (type != CellType::Integer) {
        keepTexts(column);
        return;
    }
    if (column.numbers)
        return;
    // Numbers held as numbers only when each text reads back as its number.
    std::vector<qint32> numbers(column.cells.size(), kNone);
    for (size_t row = 0; row < column.cells.size(); ++row) {
        if (column.cells[row] == kNone)
            continue;
        const QStringView cell = column.pool.view(column.cells[row]);
        bool ok = false;
        const qint32 number = cell.toInt(&ok);
        if (!ok || number == kNone || QString::number(number) != cell)
            return;
        numbers[row] = number;
    }
    column.cells = std::move(numbers);
    column.pool.clear();
    column.numbers = true;
}

GridModel::CellType GridModel::columnType(int col) const {
    return col >= 0 && col < cols_ ? columns_[static_cast<size_t>(col)].type : CellType::Text;
}

void GridModel::setDate(int row, const QDate& date) {
    if (row < 1 || row > dataRows())
        return;
    const qint64 day = date.isValid() ? date.toJulianDay() : qint64{kNone};
    const bool fits = day > kNone && day <= std::numeric_limits<qint32>::max();
    days_[static_cast<size_t>(row - 1)] = fits ? static_cast<qint32>(day) : kNone;
}

QVariant GridModel::value(int row, int col) const {
    if (row < 1 || row > dataRows() || col < 0 || col >= cols_)
        return {};
    const auto at = static_cast<size_t>(row - 1);
    const Column& column = columns_[static_cast<size_t>(col)];
    switch (column.type) {
    case CellType::Integer: {
        if (column.numbers) {
            const qint32 cell = column.cells[at];
            return cell == kNone ? QVariant(QMetaType(QMetaType::Int)) : QVariant(cell);
        }
        bool ok = false;
        const int number = text(row, col).trimmed().toInt(&ok);
        return ok ? QVariant(number) : QVariant(QMetaType(QMetaType::Int));
    }
    case CellType::Date: {
        const qint32 day = days_[at];
        return day == kNone ? QVariant(QMetaType(QMetaType::QDate))
                            : QVariant(QDate::fromJulianDay(day));
    }
    case CellType::Flag:
        return text(row, col) == column.trueText;
    case CellType::Text:
        break;
    }
    const QString cell = text(row, col);
    return cell.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(cell);
}

int GridModel::firstRowBeginningWith(int col, QStringView text) const {
    if (col < 0 || col >= cols_)
        return 0;
    const QStringView key = text.trimmed();
    const auto begins = [&](QStringView cell) {
        return cell.trimmed().startsWith(key, Qt::CaseInsensitive);
    };
    const Column& column = columns_[static_cast<size_t>(col)];
    // Each distinct text is read once: -1 not yet, else the answer.
    std::vector<qint8> seen(column.numbers ? 0 : static_cast<size_t>(column.pool.size()), -1);
    QString scratch;
    for (size_t row = 0; row < colors_.size(); ++row) {
        const qint32 cell = column.cells[row];
        bool found;
        if (cell == kNone) {
            found = begins({});
        } else if (column.numbers) {
            found = begins(cellView(row, col, scratch));
        } else {
            qint8& known = seen[static_cast<size_t>(cell)];
            if (known < 0)
                known = begins(column.pool.view(cell)) ? 1 : 0;
            found = known == 1;
        }
        if (found)
            return static_cast<int>(row) + 1;
    }
    return 0;
}

void GridModel::sortKeys(int col, std::vector<GridSortKey>& keys,
                         std::vector<qint32>& ofRow) const {
    const Column& column = columns_[static_cast<size_t>(col)];
    const size_t n = colors_.size();
    ofRow.resize(n);
    if (column.numbers) {
        keys.resize(n);
        QString scratch;
        for (size_t row = 0; row < n; ++row) {
            keys[row] = keyOf(cellView(row, col, scratch).toString());
            ofRow[row] = static_cast<qint32>(row);
        }
        return;
    }
    // Entry 0 is the empty cell, then the pool's texts.
    keys.resize(static_cast<size_t>(column.pool.size()) + 1);
    keys[0] = keyOf(QString());
    for (qint32 entry = 0; entry < column.pool.size(); ++entry)
        keys[static_cast<size_t>(entry) + 1] = keyOf(column.pool.view(entry).toString());
    for (size_t row = 0; row < n; ++row) {
        const qint32 cell = column.cells[row];
        ofRow[row] = cell == kNone ? 0 : cell + 1;
    }
}

void GridModel::sortRows(int col, bool ascending) {
    sortRows(col, ascending, -1);
}

void GridModel::sortRows(int col, bool ascending, int thenCol) {
    if (col < 0 || col >= cols_)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const size_t n = colors_.size();
    const Column& column = columns_[static_cast<size_t>(col)];
    // Keys made once per sort, not per comparison: a date column's days, an integer column's
    // numbers, otherwise each distinct text's rank among the column's distinct texts.
    std::vector<double> keys;
    keys.reserve(n);
    if (column.type == CellType::Date) {
        for (const qint32 day : days_)
            keys.push_back(day == kNone ? -std::numeric_limits<double>::infinity()
                                        : static_cast<double>(day));
    } else if (column.numbers) {
        for (const qint32 cell : column.cells)
            keys.push_back(cell == kNone ? -std::numeric_limits<double>::infinity()
                                         : static_cast<double>(cell));
    } else {
        std::vector<GridSortKey> texts;
        std::vector<qint32> ofRow;
        sortKeys(col, texts, ofRow);
        std::vector<int> byText(texts.size());
        std::iota(byText.begin(), byText.end(), 0);
        std::stable_sort(byText.begin(), byText.end(), [&](int a, int b) {
            return compareKeys(texts[static_cast<size_t>(a)], texts[static_cast<size_t>(b)]) < 0;
        });
        std::vector<double> rank(texts.size());
        for (size_t i = 0; i < byText.size(); ++i) {
            const auto at = static_cast<size_t>(byText[i]);
            const bool same =
                i > 0 && compareKeys(texts[static_cast<size_t>(byText[i - 1])], texts[at]) == 0;
            rank[at] = same ? rank[static_cast<size_t>(byText[i - 1])] : static_cast<double>(i);
        }
        for (const qint32 id : ofRow)
            keys.push_back(rank[static_cast<size_t>(id)]);
    }
    const bool ties = thenCol >= 0 && thenCol < cols_ && thenCol != col;
    std::vector<GridSortKey> tieKeys;
    std::vector<qint32> tieOf;
    if (ties)
        sortKeys(thenCol, tieKeys, tieOf);
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto i = static_cast<size_t>(a);
        const auto j = static_cast<size_t>(b);
        int c = keys[i] < keys[j] ? -1 : (keys[i] > keys[j] ? 1 : 0);
        if (c == 0 && ties) {
            const GridSortKey& x = tieKeys[static_cast<size_t>(tieOf[i])];
            const GridSortKey& y = tieKeys[static_cast<size_t>(tieOf[j])];
            const qsizetype lx = x.upper.size();
            const qsizetype ly = y.upper.size();
            c = lx != ly ? (lx < ly ? -1 : 1) : compareKeys(x, y);
        }
        return ascending ? c < 0 : c > 0;
    });
    const auto permute = [&](auto& values) {
        std::remove_reference_t<decltype(values)> sorted;
        sorted.reserve(n);
        for (size_t i = 0; i < n; ++i)
            sorted.push_back(values[static_cast<size_t>(order[i])]);
        values = std::move(sorted);
    };
    for (Column& each : columns_)
        permute(each.cells);
    permute(days_);
    permute(colors_);
    std::vector<int> newPosition(n);
    for (size_t i = 0; i < n; ++i)
        newPosition[static_cast<size_t>(order[i])] = static_cast<int>(i);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << this->index(newPosition[static_cast<size_t>(index.row())], index.column());
    changePersistentIndexList(before, after);
    ascendingColumn_ = ascending ? col : -1;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---------------------------------------------------------------- FlexGrid

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(twipsToPixels(kDefaultColWidthTwips));
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    setAlternatingRowColors(false);
    keepViewOverInsertedRows();
}

void FlexGrid::keepViewOverInsertedRows() {
    connect(&model_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        topRowBeforeInsert_ = rowAt(0);
        scrollBeforeInsert_ = verticalScrollBar()->value();
    });
    connect(&model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (topRowBeforeInsert_ < 0 || first > topRowBeforeInsert_)
                    return;
                updateGeometries();
                const int count = last - first + 1;
                const int shift = verticalScrollMode() == ScrollPerItem
                                      ? count
                                      : verticalHeader()->sectionPosition(last + 1) -
                                            verticalHeader()->sectionPosition(first);
                verticalScrollBar()->setValue(scrollBeforeInsert_ + shift);
            });
}

void FlexGrid::setCols(int cols) {
    model_.setCols(cols);
}

void FlexGrid::clearGrid(int cols, int rows) {
    model_.reset(cols, rows);
}

int FlexGrid::twipsToPixels(int twips) const {
    return static_cast<int>((static_cast<qint64>(twips) * logicalDpiX() + 720) / 1440);
}

int FlexGrid::pixelsToTwips(int pixels) const {
    const int dpi = std::max(logicalDpiX(), 1);
    return static_cast<int>((static_cast<qint64>(pixels) * 1440 + dpi / 2) / dpi);
}

int FlexGrid::colWidthTwips(int col) const {
    if (isColumnHidden(col))
        return 0;
    return pixelsToTwips(columnWidth(col));
}

void FlexGrid::setColWidthTwips(int col, int twips) {
    if (twips <= 0) {
        setColumnHidden(col, true);
        return;
    }
    setColumnHidden(col, false);
    setColumnWidth(col, twipsToPixels(twips));
}

int FlexGrid::row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void FlexGrid::setRow(int row) {
    const int col = std::max(this->col(), 0);
    setCurrentIndex(model_.index(row - 1, col));
}

int FlexGrid::col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : 0;
}

void FlexGrid::setCol(int col) {
    const int row = std::max(this->row(), 1);
    selectionModel()->setCurrentIndex(model_.index(row - 1, col), QItemSelectionModel::NoUpdate);
}

void FlexGrid::setTopRow(int row) {
    scrollToRow(row, QAbstractItemView::PositionAtTop);
}

void FlexGrid::showRow(int row) {
    scrollToRow(row, QAbstractItemView::EnsureVisible);
}

void FlexGrid::scrollToRow(int row, ScrollHint hint) {
    // The view does not scroll to a cell of a hidden column (the register hides its first).
    int col = 0;
    while (col < cols() - 1 && isColumnHidden(col))
        ++col;
    if (row >= 1)
        scrollTo(model_.index(row - 1, col), hint);
}

void FlexGrid::selectRowAcross(int row) {
    if (row < 1 || row >= rows())
        return;
    const QModelIndex first = model_.index(row - 1, 0);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit dblClick();
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row() || current.column() != previous.column())
        emit rowColChange();
}

} // namespace ui
