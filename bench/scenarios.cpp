#include "bench/scenarios.h"

#include "bench/generate.h"
#include "cancel/frmcancel.h"
#include "component/basgrade.h"
#include "data/tablenames.h"
#include "entry/frmgrade.h"
#include "register/frmmaster.h"
#include "shared/revisionlist.h"
#include "ui/flexgrid.h"
#include "ui/messages.h"
#include "ui/modal.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTest>
#include <QTreeWidget>
#include <cmath>

namespace bench {

namespace {

constexpr int kColumnNumber = 1;
constexpr int kColumnName = 3;
constexpr int kLinesPerKind = 10;
const QString kTitle = QStringLiteral("Payroll");

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

qint64 jobChangeCount(const Installation& installation) {
    return installation.db()
        .open(QStringLiteral("select count(*) from ") + BasGrade().tables.pEmployeegradeChange)
        .field(0)
        .toLongLong();
}

class LoggingMessages {
public:
    ui::MsgAnswer logged(const QString&, const QString& text, ui::MsgIcon, ui::MsgButtons buttons) {
        shown << text;
        return buttons == ui::MsgButtons::YesNo ? ui::MsgAnswer::Yes : ui::MsgAnswer::Ok;
    }
    QStringList shown;
};

LoggingMessages& loggingMessages() {
    static LoggingMessages service;
    return service;
}

QString roundedText(double value) {
    return QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
}

// Stands in for the clerk in the entry window that New opens: fills it in and clicks Ok.
class EntryClerk : public ui::ModalDisplay {
public:
    EntryClerk(const RawJobChange& change, const std::array<QMap<int, QString>, 2>& typeNames)
        : change_(change), typeNames_(typeNames) {}

    int exec(QDialog& dialog) override {
        auto* form = qobject_cast<frmGrade*>(&dialog);
        if (!form) {
            problem = QStringLiteral("an unexpected window opened: ") + dialog.objectName();
            return QDialog::Rejected;
        }
        if (!fillIn(*form))
            return QDialog::Rejected;
        QElapsedTimer timer;
        timer.start();
        form->cmdOK->click();
        elapsed = elapsedMs(timer);
        return form->result();
    }

    QString problem;
    double elapsed = 0.0;

private:
    bool fillIn(frmGrade& form) {
        const int employee = form.cboEmployee->findData(change_.employee);
        if (employee < 0) {
            problem = QStringLiteral("employee %1 is not offered").arg(change_.employee);
            return false;
        }
        form.cboEmployee->setCurrentIndex(employee);
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(change_.newDesignation));
        form.txtNewbasic->setText(roundedText(change_.newBasic));
        form.txtRemarks->setText(change_.remarks);
        for (size_t kind = 0; kind < 2; ++kind) {
            QTreeWidget* list = form.list(kind == 0 ? LineKind::Allowance : LineKind::Deduction);
            // The carried-over lines are already listed: revise their amounts.
            for (const RawLine& line : change_.lines[kind]) {
                if (line.letter != 'O')
                    continue;
                for (int i = 0; i < list->topLevelItemCount(); ++i) {
                    QTreeWidgetItem* row = list->topLevelItem(i);
                    if (row->text(revcol::TypeId).toInt() == line.type)
                        row->setText(revcol::RevisedAmount, roundedText(line.revisedAmount));
                }
            }
            for (const RawLine& line : change_.lines[kind]) {
                if (line.letter == 'N')
                    addRevisionRow(list, typeNames_[kind].value(line.type),
                                   roundedText(line.revisedAmount), QString::number(line.type),
                                   QStringLiteral("N"), QStringLiteral("0.00"), QString(), true);
            }
            if (list->topLevelItemCount() != kLinesPerKind) {
                problem = QStringLiteral("the list holds %1 lines").arg(list->topLevelItemCount());
                return false;
            }
        }
        return true;
    }

    const RawJobChange& change_;
    const std::array<QMap<int, QString>, 2>& typeNames_;
};

class ModalScope {
public:
    explicit ModalScope(ui::ModalDisplay* display) { ui::setModalDisplay(display); }
    ~ModalScope() { ui::setModalDisplay(nullptr); }
};

} // namespace

// ---------------------------------------------------------------- Installation

Installation::Installation(const QString& file, const QDate& processDate)
    : file_(file), processDate_(processDate), connection_(std::make_shared<data::Connection>()) {
    connection_->openSqlite(file);
    data::ResolveTableNames(*connection_, tables_);
}

Installation::Installation(data::ConnectionPtr connection, const QDate& processDate)
    : processDate_(processDate), connection_(std::move(connection)) {
    data::ResolveTableNames(*connection_, tables_);
}

void Installation::enter() const {
    CallerContext& context = BasGrade();
    context.intUserID = 1;
    context.intCompanyID = 1;
    context.Intinterfaceid = 0;
    context.MsgboxTitle = kTitle;
    context.adocon = connection_;
    context.ProcessDate = processDate_;
}

std::vector<qint32> Installation::employeesForNewJobChanges(int offset, int count) const {
    const data::ResolvedTableNames& t = tables_;
    const QString sql =
        QStringLiteral("select eEmpID from ") + t.pemployee +
        QStringLiteral(
            " e where eCompanyID = 1 and eActive = 1 and eEmpID % 3 = ? and eEmpID <> ") +
        // The long history stays as long in a database measured again.
        QString::number(kLongHistoryEmployee) + QStringLiteral(" and (select count(*) from ") +
        t.pempallowances +
        QStringLiteral(" where eacompanyid = 1 and eaempid = eEmpID) <= ? and (select count(*) "
                       "from ") +
        t.pempdeductions +
        QStringLiteral(" where edcompanyid = 1 and edempid = eEmpID) <= ? and not exists "
                       "(select 1 from ") +
        t.pEmployeegradeChange +
        QStringLiteral(" where egcCompanyID = 1 and egcEmpID = eEmpID and egcCancelled = 0 and "
                       "egcDate > ?) order by eEmpID limit ?");
    std::vector<qint32> employees;
    for (data::Recordset rs =
             connection_->open(sql, {offset, kLinesPerKind, kLinesPerKind, processDate_, count});
         !rs.eof(); rs.moveNext())
        employees.push_back(rs.field(0).toInt());
    return employees;
}

std::vector<qint32> Installation::latestJobChanges(int offset, int count) const {
    const data::ResolvedTableNames& t = tables_;
    const QString gc = t.pEmployeegradeChange;
    std::vector<qint32> ids;
    for (data::Recordset rs = connection_->open(
             QStringLiteral("select egcId from ") + gc +
                 QStringLiteral(" g where egcCompanyID = 1 and egcCancelled = 0 and egcEmpID % 3 "
                                "= ? and not exists (select 1 from ") +
                 gc +
                 QStringLiteral(" h where h.egcCompanyID = 1 and h.egcEmpID = g.egcEmpID and "
                                "h.egcId > g.egcId) order by egcId desc limit ?"),
             {offset, count});
         !rs.eof(); rs.moveNext())
        ids.push_back(rs.field(0).toInt());
    return ids;
}

RawJobChange Installation::newJobChange(qint32 employee) const {
    const data::ResolvedTableNames& t = tables_;
    RawJobChange change;
    change.employee = employee;
    change.date = processDate_;
    change.remarks = QStringLiteral("Benchmark");
    data::Recordset master =
        connection_->open(QStringLiteral("select eDesigID, eBasic, dGradeID from ") + t.pemployee +
                              QStringLiteral(", ") + t.pDesignation +
                              QStringLiteral(" where eCompanyID = 1 and eEmpID = ? and "
                                             "dCompanyID = 1 and dDesigID = eDesigID"),
                          {employee});
    change.oldDesignation = master.field(0).toInt();
    change.oldBasic = master.field(1).toDouble();
    // The first designation of the next grade up (from the top grade, of the lowest).
    const int grade = master.field(2).toInt();
    change.newDesignation = (grade % 6) * 4 + 1;
    change.newBasic = std::round(change.oldBasic * 110.0) / 100.0;

    const std::array<QString, 2> standing{
        QStringLiteral("select eaallowanceid, eaamount from ") + t.pempallowances +
            QStringLiteral(" where eacompanyid = 1 and eaempid = ? order by eadetailid"),
        QStringLiteral("select eddeductionid, edamount from ") + t.pempdeductions +
            QStringLiteral(" where edcompanyid = 1 and edempid = ? order by eddetailid")};
    for (size_t kind = 0; kind < 2; ++kind) {
        auto& lines = change.lines[kind];
        QSet<int> held;
        for (data::Recordset rs = connection_->open(standing[kind], {employee}); !rs.eof();
             rs.moveNext()) {
            const double amount = rs.field(1).toDouble();
            lines.push_back(
                {rs.field(0).toInt(), amount, std::round(amount * 105.0) / 100.0, 'O', true});
            held.insert(rs.field(0).toInt());
        }
        for (int type = 1; static_cast<int>(lines.size()) < kLinesPerKind; ++type) {
            if (!held.contains(type))
                lines.push_back({type, 0.0, 1000.0 + 100.0 * type, 'N', true});
        }
    }
    return change;
}

// ---------------------------------------------------------------- MessageLog

MessageLog::MessageLog() {
    ui::setMessageHandler(
        [](const QString& title, const QString& text, ui::MsgIcon icon, ui::MsgButtons buttons) {
            return loggingMessages().logged(title, text, icon, buttons);
        });
}

MessageLog::~MessageLog() {
    ui::setMessageHandler({});
}

QStringList MessageLog::take() {
    QStringList shown;
    std::swap(shown, loggingMessages().shown);
    return shown;
}

// ---------------------------------------------------------------- scenarios

std::unique_ptr<FrmMaster> loadRegister(const Installation& installation) {
    installation.enter();
    auto frm = std::make_unique<FrmMaster>();
    frm->Form_Load();
    frm->completeLoad();
    return frm;
}

int registerRow(FrmMaster& frm, qint32 jobChangeId) {
    const QString id = QString::number(jobChangeId);
    for (int row = 1; row < frm.flexMaster->rows(); ++row) {
        if (frm.flexMaster->textMatrix(row, 0) == id)
            return row;
    }
    return 0;
}

std::optional<double> timeSearch(FrmMaster& frm, const QString& before, const QChar key,
                                 QString& problem) {
    frm.cboSearch->setCurrentIndex(frm.cboSearch->findData(kColumnName));
    frm.txtsearch->setText(before);
    frm.GridSearch();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    // The key's release searches; the grid then repaints.
    QTest::keyClick(frm.txtsearch, key.toLatin1());
    QCoreApplication::processEvents();
    const double elapsed = elapsedMs(timer);
    const QString text = before + key;
    const QString found = frm.flexMaster->textMatrix(frm.flexMaster->row(), kColumnName);
    if (frm.txtsearch->text() != text || !found.startsWith(text, Qt::CaseInsensitive)) {
        problem = QStringLiteral("typing %1 selected %2").arg(frm.txtsearch->text(), found);
        return std::nullopt;
    }
    return elapsed;
}

std::optional<double> timeSort(FrmMaster& frm, QString& problem) {
    frm.optAscend->setChecked(true);
    {
        const QSignalBlocker block(frm.cboColNames);
        frm.cboColNames->setCurrentIndex(frm.cboColNames->findData(kColumnNumber));
    }
    frm.cboColNames_Click();
    {
        const QSignalBlocker block(frm.cboColNames);
        frm.cboColNames->setCurrentIndex(frm.cboColNames->findData(kColumnName));
    }
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    frm.cboColNames_Click();
    QCoreApplication::processEvents();
    const double elapsed = elapsedMs(timer);
    const ui::FlexGrid& grid = *frm.flexMaster;
    for (int row = 2; row < grid.rows(); ++row) {
        // The grid orders text upper-cased.
        if (grid.textMatrix(row - 1, kColumnName).toUpper() >
            grid.textMatrix(row, kColumnName).toUpper()) {
            problem = QStringLiteral("after the sort, row %1 is out of name order").arg(row);
            return std::nullopt;
        }
    }
    return elapsed;
}

std::optional<double> timeSave(FrmMaster& frm, const Installation& installation, qint32 employee,
                               QString& problem) {
    std::array<QMap<int, QString>, 2> typeNames;
    const CallerContext& context = BasGrade();
    const std::array<QString, 2> types{
        QStringLiteral("select aAllowanceID, aDescription from ") + context.tables.pallowances,
        QStringLiteral("select dDedID, dDescription from ") + context.tables.pdeductions};
    for (size_t kind = 0; kind < 2; ++kind)
        for (data::Recordset rs = installation.db().open(types[kind]); !rs.eof(); rs.moveNext())
            typeNames[kind].insert(rs.field(0).toInt(), rs.text(1));

    const RawJobChange change = installation.newJobChange(employee);
    const qint64 before = jobChangeCount(installation);
    const int rows = frm.flexMaster->rows();
    EntryClerk clerk(change, typeNames);
    {
        const ModalScope scope(&clerk);
        frm.cmdnew_Click();
    }
    if (!clerk.problem.isEmpty()) {
        problem = clerk.problem;
        return std::nullopt;
    }
    if (jobChangeCount(installation) != before + 1 || frm.flexMaster->rows() != rows + 1) {
        problem = QStringLiteral("the save stored nothing or left the register as it was");
        return std::nullopt;
    }
    const QString number = frm.flexMaster->textMatrix(frm.flexMaster->rows() - 1, kColumnNumber);
    if (!number.startsWith(QLatin1String(kPrefix))) {
        problem = QStringLiteral("the new job change is numbered %1").arg(number);
        return std::nullopt;
    }
    return clerk.elapsed;
}

std::optional<double> timeCancel(FrmMaster& frm, const Installation& installation,
                                 qint32 jobChangeId, QString& problem) {
    const int row = registerRow(frm, jobChangeId);
    if (row == 0) {
        problem = QStringLiteral("job change %1 is not listed").arg(jobChangeId);
        return std::nullopt;
    }
    frm.flexMaster->selectRowAcross(row);
    frmCancel form(frm.workspace(), jobChangeId, &frm);
    form.Form_Load();
    form.txtcanreason->setText(QStringLiteral("benchmark"));
    QElapsedTimer timer;
    timer.start();
    form.cmdOK->click();
    const double elapsed = elapsedMs(timer);
    const int cancelled = installation.db()
                              .open(QStringLiteral("select egcCancelled from ") +
                                        BasGrade().tables.pEmployeegradeChange +
                                        QStringLiteral(" where egcCompanyID = 1 and egcId = ?"),
                                    {jobChangeId})
                              .field(0)
                              .toInt();
    if (cancelled != 1) {
        problem = QStringLiteral("job change %1 was not cancelled").arg(jobChangeId);
        return std::nullopt;
    }
    return elapsed;
}

} // namespace bench
