// Bad input through the real windows: quotes, backslashes, percent signs, non-Latin letters and
// statement fragments in remarks, reasons, names and search text, a 10,000-character remark,
// and amounts that are not plain numbers, typed key by key and pasted. Nothing crashes, no
// statement carries what the user typed, nothing is half-written, and what is stored is the
// text as typed and, for amounts, the leading number.

#include "cancel/frmcancel.h"
#include "entry/entryfixture.h"
#include "entry/revisionlistcommands.h"
#include "lineeditor/frmlinepopup.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <iostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

namespace {

int badInputsTried = 0;

struct Nasty {
    QString text;
    QString token; // a part only this input could bring into a statement
};

const std::vector<Nasty> kNasty = {
    {"O'Brien said \"it's Quorvelish\"", "Brien"},
    {"C:\\Zeta\\ \\' \\\\ end\\", "Zeta"},
    {"100% _Wombat_ %' --", "Wombat"},
    {"Ñandú Ωμέγα Привет 李小龍 مرحبا 😀", "Ωμέγα"},
    {"x'); update pay_employee set eBasic = 0; --", "eBasic = 0"},
};

QString longRemark() {
    QString text;
    while (text.size() < 10000)
        text += QStringLiteral("It's 50% \\ Ωμέγα done; ");
    return text.left(10000);
}

// Types the text key by key, as a keyboard would: every key press carries its character.
void typeText(QWidget* widget, const QString& text) {
    for (char32_t code : text.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        const Qt::Key key = code < 128 && QChar(code).isLetterOrNumber()
                                ? Qt::Key(QChar(code).toUpper().unicode())
                                : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, widget, key, character, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, character, Qt::NoModifier);
    }
}

class BadInput : public RegisterDriven {
protected:
    void SetUp() override {
        RegisterDriven::SetUp();
        tracePath = traceDir.filePath("statements.sql");
        db.db().setTraceFile(tracePath);
    }

    // Statements sent from now on only: the test's own data goes in by statements too.
    void clearTrace() const { QFile::remove(tracePath); }
    QString trace() const {
        QFile file(tracePath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void expectNotInStatements(const QString& token) const {
        EXPECT_FALSE(trace().contains(token))
            << "a statement carries \"" << token.toStdString() << "\"";
    }

    // Asha to Officer at 21000, saved through a new entry window; the remark as given.
    void saveForAsha(const std::function<void(QLineEdit*)>& remark) {
        newJobChange([&](frmGrade& form) {
            pick(form, "Asha");
            form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
            form.txtNewbasic->setText("21000");
            remark(form.txtRemarks);
            form.cmdOK->click();
            EXPECT_EQ(form.result(), QDialog::Accepted)
                << messages.texts().join('\n').toStdString();
        });
    }
    QString lastNumber() const {
        return master->flexMaster->textMatrix(master->flexMaster->rows() - 1, 1);
    }
    QString header(const QString& column) const {
        return db
            .scalar("select " + column + " from pay_employeegradechange where egcNo = '" +
                    lastNumber() + "'")
            .toString();
    }

    QTemporaryDir traceDir;
    QString tracePath;
};

TEST_F(BadInput, RemarksAreStoredAsTypedAndNeverReachAStatement) {
    for (const Nasty& nasty : kNasty) {
        SCOPED_TRACE(nasty.text.toStdString());
        saveForAsha([&](QLineEdit* box) { typeText(box, nasty.text); });
        EXPECT_EQ(header("egcremarks"), nasty.text);
        expectNotInStatements(nasty.token);
        editJobChange(lastNumber(),
                      [&](frmGrade& form) { EXPECT_EQ(form.txtRemarks->text(), nasty.text); });
        ++badInputsTried;
    }
    const QString pasted = longRemark();
    saveForAsha([&](QLineEdit* box) { box->setText(pasted); });
    EXPECT_EQ(header("egcremarks"), pasted);
    expectNotInStatements("Ωμέγα done");
    ++badInputsTried;
    EXPECT_EQ(db.scalar("select count(*) from pay_employee where eBasic = 0").toInt(), 0);
}

TEST_F(BadInput, ReasonsAndUserNamesAreStoredAsTypedAndNeverReachAStatement) {
    data.insert("pusers", "companyid, userid, username", {"1, 1, '  Zoë O''Hara \\ 100%  '"});
    clearTrace();
    ++badInputsTried;
    for (const Nasty& nasty : kNasty) {
        SCOPED_TRACE(nasty.text.toStdString());
        saveForAsha([](QLineEdit* box) { box->setText("Promoted"); });
        const QString number = lastNumber();
        master->flexMaster->selectRowAcross(master->flexMaster->rows() - 1);
        messages.answer(ui::MsgAnswer::Yes);
        modal.then([&](QDialog& dialog) {
            auto& window = static_cast<frmCancel&>(dialog);
            typeText(window.txtcanreason, "  " + nasty.text + "  ");
            window.cmdOK->click();
            return window.result();
        });
        master->CmdDelete->click();
        EXPECT_EQ(header("egcCancelled"), "1");
        EXPECT_EQ(header("egcCancelledRemarks"), "Zoë O'Hara \\ 100%:" + nasty.text);
        expectNotInStatements(nasty.token);
        expectNotInStatements("Hara");
        ++badInputsTried;
    }
    EXPECT_EQ(query(db, "select eBasic, eDesigID from pay_employee where eEmpID = 1"),
              QStringList{"20000|1"});
}

// An employee, a designation and an allowance type named with quotes, backslashes, percent
// signs and Greek letters go through the combos, the line editor, the save and the register,
// and the register's search takes any text without sending a statement.
TEST_F(BadInput, NamesTravelThroughEveryWindowAndSearchTakesAnyText) {
    const QString name = "D'Souza \\ 100% Ωμέγα";
    data.insert("pemployee",
                "eCompanyID, eEmpID, eempno, eName, eDesigID, eGradeID, eBasic, ecurrencyid, "
                "eActive",
                {"1, 6, 'E006', 'D''Souza \\ 100% Ωμέγα', 1, 1, 16000, 1, 1"});
    data.insert("pDesignation", "dDesigID, dCompanyID, dGradeID, dDescription, dactive",
                {"4, 1, 2, 'Head ''Chef'' \\ 50%', 1"});
    data.insert("pallowances", "aAllowanceID, aCompanyID, aDescription, aCurrencyID, aActive",
                {"4, 1, 'Kid''s 50% \\ Ωμέγα', 1, 1"});
    badInputsTried += 3;
    clearTrace();
    saveForAsha([](QLineEdit* box) { box->setText("first"); });

    newJobChange([&](frmGrade& form) {
        pick(form, name);
        EXPECT_EQ(form.cboEmployee->currentText(), name);
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(4));
        EXPECT_EQ(form.cboNewgrade->currentText(), "Senior - Head 'Chef' \\ 50%");
        form.txtNewbasic->setText("17000");
        modal.then([](QDialog& dialog) {
            auto& editor = static_cast<FrmLinePopup&>(dialog);
            editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(4));
            typeText(editor.txtAmount, "250");
            editor.cmdOk->click();
            return QDialog::Rejected;
        });
        form.listCommands->List_MouseDown(LineKind::Allowance, Qt::LeftButton, {});
        form.mnuAdd->trigger();
        ASSERT_EQ(form.lvwAllow->topLevelItemCount(), 1);
        EXPECT_EQ(form.lvwAllow->topLevelItem(0)->text(revcol::Description), "Kid's 50% \\ Ωμέγα");
        form.cmdOK->click();
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    ui::FlexGrid* grid = master->flexMaster;
    const int row = grid->rows() - 1;
    EXPECT_EQ(grid->textMatrix(row, 3), name);
    EXPECT_EQ(grid->textMatrix(row, 5), "Senior Head 'Chef' \\ 50%");
    EXPECT_EQ(query(db, "select eaallowanceid, eaamount from pay_empallowances where eaempid = 6"),
              QStringList{"4|250"});
    for (const char* token : {"Souza", "Chef", "Kid"})
        expectNotInStatements(token);

    // Search on the employee name column.
    master->cboSearch->setCurrentIndex(master->cboSearch->findData(3));
    const qsizetype statements = trace().size();
    const int rows = grid->rows();
    for (const char* text : {"'", "\\", "%", "Ω", "李", "'; --", "%'"}) {
        master->txtsearch->clear();
        typeText(master->txtsearch, QString::fromUtf8(text));
        ++badInputsTried;
    }
    for (int r = 1; r < grid->rows(); ++r)
        if (grid->textMatrix(r, 3) == "Asha")
            grid->selectRowAcross(r);
    master->txtsearch->clear();
    typeText(master->txtsearch, "d'so");
    ++badInputsTried;
    EXPECT_EQ(grid->textMatrix(grid->row(), 3), name);
    EXPECT_EQ(trace().size(), statements) << "the search sent a statement";
    EXPECT_EQ(grid->rows(), rows);
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
}

struct AmountCase {
    QString input;
    bool typed;      // key by key (the keys are vetted) or pasted
    QString boxText; // what the box holds afterwards
    double stored;   // the number stored; 0 when the save is refused
};

// The basic-pay box: typed keys are vetted (digits, one point, 18 + 2 places); what is pasted
// counts by its leading number. Nothing is stored when the number is not above 0.
const std::vector<AmountCase> kBasicCases = {
    {"1e309", true, "1309", 1309},
    {"-0", true, "0", 0},
    {"12abc", true, "12", 12},
    {"", true, "", 0},
    {"99999999999999999999", true, "999999999999999999", 999999999999999999.0},
    {"1e309", false, "1e309", 1},
    {"-0", false, "-0", 0},
    {"12abc", false, "12abc", 12},
    {"", false, "", 0},
    {"99999999999999999999", false, "99999999999999999999", 1e20},
    {"12٣٤", true, "12", 12},
    {"12٣٤", false, "12٣٤", 12},
};

TEST_F(BadInput, BasicPayIsItsLeadingNumberOrRefused) {
    for (const AmountCase& c : kBasicCases) {
        SCOPED_TRACE((c.input + (c.typed ? " typed" : " pasted")).toStdString());
        const QMap<QString, QStringList> before = db.snapshot();
        messages.clear();
        bool saved = false;
        newJobChange([&](frmGrade& form) {
            pick(form, "Asha");
            form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
            if (c.typed)
                typeText(form.txtNewbasic, c.input);
            else
                form.txtNewbasic->setText(c.input);
            EXPECT_EQ(form.txtNewbasic->text(), c.boxText);
            form.cmdOK->click();
            saved = form.result() == QDialog::Accepted;
            if (!saved)
                form.done(QDialog::Rejected);
        });
        ++badInputsTried;
        if (c.stored <= 0) {
            EXPECT_FALSE(saved);
            EXPECT_EQ(messages.texts(), QStringList{"enter new basic"});
            EXPECT_EQ(db.snapshot(), before);
            continue;
        }
        ASSERT_TRUE(saved) << messages.texts().join('\n').toStdString();
        EXPECT_EQ(db.scalar("select egcNewBasic from pay_employeegradechange where egcNo = '" +
                            lastNumber() + "'")
                      .toDouble(),
                  c.stored);
        EXPECT_EQ(db.scalar("select eBasic from pay_employee where eEmpID = 1").toDouble(),
                  c.stored);
    }
}

// The line editor's amount: the list gets the leading number written with two places, and the
// save stores that number; a blank amount is refused.
const std::vector<AmountCase> kLineCases = {
    {"1e309", true, "1309.00", 1309},
    {"-0", true, "0.00", 0},
    {"12abc", true, "12.00", 12},
    {"", true, "", -1},
    {"99999999999999999999", true, "1000000000000000000.00", 1e18},
    {"1e309", false, "1.00", 1},
    {"-0", false, "0.00", 0},
    {"12abc", false, "12.00", 12},
    {"", false, "", -1},
    {"99999999999999999999", false, "100000000000000000000.00", 1e20},
};

TEST_F(BadInput, LineAmountsAreTheirLeadingNumberOrRefused) {
    for (const AmountCase& c : kLineCases) {
        SCOPED_TRACE((c.input + (c.typed ? " typed" : " pasted")).toStdString());
        // Asha starts each case without the Medical allowance the case before gave her.
        db.exec("delete from pay_empallowances where eaempid = 1 and eaallowanceid = 3");
        const QMap<QString, QStringList> before = db.snapshot();
        messages.clear();
        newJobChange([&](frmGrade& form) {
            pick(form, "Asha");
            form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
            form.txtNewbasic->setText("21000");
            modal.then([&](QDialog& dialog) {
                auto& editor = static_cast<FrmLinePopup&>(dialog);
                editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(3));
                if (c.typed)
                    typeText(editor.txtAmount, c.input);
                else
                    editor.txtAmount->setText(c.input);
                editor.cmdOk->click();
                return QDialog::Rejected;
            });
            form.listCommands->List_MouseDown(LineKind::Allowance, Qt::LeftButton, {});
            form.mnuAdd->trigger();
            QTreeWidgetItem* medical = nullptr;
            for (int i = 0; i < form.lvwAllow->topLevelItemCount(); ++i)
                if (form.lvwAllow->topLevelItem(i)->text(revcol::TypeId) == "3")
                    medical = form.lvwAllow->topLevelItem(i);
            if (c.stored < 0) {
                EXPECT_EQ(medical, nullptr);
                EXPECT_EQ(messages.texts(), QStringList{"Enter amount"});
                form.done(QDialog::Rejected);
                return;
            }
            ASSERT_NE(medical, nullptr);
            EXPECT_EQ(medical->text(revcol::RevisedAmount), c.boxText);
            form.cmdOK->click();
            EXPECT_EQ(form.result(), QDialog::Accepted)
                << messages.texts().join('\n').toStdString();
        });
        ++badInputsTried;
        if (c.stored < 0) {
            EXPECT_EQ(db.snapshot(), before);
            continue;
        }
        EXPECT_EQ(db.scalar("select egcarevamount from pay_empgcallowance where "
                            "egcaallowanceid = 3 and egcagcid = (select egcId from "
                            "pay_employeegradechange where egcNo = '" +
                            lastNumber() + "')")
                      .toDouble(),
                  c.stored);
        EXPECT_EQ(db.scalar("select eaamount from pay_empallowances where eaempid = 1 and "
                            "eaallowanceid = 3")
                      .toDouble(),
                  c.stored);
    }
}

class BadInputFigures : public ::testing::Environment {
public:
    void TearDown() override {
        std::cout << "bad inputs tried " << badInputsTried
                  << ": no crash, none reached a statement, nothing half-written" << std::endl;
    }
};
const auto* const figures = ::testing::AddGlobalTestEnvironment(new BadInputFigures);

} // namespace
