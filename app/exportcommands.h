#pragma once

#include <QDate>
#include <QString>

#include <memory>

namespace data {
class Connection;
using ConnectionPtr = std::shared_ptr<Connection>;
} // namespace data

// The host program's exports, run without a window. Each returns the program's exit status
// (0 written; 2 nothing to export; 1 failed on the way) and, unless 0, says why in `error`.

// The register's rows, as its window lists them for the company on the process date, by date
// then number, to FILE.xlsx or FILE.csv.
int exportRegister(const data::ConnectionPtr& connection, qint16 company, const QDate& processDate,
                   const QString& file, QString& error);

// The report of the company's job change named by its id or by its number as the register
// shows it ("JC39"), to a PDF.
int exportJobChangePdf(data::Connection& connection, qint16 company, qint16 user,
                       const QString& jobChange, const QString& file, QString& error);
