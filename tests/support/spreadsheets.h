#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

// Reading back what an export wrote: the first worksheet of an .xlsx workbook (through the
// unzip program) and RFC 4180 CSV.

struct XlsxCell {
    QString type;   // the t attribute: "" for a number, "inlineStr", "b", ...
    QString value;  // the number as written, or the text
    QString format; // the number format code of its style ("" for General)
    bool bold = false;
};

struct XlsxSheet {
    QString error;                 // why it could not be read; empty when it was
    QMap<QString, XlsxCell> cells; // by reference, "B2"
    int lastRow = 0;

    // row from 1, col from 0; null when the cell is absent.
    const XlsxCell* at(int row, int col) const;
};

XlsxSheet readXlsxSheet(const QString& path);

// One record per line of the file, each a list of fields; throws nothing, but a malformed
// file gives a record with the field "<malformed>".
std::vector<QStringList> parseCsv(const QByteArray& utf8);
