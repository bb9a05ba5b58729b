#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>

namespace data {
class Connection;
}

namespace report {

class RenderedReport;
class ReportControl;

// Where a run sends the report.
using ReportSink = std::function<void(const RenderedReport& report, const ReportControl& control)>;

// What the program showing a report lends it: the database the report reads unless its data
// source names another, the title of the preview's message boxes, the preview that shows a run
// given no sink of its own, and what it shows while a report is read and laid out (the work is
// run inside it). The engine itself opens no window.
struct ReportHost {
    std::function<data::Connection&()> connection{};
    std::function<QString()> messageTitle{};
    ReportSink preview{};
    std::function<void(const std::function<void()>& work)> whileBusy{};
};

// The host of every control made without one; the module that opens reports installs it.
void setDefaultReportHost(ReportHost host);

// The register's report control: it takes window options, a title, a database log-on, a report
// file and indexed parameter fields, and shows the report when told to run. Each operation is
// known by the identifier it has on the control, and every call is written to calls() as
// "identifier=value" (parameter fields as "81[index]=..."), so what the control was given can be
// read back in order. The log-on names no password: the data source's settings hold any.
class ReportControl {
public:
    static constexpr int kReportFileName = 3;
    static constexpr int kWindowTitle = 8;
    static constexpr int kAction = 17;
    static constexpr int kWindowState = 67;
    static constexpr int kParameterFields = 81;
    static constexpr int kLogOnServer = 106;
    static constexpr int kMaximized = 2;

    // Where a run sends the report; by default the host's preview.
    using PreviewSink = ReportSink;

    // Without a host, the one the program installed as the default.
    explicit ReportControl(ReportHost host = {});
    ~ReportControl();
    ReportControl(const ReportControl&) = delete;
    ReportControl& operator=(const ReportControl&) = delete;

    void setWindowOption(int identifier, const QVariant& value);
    void setWindowTitle(const QString& title);
    void LogOnServer(const QString& driver, const QString& dataSource, const QString& database,
                     const QString& user);
    void setReportFileName(const QString& path);
    void setParameterFields(int index, const QString& field);
    // 1 runs the report: its data is read and it goes to the preview. The parameter fields
    // serve one run and are cleared after it, so a value is never carried into the next one.
    // Raises data::DbError for anything that stops the report, a run with nowhere to go among
    // them.
    void setAction(int value);

    QVariant windowOption(int identifier) const { return windowOptions_.value(identifier); }
    const QString& windowTitle() const { return windowTitle_; }
    const QString& reportFileName() const { return reportFileName_; }
    const QString& dataSource() const { return dataSource_; }
    const QString& logOnUser() const { return user_; }
    QString messageTitle() const;

    const QStringList& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

    void setPreviewSink(PreviewSink sink) { sink_ = std::move(sink); }

private:
    void record(int identifier, const QString& value);

    ReportHost host_;
    PreviewSink sink_;
    QMap<int, QVariant> windowOptions_;
    QString windowTitle_;
    QString driver_;
    QString dataSource_;
    QString database_;
    QString user_;
    QString reportFileName_;
    std::map<int, QString> parameterFields_;
    QStringList calls_;
};

} // namespace report
