#include "report/reportcontrol.h"

#include "data/connection.h"
#include "report/datasources.h"
#include "report/engine.h"
#include "report/reportfile.h"

#include <memory>
#include <optional>

namespace report {

namespace {

ReportHost& defaultHost() {
    static ReportHost host;
    return host;
}

} // namespace

void setDefaultReportHost(ReportHost host) {
    defaultHost() = std::move(host);
}

ReportControl::ReportControl(ReportHost host) : host_(std::move(host)) {
    if (!host_.connection)
        host_.connection = defaultHost().connection;
    if (!host_.messageTitle)
        host_.messageTitle = defaultHost().messageTitle;
    if (!host_.preview)
        host_.preview = defaultHost().preview;
    if (!host_.whileBusy)
        host_.whileBusy = defaultHost().whileBusy;
}

QString ReportControl::messageTitle() const {
    return host_.messageTitle ? host_.messageTitle() : QString();
}

ReportControl::~ReportControl() = default;

void ReportControl::record(int identifier, const QString& value) {
    calls_ << QString::number(identifier) + QLatin1Char('=') + value;
}

void ReportControl::setWindowOption(int identifier, const QVariant& value) {
    windowOptions_.insert(identifier, value);
    record(identifier, value.toString());
}

void ReportControl::setWindowTitle(const QString& title) {
    windowTitle_ = title;
    record(kWindowTitle, title);
}

void ReportControl::LogOnServer(const QString& driver, const QString& dataSource,
                                const QString& database, const QString& user) {
    driver_ = driver;
    dataSource_ = dataSource;
    database_ = database;
    user_ = user;
    record(kLogOnServer, QStringList{driver, dataSource, database, user}.join(QLatin1Char(',')));
}

void ReportControl::setReportFileName(const QString& path) {
    reportFileName_ = path;
    record(kReportFileName, path);
}

void ReportControl::setParameterFields(int index, const QString& field) {
    parameterFields_[index] = field;
    calls_ << QStringLiteral("%1[%2]=%3").arg(kParameterFields).arg(index).arg(field);
}

void ReportControl::setAction(int value) {
    record(kAction, QString::number(value));
    if (value != 1)
        return;
    std::map<int, QString> fields;
    fields.swap(parameterFields_);
    std::vector<ParameterField> parsed;
    for (const auto& [index, text] : fields)
        parsed.push_back(parseParameterField(text));

    const ReportSink& sink = sink_ ? sink_ : host_.preview;
    if (!sink)
        throw data::DbError(data::kErrGeneric, QStringLiteral("ReportControl"),
                            QStringLiteral("There is no preview to show the report in."));
    std::optional<RenderedReport> rendered;
    const auto render = [&] {
        const ReportFile file = ReportFile::load(reportFileName_);
        std::unique_ptr<data::Connection> own;
        if (const std::optional<DataSource> source = findDataSource(dataSource_))
            own = openDataSource(dataSource_, *source);
        else if (!host_.connection)
            throw data::DbError::connectionClosed(QStringLiteral("ReportControl"));
        rendered = renderReport(file, own ? *own : host_.connection(), parsed);
    };
    if (host_.whileBusy)
        host_.whileBusy(render);
    else
        render();
    sink(*rendered, *this);
}

} // namespace report
