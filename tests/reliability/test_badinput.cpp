// Bad input through the real windows, typed key by key or pasted: odd text in names, remarks,
// reasons and search text, a 10,000-character remark, amounts that are not plain numbers.

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

int badInputsTried = 0; // printed by the last test

// Each text and a part only it could bring into a statement.
const std::vector<std::pair<QString, QString>> kNasty = {
    {"O'Brien said \"it's Quorvelish\"", "Brien"},
    {"C:\\Zeta\\ \\' \\\\ end\\", "Zeta"},
    {"100% _Wombat_ %' --", "Wombat"},
    {"Ñandú Ωμέγα Привет 李小龍 مرحبا 😀", "Ωμέγα"},
    {"x'); update pay_employee set eBasic = 0; --", "eBasic = 0"},
};

// Typed: every key press carries its character, as a keyboard's would. Otherwise pasted.
void enter(QLineEdit* box, const QString& text, bool typed = true) {
    if (!typed)
        return box->setText(text);
    for (char32_t code : text.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        const Qt::Key key = code < 128 && QChar(code).isLetterOrNumber()
                                ? Qt::Key(QChar(code).toUpper().unicode())
                                : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, box, key, character, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, box, key, character, Qt::NoModifier);
    }
}

class BadInput : public RegisterDriven {
protected:
    BadInput() { db.db().setTraceFile(trace); }

    // The statements sent since the last call.
    QString sent() const {
        QFile file(trace);
        const QString text =
            file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "";
        file.remove();
        return text;
    }
    QString latest(const QString& column) const {
        return db.scalar("select " + column + " from pay_employeegradechange order by egcId desc")
            .toString();
    }

    // The employee to the designation at the basic, with what the step enters.
    bool save(const QString& employee, int designation, const QString& basic,
              const std::function<void(frmGrade&)>& step) {
        bool saved = false;
        newJobChange([&](frmGrade& form) {
            pick(form, employee);
            form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(designation));
            form.txtNewbasic->setText(basic);
            step(form);
            form.cmdOK->click();
            saved = form.result() == QDialog::Accepted;
            if (!saved)
                form.done(QDialog::Rejected);
        });
        return saved;
    }
    void addAllowance(frmGrade& form, int type, const QString& amount, bool typed = true) {
        modal.then([&](QDialog& dialog) {
            auto& editor = static_cast<FrmLinePopup&>(dialog);
            editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(type));
            enter(editor.txtAmount, amount, typed);
            editor.cmdOk->click();
            return QDialog::Rejected;
        });
        form.listCommands->List_MouseDown(LineKind::Allowance, Qt::LeftButton, {});
        form.listCommands->mnuAdd->trigger();
    }

    QTemporaryDir traceDir;
    QString trace = traceDir.filePath("statements.sql");
};

// Names with quotes, backslashes, percent signs and Greek letters go through the combos, the line
// editor, the save and the register, with a remark and a reason of each kind.
TEST_F(BadInput, TextIsStoredAndShownAsTypedAndNeverReachesAStatement) {
    const QString name = "D'Souza \\ 100% Ωμέγα";
    data.insert("pemployee",
                "eCompanyID, eEmpID, eempno, eName, eDesigID, eGradeID, eBasic, ecurrencyid, "
                "eActive",
                {"1, 6, 'E006', 'D''Souza \\ 100% Ωμέγα', 1, 1, 16000, 1, 1"});
    data.insert("pDesignation", "dDesigID, dCompanyID, dGradeID, dDescription, dactive",
                {"4, 1, 2, 'Head ''Chef'' \\ 50%', 1"});
    data.insert("pallowances", "aAllowanceID, aCompanyID, aDescription, aCurrencyID, aActive",
                {"4, 1, 'Kid''s 50% \\ Ωμέγα', 1, 1"});
    data.insert("pusers", "companyid, userid, username", {"1, 1, '  Zoë O''Hara \\ 100%  '"});
    badInputsTried += 4;
    ui::FlexGrid* grid = master->flexMaster;
    sent();
    for (const auto& [text, token] : kNasty) {
        SCOPED_TRACE(text.toStdString());
        ASSERT_TRUE(save(name, 4, "17000", [&](frmGrade& form) {
            EXPECT_EQ(form.cboEmployee->currentText(), name);
            EXPECT_EQ(form.cboNewgrade->currentText(), "Senior - Head 'Chef' \\ 50%");
            addAllowance(form, 4, "250");
            EXPECT_EQ(rows(form.lvwAllow),
                      QStringList{"1|Kid's 50% \\ Ωμέγα|250.00|4|N|0.00|Rupee|checked"});
            enter(form.txtRemarks, text);
        })) << messages.texts().join('\n').toStdString();
        EXPECT_EQ(grid->textMatrix(grid->rows() - 1, 3), name);
        EXPECT_EQ(grid->textMatrix(grid->rows() - 1, 5), "Senior Head 'Chef' \\ 50%");
        EXPECT_EQ(latest("egcremarks"), text);
        EXPECT_EQ(
            query(db, "select eaallowanceid, eaamount from pay_empallowances where eaempid = 6"),
            QStringList{"4|250"});
        editJobChange(latest("egcNo"),
                      [&](frmGrade& form) { EXPECT_EQ(form.txtRemarks->text(), text); });

        grid->selectRowAcross(grid->rows() - 1);
        messages.answer(ui::MsgAnswer::Yes);
        modal.then([&](QDialog& dialog) {
            auto& window = static_cast<frmCancel&>(dialog);
            enter(window.txtcanreason, "  " + text + "  ");
            window.cmdOK->click();
            return window.result();
        });
        master->CmdDelete->click();
        EXPECT_EQ(latest("egcCancelledRemarks"), "Zoë O'Hara \\ 100%:" + text);
        const QString statements = sent();
        for (const QString& part :
             {token, QString("Souza"), QString("Chef"), QString("Kid"), QString("Hara")})
            EXPECT_FALSE(statements.contains(part)) << "a statement carries " << part.toStdString();
        badInputsTried += 2;
    }
    EXPECT_EQ(query(db, "select eBasic, eDesigID from pay_employee where eEmpID = 6"),
              QStringList{"16000|1"});

    QString pasted;
    while (pasted.size() < 10000)
        pasted += QStringLiteral("It's 50% \\ Ωμέγα done; ");
    pasted.truncate(10000);
    ASSERT_TRUE(
        save("Asha", 2, "21000", [&](frmGrade& form) { form.txtRemarks->setText(pasted); }));
    EXPECT_EQ(latest("egcremarks"), pasted);
    EXPECT_FALSE(sent().contains("Ωμέγα done"));
    ++badInputsTried;

    // Search on the employee name column from Asha's row: any text, and one that finds D'Souza.
    master->cboSearch->setCurrentIndex(master->cboSearch->findData(3));
    const int count = grid->rows();
    messages.clear();
    for (const char* search : {"'", "\\", "%", "Ω", "李", "'; --", "%'", "d'so"}) {
        grid->selectRowAcross(count - 1);
        master->txtsearch->clear();
        enter(master->txtsearch, QString::fromUtf8(search));
        ++badInputsTried;
    }
    EXPECT_EQ(grid->textMatrix(grid->row(), 3), name);
    EXPECT_EQ(grid->rows(), count);
    EXPECT_EQ(sent(), "") << "the search sent a statement";
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
}

// Input; typed key by key (vetted: digits, one point, 18 + 2 places) or pasted (its leading number
// counts); the basic stored (refused unless above 0); the line amount stored (-1: blank, refused).
const std::vector<std::tuple<QString, bool, double, double>> kAmounts = {
    {"1e309", true, 1309, 1309},
    {"-0", true, 0, 0},
    {"12abc", true, 12, 12},
    {"", true, 0, -1},
    {"99999999999999999999", true, 999999999999999999.0, 1e18},
    {"1e309", false, 1, 1},
    {"-0", false, 0, 0},
    {"12abc", false, 12, 12},
    {"", false, 0, -1},
    {"99999999999999999999", false, 1e20, 1e20}};

TEST_F(BadInput, AmountsAreTheirLeadingNumberOrRefused) {
    for (const auto& [input, typed, basic, line] : kAmounts) {
        SCOPED_TRACE((input + (typed ? " typed" : " pasted")).toStdString());
        const QMap<QString, QStringList> before = db.snapshot();
        messages.clear();
        const bool saved =
            save("Asha", 2, "", [&](frmGrade& form) { enter(form.txtNewbasic, input, typed); });
        EXPECT_EQ(saved, basic > 0);
        if (saved) {
            EXPECT_EQ(db.scalar("select eBasic from pay_employee where eEmpID = 1").toDouble(),
                      basic);
        } else {
            EXPECT_EQ(messages.texts(), QStringList{"enter new basic"});
            EXPECT_EQ(db.snapshot(), before);
        }

        // The Medical allowance through the line editor, Asha starting without it.
        db.exec("delete from pay_empallowances where eaempid = 1 and eaallowanceid = 3");
        messages.clear();
        EXPECT_TRUE(save("Asha", 2, "21000", [&](frmGrade& form) {
            addAllowance(form, 3, input, typed);
            EXPECT_EQ(messages.texts(), line < 0 ? QStringList{"Enter amount"} : QStringList{});
        }));
        const QVariant medical = db.scalar(
            "select eaamount from pay_empallowances where eaempid = 1 and eaallowanceid = 3");
        EXPECT_EQ(medical.isValid() ? medical.toDouble() : -1, line);
        badInputsTried += 2;
    }
    std::cout << "bad inputs tried " << badInputsTried
              << ": no crash, none reached a statement, nothing half-written" << std::endl;
}

} // namespace
