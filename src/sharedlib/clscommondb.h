#pragma once

#include "data/connection.h"

#include <QObject>
#include <QString>
#include <QVariant>

class QComboBox;
class QTreeWidget;

// Database routines of the payroll suite's shared library.
class clsCommonDB : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    data::ConnectionPtr adocon;
    // What follows "from": a table, a list of tables, or a join that carries its own where.
    QString strTablename;

    // The field of the first row of "select field from strTablename where criterion"; null
    // when no row matches.
    QVariant fnReturnField(const QString& field, const QString& criterion);
    // The largest value of the field among the rows strTablename selects, plus one.
    qint64 fnGetNextMaxNo(const QString& field);
    // Fills the combo with one entry per row: text from textField, item data from valueField.
    // Leaves no entry selected.
    void populateComboorList(QComboBox* combo, const QString& valueField, const QString& textField,
                             const QString& criterion = {});
    // Appends a row: text = serial number, columns 1 to 6 the six values; the row can be
    // checked and starts unchecked.
    void fnInsertListview(QTreeWidget* list, int reserved, int serial, const QString& value1,
                          const QString& value2, const QString& value3, const QString& value4,
                          const QString& value5, QString& value6);
    // Removes the selected row and numbers the rest 1 to n.
    bool fnDeleteListview(bool reserved, QTreeWidget* list, bool rowsRemain);

private:
    data::Connection& connection() const;
};
