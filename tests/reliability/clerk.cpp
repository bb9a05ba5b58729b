// quorvel-clerk --db FILE|--odbc CONNSTR|--pg CONNSTR [--saves N] [--seed N] [--wait]
//               [--share I/N] [--race EMPLOYEE] [--employees ID,ID,...] [--mixed]
//               [--cancel [--above ID]]:
// saves job changes through the register's windows in a loop, saying one flushed line per outcome.
// --share I/N: only employees whose id leaves I divided by N. --race: always that employee, and
// each Ok pressed only on a line from stdin, after saying "armed" with the window filled in.
// --employees: only these. --mixed: edits or cancels some just saved. --cancel: instead of
// saving, cancels the latest job change of one of the employees (numbered above --above ID),
// through Delete.

#include "cancel/frmcancel.h"
#include "component/clsgrade.h"
#include "entry/frmgrade.h"
#include "register/frmmaster.h"
#include "shared/revisionlist.h"
#include "ui/flexgrid.h"
#include "ui/messages.h"
#include "ui/modal.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <cstdio>

namespace {

class Clerk : public ui::ModalDisplay {
public:
    explicit Clerk(QStringList arguments)
        : arguments_(std::move(arguments)), random_(option("--seed").toUInt()) {}

    QString option(const char* name) const {
        const qsizetype at = arguments_.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < arguments_.size() ? arguments_.at(at + 1) : QString();
    }

    // Questions are answered Yes; anything else was reported.
    ui::MsgAnswer showMessage(const QString&, const QString& text, ui::MsgIcon,
                              ui::MsgButtons buttons) {
        if (buttons == ui::MsgButtons::YesNo)
            return ui::MsgAnswer::Yes;
        last_ = text;
        return ui::MsgAnswer::Ok;
    }

    int exec(QDialog& dialog) override {
        if (auto* master = qobject_cast<FrmMaster*>(&dialog)) {
            work(*master);
        } else if (auto* form = qobject_cast<frmGrade*>(&dialog)) {
            enter(*form);
        } else if (auto* window = qobject_cast<frmCancel*>(&dialog)) {
            window->txtcanreason->setText(QStringLiteral("withdrawn by a clerk"));
            window->cmdOK->click();
            said_ = outcome(*window, QStringLiteral("cancelled"), 0);
        }
        return dialog.result();
    }

private:
    void work(FrmMaster& master) {
        say(QStringLiteral("ready"));
        char line[16];
        if (arguments_.contains(QLatin1String("--wait")) && !std::fgets(line, sizeof line, stdin))
            return;
        const bool mixed = arguments_.contains(QLatin1String("--mixed"));
        const bool cancelling = arguments_.contains(QLatin1String("--cancel"));
        for (int round = 0, saves = option("--saves").toInt(); saves == 0 || round < saves;
             ++round) {
            if (cancelling) {
                cancelLatest(master);
                continue;
            }
            run(master, &FrmMaster::cmdnew_Click);
            // The new job change, selected, is its employee's latest.
            const int dice = pick(100);
            editing_ = dice < 15;
            if (mixed && dice < 30 && said_.startsWith(QLatin1String("committed")))
                run(master, editing_ ? &FrmMaster::CmdEdit_Click : &FrmMaster::CmdDelete_Click);
            editing_ = false;
        }
        say(QStringLiteral("done"));
    }

    // The latest uncancelled job change of one of the employees, selected in the register read
    // afresh, cancelled through Delete.
    void cancelLatest(FrmMaster& master) {
        const QStringList employees = option("--employees").split(QLatin1Char(','));
        const jobchange::Workspace& ws = *master.workspace();
        const qint64 id =
            ws.db()
                .open(QStringLiteral("select max(egcId) from ") + ws.tables.pEmployeegradeChange +
                          QStringLiteral(" where egcCompanyID = 1 and egcCancelled = 0 and "
                                         "egcEmpID = ? and egcId > ?"),
                      {employees.at(pick(int(employees.size()))).toInt(),
                       option("--above").toLongLong()})
                .field(0)
                .toLongLong();
        master.GridPopulate();
        master.completeLoad();
        for (int row = 1; row < master.flexMaster->rows(); ++row)
            if (master.flexMaster->textMatrix(row, 0).toLongLong() == id && id > 0) {
                master.flexMaster->selectRowAcross(row);
                run(master, &FrmMaster::CmdDelete_Click);
                return;
            }
        say(QStringLiteral("skipped"));
    }

    static void say(const QString& line) {
        std::printf("%s\n", qPrintable(line.simplified()));
        std::fflush(stdout);
    }
    // Runs a command of the register and says what came of the window it opened.
    void run(FrmMaster& master, void (FrmMaster::*command)()) {
        said_ = QStringLiteral("skipped");
        last_.clear();
        (master.*command)();
        say(said_);
    }
    QString outcome(const QDialog& dialog, const QString& done, int retries) const {
        return dialog.result() == QDialog::Accepted
                   ? done
                   : QStringLiteral("reported %1 %2").arg(retries).arg(last_);
    }

    // New: an employee with a known job, another job; then a raise and revised lines.
    void enter(frmGrade& form) {
        if (editing_) {
            form.txtNewbasic->setText(
                QString::number(form.txtNewbasic->text().toDouble() + 1 + pick(100), 'f', 2));
            revise(form.lvwAllow, false);
            form.cmdOK->click();
            said_ = outcome(form, QStringLiteral("edited"), form.intSaveRetries);
            return;
        }
        for (int tries = 0;
             option("--employees").isEmpty() && tries < 100 && form.cboEmployee->count() > 0;
             ++tries) {
            form.cboEmployee->setCurrentIndex(pick(form.cboEmployee->count()));
            if (form.cboOldGrade->currentIndex() >= 0 && form.cboNewgrade->count() > 1 &&
                mine(form.cboEmployee->currentData().toInt()))
                break;
        }
        QString chosen = option("--race");
        if (const QStringList few = option("--employees").split(QLatin1Char(','));
            !option("--employees").isEmpty())
            chosen = few.at(pick(int(few.size())));
        const int racer = form.cboEmployee->findData(chosen.toLongLong());
        if (racer >= 0)
            form.cboEmployee->setCurrentIndex(racer);
        if (form.cboOldGrade->currentIndex() < 0 || form.cboNewgrade->count() < 2 ||
            !mine(form.cboEmployee->currentData().toInt()))
            return;
        int job = pick(form.cboNewgrade->count());
        if (form.cboNewgrade->itemData(job) == form.cboOldGrade->currentData())
            job = (job + 1) % form.cboNewgrade->count();
        form.cboNewgrade->setCurrentIndex(job);
        form.txtNewbasic->setText(form.txtOldBasic->text());
        form.txtRemarks->setText(QStringLiteral("Moved by a clerk"));
        const double basic = form.txtNewbasic->text().toDouble() + 1 + pick(300);
        form.txtNewbasic->setText(QString::number(basic, 'f', 2));
        revise(form.lvwAllow, true);
        revise(form.lvwDeduct, false);
        char line[16];
        if (!option("--race").isEmpty() &&
            (say(QStringLiteral("armed")), !std::fgets(line, sizeof line, stdin)))
            return;
        form.cmdOK->click();
        said_ = outcome(form,
                        QStringLiteral("committed %1 %2 %3")
                            .arg(form.saved() ? form.saved()->id : 0)
                            .arg(form.saved() ? form.saved()->number : QString())
                            .arg(form.intSaveRetries),
                        form.intSaveRetries);
    }

    // Raises a line, sometimes drops a kept one or adds one of the demo's allowance types 1-6.
    void revise(QTreeWidget* list, bool mayAdd) {
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
        const QString type = QString::number(1 + pick(6));
        if (mayAdd && pick(3) == 0 &&
            list->findItems(type, Qt::MatchExactly, revcol::TypeId).isEmpty())
            addRevisionRow(list, QStringLiteral("Added"), QString::number(50 + pick(900), 'f', 2),
                           type, QStringLiteral("N"), QStringLiteral("0.00"), {}, true);
    }

    bool mine(int employeeId) const {
        const QString share = option("--share");
        const QString only = option("--employees");
        return (share.isEmpty() ||
                employeeId % share.section('/', 1).toInt() == share.section('/', 0, 0).toInt()) &&
               (only.isEmpty() ||
                only.split(QLatin1Char(',')).contains(QString::number(employeeId)));
    }

    int pick(int below) { return static_cast<int>(random_.bounded(static_cast<quint32>(below))); }

    QStringList arguments_;
    QRandomGenerator random_;
    bool editing_ = false;
    QString last_, said_;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Clerk clerk(QApplication::arguments());
    ui::setMessageHandler(
        [&clerk](const QString& title, const QString& text, ui::MsgIcon icon,
                 ui::MsgButtons buttons) { return clerk.showMessage(title, text, icon, buttons); });
    ui::setModalDisplay(&clerk);
    try {
        auto connection = std::make_shared<data::Connection>();
        if (!clerk.option("--db").isEmpty())
            connection->openSqlite(clerk.option("--db"));
        else if (!clerk.option("--odbc").isEmpty())
            connection->openOdbc(clerk.option("--odbc"));
        else
            connection->openPostgres(clerk.option("--pg"));
        clsGrade grade;
        grade.setAdocon(connection);
        grade.intCompanyID = grade.intUserID = 1;
        grade.Intinterfaceid = 91004;
        grade.ProcessDate = QDate(2026, 11, 30);
        grade.MsgboxTitle = QStringLiteral("Payroll");
        grade.Show();
    } catch (const data::DbError& error) {
        std::fprintf(stderr, "quorvel-clerk: %s\n", qPrintable(error.description()));
        return 1;
    }
    return 0;
}
