#pragma once

#include <QString>
#include <QStringList>

namespace bench {

struct BulkFigures {
    int employees = 0;
    double previewMs = 0; // the eligible employees read and the preview computed
    double importMs = 0;  // the same revision read from a workbook and previewed
    double applyMs = 0;   // the batch saved through the service
    double floorMs = 0;   // the same rows written straight through SQLite
    QStringList problems;
};

// A company of `employees` eligible employees with five allowance and five deduction lines
// each, in a new SQLite file in dir; an annual increment previewed and applied, and the same
// job changes written raw into a copy taken before. The preview's new amounts are also written
// to a workbook, one row an employee, which is imported and previewed. With a server connection
// string the company is generated in a database of its own on that PostgreSQL server instead,
// and the floor goes through libpq.
BulkFigures measureBulk(const QString& dir, int employees, const QString& serverConnection = {});

} // namespace bench
