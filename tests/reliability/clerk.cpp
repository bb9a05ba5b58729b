// quorvel-clerk: a payroll clerk at work, for the reliability tests. It opens the register the
// way a host does (clsGrade.Show) and, inside it, saves job changes through the real windows in
// a loop: New, pick an employee, choose the new job, type the basic, revise the lines, OK. With
// --mixed it also edits and cancels the latest job change it may touch.
//
// One line per operation on stdout, flushed at once, so a process killed at any moment has
// told everything it finished:
//   ready              (with --wait, then waits for a line on stdin before it starts)
//   committed <id> <number> <employee id> <retries>
//   reported <retries> <message>
//   edited <id> | cancelled <id> | skipped <why>
//   done

#include "cancel/frmcancel.h"
#include "component/basgrade.h"
#include "component/clsgrade.h"
#include "entry/frmgrade.h"
#include "lineeditor/revisionlist.h"
#include "register/frmmaster.h"
#include "ui/flexgrid.h"
#include "ui/messages.h"
#include "ui/modal.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

namespace {

void say(const QString& line) {
    std::fprintf(stdout, "%s\n", qPrintable(line.simplified()));
    std::fflush(stdout);
}

// Message boxes: questions are answered Yes, information is kept as what was reported.
class ClerkMessages : public ui::MessageService {
public:
    ui::MsgAnswer show(const QString&, const QString& text, ui::MsgIcon,
                       ui::MsgButtons buttons) override {
        if (buttons == ui::MsgButtons::YesNo)
            return ui::MsgAnswer::Yes;
        last = text;
        return ui::MsgAnswer::Ok;
    }
    QString last;
};

struct Options {
    QStringList source; // "--db FILE", "--odbc CONNSTR" or "--pg CONNSTR"
    int saves = 0;      // 0: until stopped
    quint32 seed = 1;
    bool mixed = false;
    bool wait = false; // after "ready", start only on a line from stdin
    qint32 floor = 0;  // edits and cancellations touch only job changes with a larger id
    QDate processDate{2026, 11, 30};
};

class Clerk : public ui::ModalDisplay {
public:
    Clerk(const Options& options, QStringList allowanceTypes)
        : options_(options), random_(options.seed), allowanceTypes_(std::move(allowanceTypes)) {
        ui::setMessageService(&messages_);
        ui::setModalDisplay(this);
    }
    ~Clerk() override {
        ui::setModalDisplay(nullptr);
        ui::setMessageService(nullptr);
    }
    Clerk(const Clerk&) = delete;
    Clerk& operator=(const Clerk&) = delete;

    int exec(QDialog& dialog) override {
        if (auto* master = qobject_cast<FrmMaster*>(&dialog)) {
            work(*master);
            return QDialog::Rejected;
        }
        if (step_)
            step_(dialog);
        return dialog.result();
    }

private:
    void work(FrmMaster& master) {
        say(QStringLiteral("ready"));
        if (options_.wait) {
            char line[16];
            if (!std::fgets(line, sizeof line, stdin))
                return;
        }
        for (int round = 0; options_.saves == 0 || round < options_.saves; ++round) {
            const quint32 dice = random_.bounded(100u);
            if (options_.mixed && dice < 15)
                editLatest(master);
            else if (options_.mixed && dice < 30)
                cancelLatest(master);
            else
                saveNew(master);
        }
        say(QStringLiteral("done"));
    }

    void saveNew(FrmMaster& master) {
        bool filled = false;
        bool saved = false;
        qint32 employee = 0;
        step_ = [&](QDialog& dialog) {
            auto& form = static_cast<frmGrade&>(dialog);
            filled = fillNew(form);
            if (!filled)
                return;
            employee = form.cboEmployee->currentData().toInt();
            messages_.last.clear();
            form.cmdOK->click();
            saved = form.result() == QDialog::Accepted;
            if (saved)
                say(QStringLiteral("committed %1 %2 %3 %4")
                        .arg(form.lngGradeID)
                        .arg(form.strGradeNo)
                        .arg(employee)
                        .arg(form.intSaveRetries));
            else
                say(QStringLiteral("reported %1 %2").arg(form.intSaveRetries).arg(messages_.last));
        };
        master.cmdnew_Click();
        step_ = nullptr;
        if (!filled)
            say(QStringLiteral("skipped no employee to move"));
    }

    // An employee with a known job, a different new job, a raise, and revised lines.
    bool fillNew(frmGrade& form) {
        for (int tries = 0; tries < 10 && form.cboEmployee->count() > 0; ++tries) {
            form.cboEmployee->setCurrentIndex(pick(form.cboEmployee->count()));
            if (form.cboOldGrade->currentIndex() >= 0 && form.cboNewgrade->count() > 1)
                break;
        }
        if (form.cboOldGrade->currentIndex() < 0 || form.cboNewgrade->count() < 2)
            return false;
        const QVariant oldJob = form.cboOldGrade->currentData();
        int job = pick(form.cboNewgrade->count());
        if (form.cboNewgrade->itemData(job) == oldJob)
            job = (job + 1) % form.cboNewgrade->count();
        form.cboNewgrade->setCurrentIndex(job);
        const double oldBasic = form.txtOldBasic->text().toDouble();
        form.txtNewbasic->setText(QString::number(oldBasic + 100 + pick(5000), 'f', 2));
        form.txtRemarks->setText(QStringLiteral("Moved by clerk %1").arg(options_.seed));
        reviseLines(form.lvwAllow, true);
        reviseLines(form.lvwDeduct, false);
        return true;
    }

    // Raises one line, sometimes drops one and, for allowances, sometimes adds a type not yet
    // there, as the line editor would leave the list.
    void reviseLines(QTreeWidget* list, bool mayAdd) {
        const int count = list->topLevelItemCount();
        if (count > 0) {
            QTreeWidgetItem* raised = list->topLevelItem(pick(count));
            const double amount = raised->text(revcol::RevisedAmount).toDouble() + 1 + pick(500);
            raised->setText(revcol::RevisedAmount, QString::number(amount, 'f', 2));
            raised->setCheckState(0, Qt::Checked);
            QTreeWidgetItem* dropped = list->topLevelItem(pick(count));
            if (dropped != raised && pick(4) == 0 &&
                dropped->text(revcol::Letter) == QLatin1String("O"))
                dropped->setCheckState(0, Qt::Unchecked);
        }
        if (!mayAdd || pick(3) != 0 || allowanceTypes_.isEmpty())
            return;
        const QString type = allowanceTypes_.at(pick(static_cast<int>(allowanceTypes_.size())));
        for (int i = 0; i < count; ++i)
            if (list->topLevelItem(i)->text(revcol::TypeId) == type.section('|', 0, 0))
                return;
        addRevisionRow(list, type.section('|', 1), QString::number(50 + pick(900), 'f', 2),
                       type.section('|', 0, 0), QStringLiteral("N"), QStringLiteral("0.00"), {},
                       true);
    }

    // The register row of the uncancelled job change with the highest id above the floor: the
    // latest of its employee, so the one that may still be edited or cancelled.
    int latestRow(FrmMaster& master) const {
        ui::FlexGrid* grid = master.flexMaster;
        int best = 0;
        qint64 bestId = options_.floor;
        for (int row = 1; row < grid->rows(); ++row) {
            const qint64 id = grid->textMatrix(row, 0).toLongLong();
            if (id > bestId && grid->textMatrix(row, 6) != QLatin1String("Yes")) {
                best = row;
                bestId = id;
            }
        }
        return best;
    }

    void editLatest(FrmMaster& master) {
        const int row = latestRow(master);
        if (row == 0)
            return say(QStringLiteral("skipped nothing to edit"));
        master.flexMaster->selectRowAcross(row);
        const QString id = master.flexMaster->textMatrix(row, 0);
        QString outcome = QStringLiteral("skipped edit not allowed");
        step_ = [&](QDialog& dialog) {
            auto& form = static_cast<frmGrade&>(dialog);
            if (!form.cmdOK->isEnabled())
                return;
            const double basic = form.txtNewbasic->text().toDouble();
            form.txtNewbasic->setText(QString::number(basic + 1 + pick(300), 'f', 2));
            reviseLines(form.lvwAllow, false);
            reviseLines(form.lvwDeduct, false);
            messages_.last.clear();
            form.cmdOK->click();
            outcome =
                form.result() == QDialog::Accepted
                    ? QStringLiteral("edited ") + id
                    : QStringLiteral("reported %1 %2").arg(form.intSaveRetries).arg(messages_.last);
        };
        master.CmdEdit_Click();
        step_ = nullptr;
        say(outcome);
    }

    void cancelLatest(FrmMaster& master) {
        const int row = latestRow(master);
        if (row == 0)
            return say(QStringLiteral("skipped nothing to cancel"));
        master.flexMaster->selectRowAcross(row);
        const QString id = master.flexMaster->textMatrix(row, 0);
        QString outcome = QStringLiteral("skipped cancellation refused: ");
        step_ = [&](QDialog& dialog) {
            auto& window = static_cast<frmCancel&>(dialog);
            window.txtcanreason->setText(
                QStringLiteral("withdrawn by clerk %1").arg(options_.seed));
            messages_.last.clear();
            window.cmdOK->click();
            outcome = window.result() == QDialog::Accepted
                          ? QStringLiteral("cancelled ") + id
                          : QStringLiteral("reported 0 ") + messages_.last;
        };
        messages_.last.clear();
        master.CmdDelete_Click();
        step_ = nullptr;
        if (outcome.startsWith(QLatin1String("skipped")))
            outcome += messages_.last;
        say(outcome);
    }

    int pick(int below) { return static_cast<int>(random_.bounded(static_cast<quint32>(below))); }

    Options options_;
    QRandomGenerator random_;
    QStringList allowanceTypes_; // "id|description"
    ClerkMessages messages_;
    std::function<void(QDialog&)> step_; // what to do in the next window the register opens
};

bool parse(const QStringList& arguments, Options& options, QString& error) {
    QCommandLineParser parser;
    const QCommandLineOption db(QStringLiteral("db"), {}, QStringLiteral("FILE"));
    const QCommandLineOption odbc(QStringLiteral("odbc"), {}, QStringLiteral("CONNSTR"));
    const QCommandLineOption pg(QStringLiteral("pg"), {}, QStringLiteral("CONNSTR"));
    const QCommandLineOption saves(QStringLiteral("saves"), {}, QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), {}, QStringLiteral("N"));
    const QCommandLineOption floor(QStringLiteral("floor"), {}, QStringLiteral("ID"));
    const QCommandLineOption mixed(QStringLiteral("mixed"));
    const QCommandLineOption wait(QStringLiteral("wait"));
    parser.addOptions({db, odbc, pg, saves, seed, floor, mixed, wait});
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    for (const QCommandLineOption& source : {db, odbc, pg})
        if (parser.isSet(source))
            options.source = {source.names().first(), parser.value(source)};
    if (options.source.isEmpty()) {
        error = QStringLiteral("give --db FILE, --odbc CONNSTR or --pg CONNSTR");
        return false;
    }
    options.saves = parser.value(saves).toInt();
    options.seed = parser.value(seed).toUInt();
    options.floor = parser.value(floor).toInt();
    options.mixed = parser.isSet(mixed);
    options.wait = parser.isSet(wait);
    return true;
}

data::ConnectionPtr open(const Options& options) {
    auto connection = std::make_shared<data::Connection>();
    const QString& kind = options.source.at(0);
    if (kind == QLatin1String("db"))
        connection->openSqlite(options.source.at(1));
    else if (kind == QLatin1String("odbc"))
        connection->openOdbc(options.source.at(1));
    else
        connection->openPostgres(options.source.at(1));
    return connection;
}

QStringList allowanceTypes(data::Connection& connection, qint16 company) {
    QStringList types;
    data::Recordset rs = connection.open(
        QStringLiteral("select aAllowanceID, aDescription from ") + BasGrade().tables.pallowances +
        QStringLiteral(" where aActive = 1 and aCompanyID = ") + QString::number(company));
    for (; !rs.eof(); rs.moveNext())
        types << rs.text(0) + QLatin1Char('|') + rs.text(1);
    return types;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options options;
    QString error;
    if (!parse(QApplication::arguments(), options, error)) {
        std::fprintf(stderr, "quorvel-clerk: %s\n", qPrintable(error));
        return 2;
    }
    try {
        clsGrade grade;
        grade.setAdocon(open(options));
        grade.intCompanyID = 1;
        grade.intUserID = 1;
        grade.Intinterfaceid = 91004;
        grade.ProcessDate = options.processDate;
        grade.MsgboxTitle = QStringLiteral("Payroll");
        BasGrade().adocon = grade.adocon();
        data::ResolveTableNames(*grade.adocon(), BasGrade().tables);
        Clerk clerk(options, allowanceTypes(*grade.adocon(), grade.intCompanyID));
        grade.Show();
    } catch (const data::DbError& dbError) {
        std::fprintf(stderr, "quorvel-clerk: %s\n", qPrintable(dbError.description()));
        return 1;
    }
    return 0;
}
