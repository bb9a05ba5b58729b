#include "ui/flexgrid.h"

#include <QHash>
#include <QHeaderView>
#include <algorithm>
#include <numeric>

namespace ui {

namespace {

const QString kEmpty;
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

struct SortKey {
    bool numeric;
    double number;
    QString upper;
};

// Upper-cased one character at a time, so that plain comparison of two keys is compareAsText.
QString upperEachChar(const QString& text) {
    QString upper = text;
    for (QChar& ch : upper)
        ch = ch.toUpper();
    return upper;
}

SortKey keyOf(const QString& text) {
    double number = 0.0;
    const bool numeric = readsAsNumber(text, &number);
    return SortKey{numeric, number, upperEachChar(text)};
}

int compareKeys(const SortKey& a, const SortKey& b) {
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

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Row& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return static_cast<size_t>(index.column()) < row.cells.size()
                   ? row.cells[static_cast<size_t>(index.column())]
                   : QString();
    case Qt::ForegroundRole:
        return row.color.isValid() ? QVariant(row.color) : QVariant();
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

void GridModel::setGridRows(int rows) {
    const int wanted = std::max(rows - 1, 0);
    const int have = static_cast<int>(rows_.size());
    if (wanted > have) {
        beginInsertRows({}, have, wanted - 1);
        rows_.resize(static_cast<size_t>(wanted));
        endInsertRows();
    } else if (wanted < have) {
        beginRemoveRows({}, wanted, have - 1);
        rows_.resize(static_cast<size_t>(wanted));
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
    types_.resize(static_cast<size_t>(cols));
    endResetModel();
}

const QString& GridModel::text(int row, int col) const {
    if (col < 0 || col >= cols_)
        return kEmpty;
    if (row == 0)
        return headers_[static_cast<size_t>(col)];
    if (row < 1 || row > static_cast<int>(rows_.size()))
        return kEmpty;
    const auto& cells = rows_[static_cast<size_t>(row - 1)].cells;
    return static_cast<size_t>(col) < cells.size() ? cells[static_cast<size_t>(col)] : kEmpty;
}

void GridModel::setText(int row, int col, const QString& text) {
    if (col < 0 || col >= cols_ || row < 0 || row > static_cast<int>(rows_.size()))
        return;
    if (row == 0) {
        headers_[static_cast<size_t>(col)] = text;
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    auto& cells = rows_[static_cast<size_t>(row - 1)].cells;
    if (cells.size() <= static_cast<size_t>(col))
        cells.resize(static_cast<size_t>(col) + 1);
    cells[static_cast<size_t>(col)] = text;
    if (col == ascendingColumn_)
        ascendingColumn_ = -1;
    const QModelIndex at = index(row - 1, col);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

void GridModel::appendRow(std::vector<QString> cells) {
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(Row{std::move(cells), QColor(), kDayNone});
    endInsertRows();
    ascendingColumn_ = -1;
}

void GridModel::setRows(int cols, std::vector<std::vector<QString>> rows) {
    beginResetModel();
    cols_ = std::max(cols, 1);
    headers_.assign(static_cast<size_t>(cols_), QString());
    alignment_.assign(static_cast<size_t>(cols_), 0);
    resetTypes();
    rows_.clear();
    rows_.reserve(std::max<size_t>(rows.size(), 1));
    for (auto& cells : rows)
        rows_.push_back(Row{std::move(cells), QColor(), kDayNone});
    if (rows_.empty())
        rows_.push_back(Row{});
    ascendingColumn_ = -1;
    endResetModel();
}

QColor GridModel::rowColor(int row) const {
    if (row < 1 || row > static_cast<int>(rows_.size()))
        return {};
    return rows_[static_cast<size_t>(row - 1)].color;
}

void GridModel::setRowColor(int row, const QColor& color) {
    if (row < 1 || row > static_cast<int>(rows_.size()))
        return;
    rows_[static_cast<size_t>(row - 1)].color = color;
    emit dataChanged(index(row - 1, 0), index(row - 1, cols_ - 1), {Qt::ForegroundRole});
}

void GridModel::setRowColorWhere(int col, const QString& text, const QColor& color) {
    if (col < 0 || col >= cols_ || rows_.empty())
        return;
    for (Row& row : rows_) {
        if (static_cast<size_t>(col) < row.cells.size() &&
            row.cells[static_cast<size_t>(col)] == text)
            row.color = color;
    }
    emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, cols_ - 1),
                     {Qt::ForegroundRole});
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
    cols_ = std::max(cols, 1);
    headers_.assign(static_cast<size_t>(cols_), QString());
    alignment_.assign(static_cast<size_t>(cols_), 0);
    resetTypes();
    rows_.assign(static_cast<size_t>(std::max(rows - 1, 0)), Row{});
    ascendingColumn_ = -1;
    endResetModel();
}

void GridModel::resetTypes() {
    types_.assign(static_cast<size_t>(cols_), ColumnType{});
}

void GridModel::setColumnType(int col, CellType type, const QString& trueText) {
    if (col >= 0 && col < cols_)
        types_[static_cast<size_t>(col)] = ColumnType{type, trueText};
}

GridModel::CellType GridModel::columnType(int col) const {
    return col >= 0 && col < cols_ ? types_[static_cast<size_t>(col)].type : CellType::Text;
}

void GridModel::setDate(int row, const QDate& date) {
    if (row >= 1 && row <= static_cast<int>(rows_.size()))
        rows_[static_cast<size_t>(row - 1)].day = date.isValid() ? date.toJulianDay() : kDayNone;
}

QVariant GridModel::value(int row, int col) const {
    if (row < 1 || row > static_cast<int>(rows_.size()) || col < 0 || col >= cols_)
        return {};
    const QString& cell = text(row, col);
    const ColumnType& type = types_[static_cast<size_t>(col)];
    switch (type.type) {
    case CellType::Integer: {
        bool ok = false;
        const int number = cell.trimmed().toInt(&ok);
        return ok ? QVariant(number) : QVariant(QMetaType(QMetaType::Int));
    }
    case CellType::Date: {
        const qint64 day = rows_[static_cast<size_t>(row - 1)].day;
        return day == kDayNone ? QVariant(QMetaType(QMetaType::QDate))
                               : QVariant(QDate::fromJulianDay(day));
    }
    case CellType::Flag:
        return cell == type.trueText;
    case CellType::Text:
        break;
    }
    return cell.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(cell);
}

int GridModel::firstRowBeginningWith(int col, QStringView text) const {
    if (col < 0 || col >= cols_)
        return 0;
    const QStringView key = text.trimmed();
    const auto begins = [&](const QString& cell) {
        return QStringView(cell).trimmed().startsWith(key, Qt::CaseInsensitive);
    };
    // A date column repeats few dates: each is read once.
    const bool dates = types_[static_cast<size_t>(col)].type == CellType::Date;
    QHash<qint64, bool> seen;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        const QString& cell = static_cast<size_t>(col) < row.cells.size()
                                  ? row.cells[static_cast<size_t>(col)]
                                  : kEmpty;
        bool found;
        if (dates && row.day != kDayNone) {
            const auto at = seen.constFind(row.day);
            found = at != seen.cend() ? *at : *seen.insert(row.day, begins(cell));
        } else {
            found = begins(cell);
        }
        if (found)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

void GridModel::sortRows(int col, bool ascending) {
    sortRows(col, ascending, -1);
}

void GridModel::sortRows(int col, bool ascending, int thenCol) {
    if (col < 0 || col >= cols_)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const size_t n = rows_.size();
    const auto cellOf = [](const Row& row, int c) -> const QString& {
        return static_cast<size_t>(c) < row.cells.size() ? row.cells[static_cast<size_t>(c)]
                                                         : kEmpty;
    };
    // Keys made once per sort, not per comparison: a date column's days, otherwise each
    // distinct text's rank among the column's distinct texts.
    const bool dates = types_[static_cast<size_t>(col)].type == CellType::Date;
    std::vector<double> keys;
    keys.reserve(n);
    if (dates) {
        for (const Row& row : rows_)
            keys.push_back(row.day == kDayNone ? -std::numeric_limits<double>::infinity()
                                               : static_cast<double>(row.day));
    } else {
        QHash<QString, int> distinct;
        std::vector<int> ids;
        ids.reserve(n);
        for (const Row& row : rows_) {
            const QString& cell = cellOf(row, col);
            auto at = distinct.constFind(cell);
            if (at == distinct.cend())
                at = distinct.insert(cell, static_cast<int>(distinct.size()));
            ids.push_back(*at);
        }
        std::vector<SortKey> texts(static_cast<size_t>(distinct.size()));
        for (auto it = distinct.cbegin(); it != distinct.cend(); ++it)
            texts[static_cast<size_t>(it.value())] = keyOf(it.key());
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
        for (const int id : ids)
            keys.push_back(rank[static_cast<size_t>(id)]);
    }
    const bool ties = thenCol >= 0 && thenCol < cols_ && thenCol != col;
    std::vector<SortKey> tieKeys;
    if (ties) {
        tieKeys.reserve(n);
        for (const Row& row : rows_)
            tieKeys.push_back(keyOf(cellOf(row, thenCol)));
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const auto i = static_cast<size_t>(a);
        const auto j = static_cast<size_t>(b);
        int c = keys[i] < keys[j] ? -1 : (keys[i] > keys[j] ? 1 : 0);
        if (c == 0 && ties) {
            const qsizetype x = tieKeys[i].upper.size();
            const qsizetype y = tieKeys[j].upper.size();
            c = x != y ? (x < y ? -1 : 1) : compareKeys(tieKeys[i], tieKeys[j]);
        }
        return ascending ? c < 0 : c > 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(n);
    std::vector<int> newPosition(n);
    for (size_t i = 0; i < n; ++i) {
        newPosition[static_cast<size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[static_cast<size_t>(order[i])]));
    }
    rows_ = std::move(sorted);
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
