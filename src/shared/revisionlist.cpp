#include "shared/revisionlist.h"

#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

namespace {

// Widths in hundredths of a millimetre, shown at the screen's resolution.
constexpr int kWidths[7] = {926, 5292, 2540, 0, 0, 2540, 2540};

int toPixels(const QWidget* widget, int hundredthsOfMm) {
    return static_cast<int>(hundredthsOfMm / 2540.0 * widget->logicalDpiX() + 0.5);
}

} // namespace

QTreeWidget* createRevisionList(const char* objectName, const QStringList& headers,
                                QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(objectName));
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setContextMenuPolicy(Qt::PreventContextMenu);
    list->setColumnCount(7);
    list->setHeaderLabels(headers);
    list->header()->setStretchLastSection(false);
    for (int column : {revcol::RevisedAmount, revcol::OldAmount})
        list->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    // Room for a title beside its text: the header's margins on either side.
    const int titleMargin = 2 * list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list);
    for (int column = 0; column < 7; ++column) {
        if (kWidths[column] == 0) {
            list->setColumnHidden(column, true);
            continue;
        }
        const int title = list->header()->fontMetrics().horizontalAdvance(headers.value(column));
        list->setColumnWidth(column,
                             std::max(toPixels(list, kWidths[column]), title + titleMargin + 8));
    }
    return list;
}

QTreeWidgetItem* addRevisionRow(QTreeWidget* list, const QString& description,
                                const QString& revisedAmount, const QString& typeId,
                                const QString& letter, const QString& oldAmount,
                                const QString& currency, bool checked) {
    auto* item =
        new QTreeWidgetItem(QStringList{QString::number(list->topLevelItemCount() + 1), description,
                                        revisedAmount, typeId, letter, oldAmount, currency});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    for (int column : {revcol::RevisedAmount, revcol::OldAmount})
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    list->addTopLevelItem(item);
    return item;
}
