#pragma once

#include <QString>

namespace data {
class Connection;
}

namespace report {

// Writes the job change report of job change `id` of the company to a PDF file without any
// window, with the user's name in its footer. Returns 0 when written; 2 when the company has no
// such job change; 1 for any other failure. `error` then says why.
int exportJobChangePdf(data::Connection& connection, qint16 company, qint16 user, qint32 id,
                       const QString& outFile, QString& error);

} // namespace report
