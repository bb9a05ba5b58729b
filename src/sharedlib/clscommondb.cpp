#include "sharedlib/clscommondb.h"

#include <QComboBox>
#include <QTreeWidget>

data::Connection& clsCommonDB::connection() const {
    if (!adocon)
        throw data::DbError::connectionClosed(QStringLiteral("clsCommonDB"));
    return *adocon;
}

QVariant clsCommonDB::fnReturnField(const QString& field, const QString& criterion) {
    data::Recordset rs =
        connection().open(QStringLiteral("select ") + field + QStringLiteral(" from ") +
                          strTablename + QStringLiteral(" where ") + criterion);
    if (rs.eof())
        return {};
    return rs.field(0);
}

qint64 clsCommonDB::fnGetNextMaxNo(const QString& field) {
    data::Recordset rs = connection().open(QStringLiteral("select max(") + field +
                                           QStringLiteral(") from ") + strTablename);
    if (rs.eof() || rs.isNull(0))
        return 1;
    return rs.field(0).toLongLong() + 1;
}

void clsCommonDB::populateComboorList(QComboBox* combo, const QString& valueField,
                                      const QString& textField, const QString& criterion) {
    QString sql = QStringLiteral("select ") + valueField + QStringLiteral(", ") + textField +
                  QStringLiteral(" from ") + strTablename;
    if (!criterion.isEmpty())
        sql += QStringLiteral(" where ") + criterion;
    data::Recordset rs = connection().open(sql);
    const QSignalBlocker blocker(combo);
    combo->clear();
    while (!rs.eof()) {
        combo->addItem(rs.text(1), rs.field(0).toLongLong());
        rs.moveNext();
    }
    combo->setCurrentIndex(-1);
}

void clsCommonDB::fnInsertListview(QTreeWidget* list, int reserved, int serial,
                                   const QString& value1, const QString& value2,
                                   const QString& value3, const QString& value4,
                                   const QString& value5, QString& value6) {
    Q_UNUSED(reserved);
    auto* item = new QTreeWidgetItem(
        QStringList{QString::number(serial), value1, value2, value3, value4, value5, value6});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    for (int column = 0; column < list->columnCount(); ++column)
        item->setTextAlignment(column, Qt::Alignment(list->headerItem()->textAlignment(column)));
    list->addTopLevelItem(item);
}

bool clsCommonDB::fnDeleteListview(bool reserved, QTreeWidget* list, bool rowsRemain) {
    Q_UNUSED(reserved);
    Q_UNUSED(rowsRemain);
    QTreeWidgetItem* selected = list->currentItem();
    if (!selected)
        return false;
    delete list->takeTopLevelItem(list->indexOfTopLevelItem(selected));
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setText(0, QString::number(i + 1));
    return true;
}
