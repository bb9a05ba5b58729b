#include "shared/revisionlist.h"

#include <QHeaderView>
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
    list->headerItem()->setTextAlignment(revcol::RevisedAmount, Qt::AlignRight | Qt::AlignVCenter);
    for (int column = 0; column < 7; ++column) {
        if (kWidths[column] == 0)
            list->setColumnHidden(column, true);
        else
            list->setColumnWidth(column, toPixels(list, kWidths[column]));
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
    item->setTextAlignment(revcol::RevisedAmount, Qt::AlignRight | Qt::AlignVCenter);
    list->addTopLevelItem(item);
    return item;
}
