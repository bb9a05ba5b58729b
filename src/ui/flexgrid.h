#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QDate>
#include <QStringView>
#include <QTableView>
#include <limits>
#include <vector>

namespace ui {

// True when the text, blanks around it aside, is a plain decimal number (sign, digits, one
// point); its value then goes to *value. The grid's sort and the register's search agree on it.
bool readsAsNumber(QStringView text, double* value = nullptr);
// Text as the grid's sort orders it: character by character, each upper-cased.
int compareAsText(QStringView a, QStringView b);

struct GridSortKey;

// Distinct texts held once, end to end in one buffer; a cell is an entry's index.
class TextPool {
public:
    qint32 intern(QStringView text);
    // Kept as it comes, without looking for it among the others: for texts that hardly repeat.
    qint32 add(QStringView text);
    QStringView view(qint32 entry) const;
    qint32 size() const { return static_cast<qint32>(ends_.size()); }
    void clear();

private:
    void rehash(size_t count);
    QString chars_;
    std::vector<qint64> ends_;
    std::vector<qint32> slots_;
};

// Cells read and written as text, with one text colour per row; row 0 of the grid is the header,
// held apart. Held column by column and compactly, for a million rows: each column keeps its
// distinct texts once and an index per cell, an integer column its numbers. A column may be
// typed: value() then gives its cells as that type, and a date column holds each row's date
// itself, which its sort and search follow.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    enum class CellType { Text, Integer, Date, Flag };

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Grid rows: 0 is the header, 1.. the data rows.
    int gridRows() const { return dataRows() + 1; }
    void setGridRows(int rows);
    int cols() const { return cols_; }
    void setCols(int cols);
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    void appendRow(std::vector<QString> cells);
    // Replaces every data row at once (one model reset); no rows leaves one empty row.
    void setRows(int cols, std::vector<std::vector<QString>> rows);
    // Loading straight from a source, in one model reset: beginLoad, the column types, then
    // per row addRow and its cells; endLoad leaves one empty row when none came.
    void beginLoad(int cols);
    void addRow();
    // Rows coming in among the others: beginInsert makes room for count rows from grid row
    // `row` on, then per row nextRow and its cells, then endInsert.
    void beginInsert(int row, int count);
    void nextRow();
    void endInsert();
    // The cells of the row being loaded or inserted.
    void putText(int col, QStringView text);
    void putNumber(int col, qint32 number);
    void putDate(int col, const QDate& date, QStringView text);
    void endLoad();
    QColor rowColor(int row) const;
    void setRowColor(int row, const QColor& color);
    // Colours every data row (or those of grid rows first to last) whose cell in the column
    // reads the text, in one pass.
    void setRowColorWhere(int col, const QString& text, const QColor& color, int first = 1,
                          int last = std::numeric_limits<int>::max());
    void setAlignment(int col, int code);
    int alignment(int col) const;
    void reset(int cols, int rows);
    // A stable sort of the data rows on one column: numbers as numbers when both cells read
    // as numbers, otherwise text compared upper-cased (the register's search bisects on
    // upper-cased text, so both must order alike). Keeps the current row with its data.
    void sortRows(int col, bool ascending);
    // The same, ties on the first column ordered by the second (shorter text first, as a
    // running number orders).
    void sortRows(int col, bool ascending, int thenCol);
    // The column the rows are known to be in ascending order of, or -1.
    int ascendingColumn() const { return ascendingColumn_; }

    // Types a column (reset with the rows); a flag column reads true where it shows trueText.
    void setColumnType(int col, CellType type, const QString& trueText = {});
    CellType columnType(int col) const;
    // The column's texts hardly ever repeat (a number per row): each is kept as it comes rather
    // than looked for among the others first.
    void setDistinctTexts(int col);
    // The date a date column's cell stands for (its text is made from it by the loader).
    void setDate(int row, const QDate& date);
    // A data cell as its column's type: int, QDate, bool or QString (null when empty).
    QVariant value(int row, int col) const;
    // The first row, in the present order, whose text in the column begins with the text
    // (case aside, blanks around it ignored); 0 when none.
    int firstRowBeginningWith(int col, QStringView text) const;

private:
    static constexpr qint32 kNone = std::numeric_limits<qint32>::min();
    struct Column {
        CellType type = CellType::Text;
        QString trueText;
        // An integer column holds the numbers themselves while every text reads back as one.
        bool numbers = false;
        bool distinct = false;
        std::vector<qint32> cells;
        TextPool pool;
    };
    void sortKeys(int col, std::vector<GridSortKey>& keys, std::vector<qint32>& ofRow) const;
    int dataRows() const { return static_cast<int>(colors_.size()); }
    void clearColumns(int cols);
    void resizeRows(size_t rows);
    void storeText(Column& column, size_t row, QStringView text);
    void keepTexts(Column& column);
    QStringView cellView(size_t row, int col, QString& scratch) const;
    quint8 colorIndex(const QColor& color);
    int cols_ = 1;
    // The data row put* writes to while loading or inserting.
    size_t filling_ = 0;
    std::vector<Column> columns_;
    std::vector<QString> headers_{QString()};
    // The date column's dates as Julian days, kNone without one.
    std::vector<qint32> days_;
    // Each row's colour as an index into palette_ (0: none).
    std::vector<quint8> colors_;
    std::vector<QColor> palette_{QColor()};
    std::vector<int> alignment_{0};
    int ascendingColumn_ = -1;
};

// The register grid as the register code speaks of it: text by (row, column) with row 0 the
// header, widths in twips, a current row, whole-row selection, a text colour per row and a
// one-column sort.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    GridModel& model() { return model_; }
    int rows() const { return model_.gridRows(); }
    void setRows(int rows) { model_.setGridRows(rows); }
    int cols() const { return model_.cols(); }
    void setCols(int cols);
    QString textMatrix(int row, int col) const { return model_.text(row, col); }
    void setTextMatrix(int row, int col, const QString& text) { model_.setText(row, col, text); }
    void clearGrid(int cols = 1, int rows = 2);

    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;
    int colWidthTwips(int col) const;
    void setColWidthTwips(int col, int twips);
    int widthTwips() const { return pixelsToTwips(width()); }
    void setColAlignment(int col, int code) { model_.setAlignment(col, code); }

    // Current row (1.. for data rows; 0 when none).
    int row() const;
    void setRow(int row);
    int col() const;
    void setCol(int col);
    void setTopRow(int row);
    // Scrolls as little as needed to bring the row on screen.
    void showRow(int row);
    // Makes the row current and selects it across every column.
    void selectRowAcross(int row);

    void setRowForeColor(int row, const QColor& color) { model_.setRowColor(row, color); }
    QColor rowForeColor(int row) const { return model_.rowColor(row); }

    void sortOn(int col, bool ascending, int thenCol = -1) {
        model_.sortRows(col, ascending, thenCol);
    }
    // A data cell typed (see GridModel::value): for readers such as an export.
    QVariant value(int row, int col) const { return model_.value(row, col); }

signals:
    // The current cell moved (the grid's own RowColChange).
    void rowColChange();
    void dblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void scrollToRow(int row, ScrollHint hint);
    // Rows that come in above the top of the view leave the view on the rows it showed.
    void keepViewOverInsertedRows();

    GridModel model_;
    int topRowBeforeInsert_ = -1;
    int scrollBeforeInsert_ = 0;
};

} // namespace ui
