#include "entry/frmgrade.h"
#include "register/frmmaster.h"
#include "support/check.h"
#include "support/context.h"
#include "support/scripted.h"
#include "support/spreadsheets.h"
#include "support/testdb.h"
#include "support/widgets.h"
#include "ui/flexgrid.h"
#include "ui/savefile.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <functional>
#include <gmock/gmock.h>

namespace {

using ::testing::UnorderedElementsAre;

// A company with two grades and a designation of each.
class Company {
public:
    explicit Company(const TestDatabase& db, int id = 7) : db_(db), id_(id) {
        insert("pGrades", 1, id, "'Junior'");
        insert("pGrades", 2, id, "'Senior'");
        insert("pDesignation", 1, id, 1, "'Clerk'", 1);
        insert("pDesignation", 2, id, 2, "'Accountant'", 1);
    }

    // A row of the values, in the table's column order.
    template <typename... V> void insert(const char* table, const V&... values) const {
        db_.insert(table, {QStringList{QVariant(values).toString()...}.join(", ")});
    }
    static QString q(const QString& text) { return "'" + text + "'"; }

    int employee(const QString& name) {
        const int n = ++employees_;
        insert("pemployee", id_, n, q("E" + QString::number(n)), q(name), 2, 2, 1000, 1, 1);
        return n;
    }
    // A job change from Junior Clerk to Senior Accountant.
    void jobChange(int id, const QString& number, const QString& date, int employee,
                   bool cancelled = false) const {
        insert("pEmployeegradeChange", id, id_, q(number), q(date), employee, 1, 1, 900, 2, 2, 1000,
               "null", int(cancelled), "null");
    }
    void rights(int user, const QString& letters, int interfaceId = 91004) const {
        insert("puserrights", user, interfaceId, q(letters));
    }

    // The register loaded for the user, as clsGrade opens it, handed to inspect.
    void withRegister(const std::function<void(FrmMaster&)>& inspect, qint16 user = 1) const {
        useContext(db_, static_cast<qint16>(id_), user, QDate(2003, 3, 15));
        FrmMaster form;
        form.Form_Load();
        inspect(form);
    }

private:
    const TestDatabase& db_;
    int id_;
    int employees_ = 0;
};

QStringList column(FrmMaster& form, int col) {
    return gridColumn(*form.flexMaster, col);
}

class Register : public ::testing::Test {
protected:
    static QString selectedId(FrmMaster& f) {
        return f.flexMaster->textMatrix(f.flexMaster->row(), 0);
    }
    TestDatabase db;
    Company company{db};
};

TEST_F(Register, PreviousDaysListFromTheCutOffDayOnwardsAndZeroListsEverything) {
    const int ravi = company.employee(QStringLiteral("Ravi  "));
    company.jobChange(1, "JC1", "2003-02-12", ravi);
    company.jobChange(2, "JC2", "2003-02-13", ravi);
    company.jobChange(3, "JC3", "2003-03-15", ravi);
    Company other(db, 8);
    other.jobChange(4, "XX4", "2003-03-01", other.employee("Anu"));
    company.insert("pSettings", 7, 30);
    company.withRegister([](FrmMaster& form) {
        EXPECT_THAT(column(form, 1), UnorderedElementsAre("JC2", "JC3"));
        const QString date = QLocale::system().toString(QDate(2003, 2, 13), QLocale::ShortFormat);
        EXPECT_EQ(gridRowText(*form.flexMaster, gridRow(*form.flexMaster, 1, "JC2")),
                  "2|JC2|" + date + "|Ravi|Junior Clerk|Senior Accountant|No");
    });

    db.exec("update " + physical("pSettings") + " set NoOfPreviousDays = 0");
    company.withRegister([](FrmMaster& form) {
        EXPECT_THAT(column(form, 1), UnorderedElementsAre("JC1", "JC2", "JC3"));
    });
}

// With no row there is nothing to edit, cancel or see the history of. Without the audit
// trail's linktable row the register works and its title says nothing is recorded.
TEST_F(Register, CompanyWithoutJobChangesShowsOneEmptyRow) {
    company.withRegister([&](FrmMaster& form) {
        EXPECT_EQ(form.windowTitle(), "Job Change");
        EXPECT_EQ(gridRowText(*form.flexMaster, 1), "||||||");
        EXPECT_EQ(form.flexMaster->rows(), 2);
        EXPECT_TRUE(form.cmdnew->isEnabled());
        form.Form_Activate();
        EXPECT_FALSE(form.CmdEdit->isEnabled() || form.CmdDelete->isEnabled() ||
                     form.cmdHistory->isEnabled());
    });
    db.exec("delete from linktable where tablename = 'paudittrail'");
    company.withRegister([&](FrmMaster& form) {
        EXPECT_EQ(form.windowTitle(), "Job Change (no audit trail)");
        EXPECT_TRUE(form.cmdnew->isEnabled());
    });
}

// Windows closed while their rows are still being read stop their reads (on a server, the
// statement still sending); the window's connection is as it was, and the next window lists
// every row once.
TEST_F(Register, WindowsClosedWhileTheyReadLeaveTheNextOneWhole) {
    constexpr int kRows = 40000;
    db.exec("insert into " + physical("pEmployeegradeChange") + " select n, 7, 'J' || n, " +
            "'2003-01-01', " + QString::number(company.employee("Ann")) +
            ", 1, 1, 900, 2, 2, 1000, null, 0, null from (with recursive s(n) as (select 1 union "
            "all select n + 1 from s where n < " +
            QString::number(kRows) + ") select n from s) x");
    useContext(db, 7, 1, QDate(2003, 3, 15));
    for (int i = 0; i < 3; ++i) {
        FrmMaster form;
        form.Form_Load();
    }
    EXPECT_EQ(db.scalar("select 5").toInt(), 5);
    company.withRegister([&](FrmMaster& form) {
        form.completeLoad();
        const QStringList numbers = column(form, 1);
        EXPECT_EQ(numbers.size(), kRows);
        EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), kRows);
    });
}

// The next load reads on the connection the last one kept: it sees a job change saved since, and
// a session the server ended meanwhile is opened again without a word to the clerk.
TEST_F(Register, TheNextLoadOnTheKeptConnectionSeesNewRowsAndSurvivesAnEndedSession) {
    ScriptedMessages messages;
    company.jobChange(1, "JC1", "2003-03-01", company.employee("Anu"));
    company.withRegister([&](FrmMaster& form) { form.completeLoad(); });
    company.jobChange(2, "JC2", "2003-03-02", company.employee("Anu"));
    if (db.isPostgres())
        db.exec("select pg_terminate_backend(pid) from pg_stat_activity where pid <> "
                "pg_backend_pid() and datname = current_database()");
    company.withRegister([&](FrmMaster& form) {
        form.completeLoad();
        EXPECT_THAT(column(form, 1), UnorderedElementsAre("JC1", "JC2"));
    });
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join("\n").toStdString();
}

// User 1 is never looked up; another interface's rights do not count; of two rows the first
// does. The grid's keys and double-click act only through enabled buttons.
TEST_F(Register, ButtonsFollowTheLettersOfTheUsersRightsAndTheGridUsesOnlyEnabledOnes) {
    ScriptedMessages messages;
    company.jobChange(1, "JC1", "2003-03-01", company.employee("Anu"));
    company.rights(1, QString());
    company.rights(2, " n e ");
    company.rights(3, "ADMIN");
    company.rights(4, "NED", 91001);
    company.rights(5, "ND");
    company.rights(5, "E");
    const char* enabled[] = {"NED", "NE", "", "N", "ND"}; // for users 1 to 5
    for (qint16 user = 1; user <= 5; ++user) {
        SCOPED_TRACE(user);
        const QString want = QString::fromLatin1(enabled[user - 1]);
        messages.clear();
        company.withRegister(
            [&](FrmMaster& form) {
                const auto check = [&] {
                    EXPECT_EQ(form.cmdnew->isEnabled(), want.contains('N'));
                    EXPECT_EQ(form.cmdBulk->isEnabled(), want.contains('N'));
                    EXPECT_EQ(form.CmdEdit->isEnabled(), want.contains('E'));
                    EXPECT_EQ(form.CmdDelete->isEnabled(), want.contains('D'));
                };
                check();
                form.Form_Activate();
                form.flexMaster->selectRowAcross(1);
                check();

                ScriptedModal modal;
                form.show();
                ui::FlexGrid& grid = *form.flexMaster;
                QString opened; // the entry windows opened, by mode
                for (int i = 0; i < 3; ++i)
                    modal.then([&](QDialog& dialog) {
                        const auto mode = dynamic_cast<frmGrade&>(dialog).mode();
                        opened += mode == frmGrade::EntryMode::New ? "N" : "E";
                        return int(QDialog::Rejected);
                    });
                QTest::keyClick(&grid, Qt::Key_Return);
                QTest::keyClick(&grid, Qt::Key_Return, Qt::ControlModifier);
                QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                                   grid.visualRect(grid.model().index(0, 1)).center());
                modal.steps.clear();
                QTest::keyClick(&grid, Qt::Key_Delete);
                const QString edit = want.contains('E') ? "E" : "";
                EXPECT_EQ(opened, edit + (want.contains('N') ? "N" : "") + edit);
                EXPECT_EQ(messages.shown.size(), want.contains('D') ? 1u : 0u); // the question
                form.hide();
            },
            user);
    }
}

TEST_F(Register, ADatabaseErrorInAButtonIsShownAndTheRegisterStaysUsable) {
    company.jobChange(1, "JC1", "2003-03-02", company.employee("Anu"));
    ScriptedMessages messages;
    company.withRegister([&](FrmMaster& form) {
        ASSERT_TRUE(form.CmdDelete->isEnabled());
        db.db().close(); // the connection is lost while the register is open
        QTest::mouseClick(form.CmdDelete, Qt::LeftButton);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(
            messages.boxes()[0].startsWith("Payroll|Information|Ok|Operation is not allowed"));
        EXPECT_EQ(form.flexMaster->textMatrix(1, 1), "JC1");
    });
}

constexpr int kNumber = 1;
constexpr int kName = 3;

// Six job changes whose numbers, dates and names each order differently.
class Search : public Register {
protected:
    Search() {
        company.jobChange(1, "1023", "2003-01-05", company.employee("Suresh"));
        company.jobChange(2, "10", "2003-01-01", company.employee("ravi"));
        company.jobChange(3, "7", "2003-01-06", company.employee("Anil"));
        company.jobChange(4, "105", "2003-01-02", company.employee("Rahul"));
        company.jobChange(5, "2000", "2003-01-04", company.employee("Zara"), true);
        company.jobChange(6, "3000", "2003-01-03", company.employee("RAJ"));
    }
    static void search(FrmMaster& form, int col, const QString& typed) {
        form.cboSearch->setCurrentIndex(form.cboSearch->findData(col));
        form.txtsearch->clear();
        QTest::keyClicks(form.txtsearch, typed);
    }
    static const inline QStringList kByName{"Anil", "Rahul", "RAJ", "ravi", "Suresh", "Zara"};
};

// Nothing moves without a search column or a match; a match is the topmost row beginning with
// the text in any case, selected under the cancelled-row rule.
TEST_F(Search, TypedBeginningsFindTheTopmostRowAndApplyTheSelectionRule) {
    company.withRegister([](FrmMaster& form) {
        const QStringList order = column(form, 0);
        const QString before = selectedId(form);
        QTest::keyClicks(form.txtsearch, "ra");
        EXPECT_EQ(column(form, 0), order);
        EXPECT_EQ(selectedId(form), before);
        search(form, kName, "xy");
        EXPECT_EQ(column(form, kName), kByName);
        EXPECT_EQ(selectedId(form), before);

        for (const char* typed : {"ra", "RA"}) {
            search(form, kName, typed);
            EXPECT_EQ(column(form, kName), kByName);
            EXPECT_EQ(form.flexMaster->textMatrix(form.flexMaster->row(), kName), "Rahul");
            EXPECT_EQ(form.flexMaster->selectionModel()->selectedIndexes().size(), 7);
        }
        search(form, kNumber, "10");
        EXPECT_EQ(column(form, kNumber), QStringList({"7", "10", "105", "1023", "2000", "3000"}));
        EXPECT_EQ(form.flexMaster->textMatrix(form.flexMaster->row(), kNumber), "10");

        // A cancelled row is red; on it Delete is disabled, Edit is not.
        ui::FlexGrid& grid = *form.flexMaster;
        search(form, kName, "za");
        EXPECT_EQ(selectedId(form), "5");
        EXPECT_EQ(grid.model().data(grid.model().index(grid.row() - 1, kName), Qt::ForegroundRole),
                  QVariant(QColor(255, 0, 0)));
        EXPECT_FALSE(form.CmdDelete->isEnabled());
        EXPECT_TRUE(form.CmdEdit->isEnabled());
        form.Form_Activate();
        EXPECT_FALSE(form.CmdDelete->isEnabled());
        search(form, kName, "an");
        EXPECT_EQ(selectedId(form), "3");
        EXPECT_FALSE(grid.rowForeColor(grid.row()).isValid());
        EXPECT_TRUE(form.CmdDelete->isEnabled());
    });
}

// Listed by date then number, the newest selected; "Job Date" sorts and searches on the dates
// themselves, the numbers of one day in order; descending clears the sort choice.
TEST_F(Search, JobDateOrdersByTheDateThenTheNumber) {
    company.jobChange(7, "9", "2003-01-03", company.employee("Mona"));
    company.jobChange(8, "11", "2003-01-10", company.employee("Nina"));
    company.jobChange(9, "12", "2002-12-30", company.employee("Omar"));
    const QStringList byDate{"12", "10", "105", "9", "3000", "2000", "1023", "7", "11"};
    company.withRegister([&](FrmMaster& form) {
        EXPECT_EQ(column(form, kNumber), byDate);
        const int last = form.flexMaster->rows() - 1;
        EXPECT_EQ(form.flexMaster->row(), last);
        EXPECT_TRUE(form.flexMaster->selectionModel()->isRowSelected(last - 1, {}));
        EXPECT_TRUE(form.CmdDelete->isEnabled());
        const auto value = [&](int col) { return form.flexMaster->value(last, col); };
        EXPECT_EQ(QVariantList({value(0), value(2), value(6)}),
                  QVariantList({8, QDate(2003, 1, 10), false}));

        search(form, kName, "ra"); // any other order first
        QTest::mouseClick(form.optDescend, Qt::LeftButton);
        form.cboColNames->setCurrentIndex(form.cboColNames->findText("Job Date"));
        EXPECT_EQ(column(form, kNumber), QStringList(byDate.crbegin(), byDate.crend()));
        QTest::mouseClick(form.optAscend, Qt::LeftButton);
        EXPECT_EQ(form.cboColNames->currentIndex(), -1);
        form.cboColNames->setCurrentIndex(form.cboColNames->findText("Job Date"));
        EXPECT_EQ(column(form, kNumber), byDate);

        // The search puts the rows in date order too, and takes the first date shown so.
        search(form, kName, "ra");
        form.cboSearch->setCurrentIndex(form.cboSearch->findText("Job Date"));
        for (const QDate& date : {QDate(2003, 1, 4), QDate(2002, 12, 30), QDate(2003, 1, 10)}) {
            const QString shown = QLocale::system().toString(date, QLocale::ShortFormat);
            form.txtsearch->clear();
            QTest::keyClicks(form.txtsearch, shown);
            EXPECT_EQ(column(form, kNumber), byDate);
            EXPECT_EQ(form.flexMaster->value(form.flexMaster->row(), 2), QVariant(date)) << shown;
        }
        const QString before = selectedId(form);
        form.txtsearch->clear();
        QTest::keyClicks(form.txtsearch, "x");
        EXPECT_EQ(selectedId(form), before) << "no date shown so";
    });
}

// A header click sorts on its column, a second the other way round; the selected row stays
// selected.
TEST_F(Register, AHeaderClickSortsAndASecondReversesKeepingTheSelectedRow) {
    for (int n = 1; n <= 12; ++n)
        company.jobChange(n, QStringLiteral("JC%1").arg(n), "2003-01-05",
                          company.employee(QStringLiteral("Emp%1").arg(n, 2, 10, QChar('0'))));
    company.withRegister([](FrmMaster& form) {
        form.show();
        ui::FlexGrid& grid = *form.flexMaster;
        grid.selectRowAcross(grid.rows() - 1); // Emp12
        const QString selected = selectedId(form);
        const QHeaderView& header = *grid.horizontalHeader();
        for (const auto& [ascending, top] : {std::pair(true, "JC1"), std::pair(false, "JC9")}) {
            QTest::mouseClick(
                header.viewport(), Qt::LeftButton, {},
                QPoint(header.sectionViewportPosition(kNumber) + 5, header.height() / 2));
            EXPECT_EQ(form.cboColNames->currentData().toInt(), kNumber);
            EXPECT_TRUE((ascending ? form.optAscend : form.optDescend)->isChecked());
            EXPECT_EQ(grid.textMatrix(1, kNumber), top);
            EXPECT_EQ(selectedId(form), selected);
        }
        form.hide();
    });
}

class AnswerSaveFile : public ui::SaveFileChooser {
public:
    explicit AnswerSaveFile(QString path) : path_(std::move(path)) { ui::setSaveFileChooser(this); }
    ~AnswerSaveFile() override { ui::setSaveFileChooser(nullptr); }
    QString choose(QWidget*, const QString&, const QString&, const QString&) override {
        ++asked;
        return path_;
    }
    int asked = 0;

private:
    QString path_;
};

// The typed cells of a workbook are the host's register export's (the same rows and kinds).
TEST_F(Search, ExportWritesTheRowsAsTheGridShowsThemInItsOrder) {
    company.rights(1, QString()); // rights do not govern Export
    company.rights(2, "ADMIN");
    QTemporaryDir dir;
    AnswerSaveFile answer(dir.filePath("register.csv"));
    company.withRegister(
        [](FrmMaster& form) {
            EXPECT_TRUE(form.cmdExport->isEnabled());
            search(form, kName, "ra");
            QTest::mouseClick(form.cmdExport, Qt::LeftButton);
        },
        2);
    EXPECT_EQ(answer.asked, 1);
    const std::vector<QStringList> records = parseCsv(readFile(dir.filePath("register.csv")));
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[0], QStringList({"Job No", "Job Date", "Employee Name", "Old Job", "New Job",
                                       "Cancelled"}));
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(records[r][2], kByName[r - 1]);
    EXPECT_EQ(records[1],
              QStringList({"7", "2003-01-06", "Anil", "Junior Clerk", "Senior Accountant", "No"}));
    EXPECT_EQ(records[6][5], "Yes"); // Zara's is cancelled
}

TEST_F(Search, HistoryOpensForTheSelectedRowsEmployee) {
    company.withRegister([](FrmMaster& form) {
        ScriptedModal modal;
        std::vector<qint32> opened;
        search(form, kName, "Zara");
        recordHistory(modal, opened);
        QTest::mouseClick(form.cmdHistory, Qt::LeftButton);
        EXPECT_EQ(opened, std::vector<qint32>({5}));
    });
}

} // namespace
