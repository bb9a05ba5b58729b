#include "register/frmmaster.h"

#include "data/connection.h"

#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "ui/flexgrid.h"
#include "ui/waitcursor.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>

namespace {

constexpr int kCtrlD = 4;

// A control's key release (its KeyUp event).
class KeyRelease : public QObject {
public:
    KeyRelease(QWidget* control, std::function<void()> handler)
        : QObject(control), handler_(std::move(handler)) {
        control->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease)
            handler_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};

int compareNumbers(double a, double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

void FrmMaster::setupSearchAndSort() {
    connect(cboColNames, &QComboBox::currentIndexChanged, this, [this] { cboColNames_Click(); });
    for (QRadioButton* option : {optAscend, optDescend})
        connect(option, &QRadioButton::clicked, this, [this] { cboColNames->setCurrentIndex(-1); });
    connect(flexMaster->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int col) { headerSort(col); });

    new KeyRelease(txtsearch, [this] {
        if (cboSearch->currentIndex() >= 0 && !txtsearch->text().trimmed().isEmpty())
            GridSearch();
    });
    for (QWidget* control :
         std::initializer_list<QWidget*>{cboColNames, cboSearch, txtsearch, optAscend, optDescend})
        onKeyPress(control, [](int& keyAscii) { EnterAsTab(keyAscii); });

    // Ctrl+D from any control of the window goes to the grid.
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control->focusPolicy() == Qt::NoFocus)
            continue;
        onKeyPress(control, [this](int& keyAscii) {
            if (keyAscii == kCtrlD) {
                flexMaster->setFocus(Qt::ShortcutFocusReason);
                keyAscii = 0;
            }
        });
    }
}

void FrmMaster::cboColNames_Click() {
    const ui::WaitCursor wait;
    const int index = cboColNames->currentIndex();
    if (index < 0)
        return;
    if (loading_) {
        waitForRows(Waiting::Sort);
        return;
    }
    // Job changes of one day follow their numbers.
    const int col = cboColNames->itemData(index).toInt();
    flexMaster->setCol(col);
    flexMaster->sortOn(col, optAscend->isChecked(), col == kColumnDate ? kColumnNumber : -1);
    showCurrentRow();
}

void FrmMaster::headerSort(int col) {
    const int index = cboColNames->findData(col);
    if (index < 0)
        return;
    const bool again = cboColNames->currentIndex() == index;
    // Setting a direction button by hand does not clear the column as a click on it does.
    (again && optAscend->isChecked() ? optDescend : optAscend)->setChecked(true);
    {
        const QSignalBlocker block(cboColNames);
        cboColNames->setCurrentIndex(index);
    }
    cboColNames_Click();
}

void FrmMaster::showCurrentRow() {
    flexMaster->showRow(flexMaster->row());
}

void FrmMaster::GridSearch() {
    const int index = cboSearch->currentIndex();
    if (index < 0)
        return;
    if (loading_) {
        waitForRows(Waiting::Search);
        return;
    }
    const int col = cboSearch->itemData(index).toInt();
    const ui::GridModel& grid = flexMaster->model();
    // Sorting rows already in this order changes nothing: skip it, every keystroke searches.
    if (grid.ascendingColumn() != col)
        flexMaster->sortOn(col, true, col == kColumnDate ? kColumnNumber : -1);
    // Dates in date order do not follow their text: the first one shown beginning with it.
    if (grid.columnType(col) == ui::GridModel::CellType::Date) {
        if (const int found = grid.firstRowBeginningWith(col, txtsearch->text())) {
            flexMaster->selectRowAcross(found);
            flexMaster->setTopRow(found);
        }
        return;
    }

    int low = 1;
    int high = flexMaster->rows() - 1;
    int found = 0;
    const bool numeric = ui::readsAsNumber(grid.text(flexMaster->rows() / 2, col));
    const QString typed = txtsearch->text();
    const qsizetype length = typed.size();
    const QStringView key = QStringView(typed).trimmed();
    const double keyValue = numeric ? data::leadingNumber(key) : 0.0;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const QString text = grid.text(middle, col);
        const QStringView cell = QStringView(text).trimmed().left(length);
        const int order = numeric ? compareNumbers(data::leadingNumber(cell), keyValue)
                                  : ui::compareAsText(cell, key);
        if (order > 0) {
            high = middle - 1;
        } else if (order < 0) {
            low = middle + 1;
        } else {
            found = middle;
            high = middle - 1;
        }
    }
    if (found > 0) {
        flexMaster->selectRowAcross(found);
        flexMaster->setTopRow(found);
    }
}
