#include "exportcommands.h"

#include "data/connection.h"
#include "export/tablewriter.h"
#include "jobchange/registerreads.h"
#include "register/registerexport.h"
#include "report/export.h"

#include <functional>
#include <optional>

namespace {

using tableexport::ExportColumnKind;
using tableexport::ExportRow;

constexpr int kExitFailed = 1;
constexpr int kExitNothing = 2;

const std::vector<ExportColumnKind>& kRegisterKinds = registerexport::columnKinds();

// The register's rows as its load selects them (the company's job changes of the last
// NoOfPreviousDays days, all when that is 0), by date then number, one at a time. Texts are as
// the grid shows them; the date and the cancelled flag are typed.
void loadRegisterRows(const jobchange::RegisterReads& service,
                      const std::function<void(const ExportRow&)>& take) {
    data::Recordset rs = service.registerRows(service.previousDays());
    QVariantList fields;
    for (; !rs.eof(); rs.moveNext()) {
        fields.clear();
        for (int c = 0; c < rs.fieldCount(); ++c)
            fields << rs.field(c);
        take(registerexport::typedRow(fields));
    }
}

// The titles the register's header row shows; a column the catalogue does not name has none.
QStringList registerTitles(const jobchange::RegisterReads& service) {
    QStringList titles = service.columnTitles().mid(0, qsizetype(kRegisterKinds.size()));
    while (titles.size() < static_cast<qsizetype>(kRegisterKinds.size()))
        titles << QString();
    return titles;
}

} // namespace

int exportRegister(const data::ConnectionPtr& connection, qint16 company, const QDate& processDate,
                   const QString& file, QString& error) {
    try {
        const jobchange::RegisterReads service(
            jobchange::Workspace::open(connection, company, 0, 0, processDate, QString()));
        const auto writer =
            tableexport::TableWriter::open(file, registerTitles(service), kRegisterKinds);
        loadRegisterRows(service, [&](const ExportRow& row) { writer->addRow(row); });
        writer->finish();
        return 0;
    } catch (const tableexport::ExportError& failure) {
        error = failure.message();
    } catch (const data::DbError& failure) {
        error = QStringLiteral("error %1: %2").arg(failure.number()).arg(failure.description());
    }
    return kExitFailed;
}

int exportJobChangePdf(data::Connection& connection, qint16 company, qint16 user,
                       const QString& jobChange, const QString& file, QString& error) {
    std::optional<qint32> id;
    try {
        const data::ConnectionPtr shared(&connection, [](data::Connection*) {});
        const jobchange::RegisterReads service(
            jobchange::Workspace::open(shared, company, user, 0, QDate(), QString()));
        id = service.findJobChange(jobChange);
    } catch (const data::DbError& failure) {
        error = QStringLiteral("error %1: %2").arg(failure.number()).arg(failure.description());
        return kExitFailed;
    }
    if (!id) {
        error = QStringLiteral("Company %1 has no job change with the id or number \"%2\".")
                    .arg(company)
                    .arg(jobChange);
        return kExitNothing;
    }
    const int status = report::exportJobChangePdf(connection, company, user, *id, file, error);
    if (status != 0 && error.isEmpty())
        error = QStringLiteral("job change %1 could not be exported").arg(jobChange);
    // 2: the company has no such job change; anything else failed on the way.
    return status == kExitNothing ? kExitNothing : status == 0 ? 0 : kExitFailed;
}
