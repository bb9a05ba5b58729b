// Bad input through the real windows, typed key by key or pasted: odd text in names, remarks,
// reasons and search text, amounts that are not plain numbers.

#include "cancel/frmcancel.h"
#include "entry/entryfixture.h"
#include "entry/revisionlistcommands.h"
#include "lineeditor/frmlinepopup.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

namespace {

// Each text and a part only it could bring into a statement.
const std::vector<std::pair<QString, QString>> kNasty = {
    {"O'Brien said \"it's Quorvelish\"", "Brien"},
    {"100% _Wombat_ %' --", "Wombat"},
    {"x'); update pay_employee set eBasic = 0; --", "eBasic = 0"},
};

// Typed: every key press carries its character, as a keyboard's would.
void enter(QLineEdit* box, const QString& text) {
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
        const QString text = QString::fromUtf8(readFile(trace));
        QFile::remove(trace);
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
    // Add on the allowances opens the line editor, on the type, for the step.
    void addAllowance(frmGrade& form, int type, const std::function<void(FrmLinePopup&)>& step) {
        modal.then([&](QDialog& dialog) {
            auto& editor = static_cast<FrmLinePopup&>(dialog);
            editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(type));
            step(editor);
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
    db.insert("pemployee", {"1, 6, 'E006', 'D''Souza \\ 100% Ωμέγα', 1, 1, 16000, 1, 1"});
    db.insert("pDesignation", {"4, 1, 2, 'Head ''Chef'' \\ 50%', 1"});
    db.insert("pallowances", {"4, 1, 'Kid''s 50% \\ Ωμέγα', 1, 1"});
    db.insert("pusers", {"1, 1, '  Zoë O''Hara \\ 100%  '"});
    ui::FlexGrid* grid = master->flexMaster;
    sent();
    for (const auto& [text, token] : kNasty) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(save(name, 4, "17000", [&](frmGrade& form) {
            EXPECT_EQ(form.cboEmployee->currentText(), name);
            EXPECT_EQ(form.cboNewgrade->currentText(), "Senior - Head 'Chef' \\ 50%");
            addAllowance(form, 4, [](FrmLinePopup& editor) {
                enter(editor.txtAmount, "250");
                editor.cmdOk->click();
            });
            EXPECT_EQ(rows(form.lvwAllow),
                      QStringList{"1|Kid's 50% \\ Ωμέγα|250.00|4|N|0.00|Rupee|checked"});
            enter(form.txtRemarks, text);
        })) << messages.texts().join('\n');
        EXPECT_EQ(gridRowText(*grid, grid->rows() - 1, 3),
                  name + "|Junior Clerk|Senior Head 'Chef' \\ 50%|No");
        EXPECT_EQ(latest("egcremarks"), text);
        EXPECT_EQ(
            db.rows("select eaallowanceid, eaamount from pay_empallowances where eaempid = 6"),
            QStringList{"4|250"});
        editJobChange(latest("egcNo"),
                      [&](frmGrade& form) { EXPECT_EQ(form.txtRemarks->text(), text); });

        grid->selectRowAcross(grid->rows() - 1);
        messages.answer(ui::MsgAnswer::Yes);
        modal.thenOn<frmCancel>([&](frmCancel& window) {
            enter(window.txtcanreason, "  " + text + "  ");
            window.cmdOK->click();
        });
        master->CmdDelete->click();
        EXPECT_EQ(latest("egcCancelledRemarks"), "Zoë O'Hara \\ 100%:" + text);
        const QString statements = sent();
        ASSERT_TRUE(statements.contains("pay_employeegradechange")) << "nothing traced";
        for (const QString& part :
             {token, QString("Souza"), QString("Chef"), QString("Kid"), QString("Hara")})
            EXPECT_FALSE(statements.contains(part)) << "a statement carries " << part;
    }
    EXPECT_EQ(db.rows("select eBasic, eDesigID from pay_employee where eEmpID = 6"),
              QStringList{"16000|1"});

    ASSERT_TRUE(save("Asha", 2, "21000", [](frmGrade&) {}));
    sent(); // the save's own
    // Search on the employee name column from Asha's row: any text, and one that finds D'Souza.
    master->cboSearch->setCurrentIndex(master->cboSearch->findData(3));
    const int count = grid->rows();
    messages.clear();
    for (const char* search : {"'", "\\", "%", "Ω", "李", "'; --", "%'", "d'so"}) {
        grid->selectRowAcross(count - 1);
        master->txtsearch->clear();
        enter(master->txtsearch, QString::fromUtf8(search));
    }
    EXPECT_EQ(grid->textMatrix(grid->row(), 3), name);
    EXPECT_EQ(grid->rows(), count);
    EXPECT_EQ(sent(), "") << "the search sent a statement";
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n');
}

// What an amount box did with an input: "stored X" (the amount then in the database, read
// exactly) or "refused: message". A refused edit leaves the box as it was; nothing is written.
struct AmountCase {
    QString input;
    bool typed; // key by key through the key filter, else pasted from the clipboard
    QString basic;
    QString line; // the Medical allowance through the line editor
};

const QString kPositive =
    "; enter an amount greater than 0.00 and up to 999,999,999,999.99 with at most two decimals";
const QString kFromZero =
    "; enter an amount from 0.00 to 999,999,999,999.99 with at most two decimals";

// A refusal with the same reason in both boxes.
std::pair<QString, QString> refused(const QString& reason) {
    return {"refused: New Basic: " + reason + kPositive, "refused: Amount: " + reason + kFromZero};
}

std::vector<AmountCase> amountCases() {
    std::vector<AmountCase> cases = {
        // Typed: the keys the filter lets through make the amount.
        {"27,500.00", true, "stored 27500.00", "stored 27500.00"},
        {"12abc", true, "stored 12.00", "stored 12.00"},
        {"-5", true, "stored 5.00", "stored 5.00"},
        {"0.005", true, "refused: enter new basic", "stored 0.00"},
        {"", true, "refused: enter new basic", "refused: Enter amount"},
        {"999999999999.99", true, "stored 999999999999.99", "stored 999999999999.99"},
        // Pasted: the clerk's notation with group separators.
        {"1,234.5", false, "stored 1234.50", "stored 1234.50"},
        {"0", false, "refused: enter new basic", "stored 0.00"},
    };
    const std::tuple<const char*, bool, QString> bad[] = {
        // One pasted case per message (the parsing is tabled in the amount-text test); the
        // thirteenth digit typed is refused as it comes.
        {"1000000000000.00", true, "\"1000000000000\" is more than 999,999,999,999.99"},
        {"12abc", false, "\"12abc\" is not an amount"},
        {"-5", false, "an amount cannot be negative"},
        {"0.005", false, "\"0.005\" has more than two decimals"},
        {"1,000,000,000,000.00", false, "\"1,000,000,000,000.00\" is more than 999,999,999,999.99"},
    };
    for (const auto& [input, typed, reason] : bad) {
        const auto [basic, line] = refused(reason);
        cases.push_back({QString::fromLatin1(input), typed, basic, line});
    }
    return cases;
}

class Amounts : public BadInput {
protected:
    // "refused: " and the messages shown, or nothing when none was.
    QString refusal() const {
        return messages.shown.empty() ? QString() : "refused: " + messages.texts().join('\n');
    }

    // Types or pastes the input over "100.00"; a refusal on the way leaves the box as it was.
    QString put(QLineEdit* box, const QString& input, bool typed) {
        box->setText("100.00");
        messages.clear();
        box->setFocus();
        box->selectAll();
        if (!typed) {
            QGuiApplication::clipboard()->setText(input);
            box->paste();
        } else {
            box->del();
            for (const QChar c : input) {
                enter(box, c);
                if (!messages.shown.empty())
                    break;
            }
        }
        if (!messages.shown.empty()) {
            EXPECT_EQ(box->text(), typed ? input.left(12) : "100.00") << "the box keeps its text";
        }
        return refusal();
    }

    QString viaNewBasic(const QString& input, bool typed) {
        QString outcome;
        save("Asha", 2, "", [&](frmGrade& form) {
            outcome = put(form.txtNewbasic, input, typed);
            if (!outcome.isEmpty())
                form.txtNewbasic->clear(); // the clerk gives up: the Ok below is refused
            messages.clear();
        });
        if (outcome.isEmpty())
            outcome = refusal();
        return outcome.isEmpty() ? "stored " + stored(ashasBasic) : outcome;
    }

    QString viaLineEditor(const QString& input, bool typed) {
        db.exec("delete from pay_empallowances where eaempid = 1 and eaallowanceid = 3");
        QString outcome;
        save("Asha", 2, "21000", [&](frmGrade& form) {
            addAllowance(form, 3, [&](FrmLinePopup& editor) {
                outcome = put(editor.txtAmount, input, typed);
                if (outcome.isEmpty()) {
                    editor.cmdOk->click();
                    outcome = refusal();
                }
            });
        });
        return outcome.isEmpty() ? "stored " + stored("select eaamount from pay_empallowances "
                                                      "where eaempid = 1 and eaallowanceid = 3")
                                 : outcome;
    }

    QString stored(const QString& sql) const {
        return data::StoredAmount::fromValue(db.scalar(sql)).text();
    }
    const QString ashasBasic = "select eBasic from pay_employee where eEmpID = 1";
};

// Every amount a clerk may type or paste into the new basic and a line amount: the exact amount
// stored, or the message naming the box, with the box as it was and nothing written.
TEST_F(Amounts, AreStoredExactlyOrRefusedWithAMessageNamingTheBox) {
    for (const AmountCase& c : amountCases()) {
        SCOPED_TRACE((c.input + (c.typed ? " typed" : " pasted")));
        const QMap<QString, QStringList> before = db.snapshot();
        const QString basic = viaNewBasic(c.input, c.typed);
        EXPECT_EQ(basic, c.basic);
        if (basic.startsWith("refused")) {
            EXPECT_EQ(db.snapshot(), before);
        }
        EXPECT_EQ(viaLineEditor(c.input, c.typed), c.line);
    }
}

// A basic at the top of the range comes back as it was; one stored beyond it by another program
// is shown as it is and an edit that leaves it is refused.
TEST_F(Amounts, AnEditShowsALargeBasicExactlyAndRefusesOneOutOfRangeUnchanged) {
    data.jobChange(1, "JC1", "2003-02-14", 1);
    db.exec("update pay_employee set eDesigID = 2, eGradeID = 2 where eEmpID = 1");
    db.exec("update pay_employeegradechange set egcNewBasic = 999999999999.99");
    reloadRegister();
    editJobChange("JC1", [&](frmGrade& form) {
        EXPECT_EQ(form.txtNewbasic->text(), "999999999999.99");
        EXPECT_EQ(form.txtOldBasic->text(), "20000.00");
        form.txtRemarks->setText("Remarks only");
        form.cmdOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted) << messages.texts().join('\n');
    });
    EXPECT_EQ(db.rows("select egcNewBasic, egcOldBasic from pay_employeegradechange"),
              QStringList{"999999999999.99|20000"});
    EXPECT_EQ(stored(ashasBasic), "999999999999.99");

    db.exec("update pay_employeegradechange set egcNewBasic = 1e15");
    const QMap<QString, QStringList> before = db.snapshot();
    messages.clear();
    editJobChange("JC1", [&](frmGrade& form) {
        EXPECT_EQ(form.txtNewbasic->text(), "1000000000000000.00");
        form.txtRemarks->setText("Remarks again");
        form.cmdOK->click();
        EXPECT_NE(form.result(), QDialog::Accepted);
        form.done(QDialog::Rejected);
    });
    EXPECT_EQ(messages.texts(),
              QStringList{"New Basic: the stored amount 1000000000000000.00 is outside 0.00 to "
                          "999,999,999,999.99; enter it anew"});
    EXPECT_EQ(db.snapshot(), before);

    // A line amount beyond the range: refused by the entry window and by the line editor.
    db.exec("update pay_employeegradechange set egcNewBasic = 25000");
    db.insert("pempgcAllowance", {"1, 1, 1, 1, 5000, 1e15, 'O'"});
    messages.clear();
    editJobChange("JC1", [&](frmGrade& form) {
        EXPECT_EQ(rows(form.lvwAllow),
                  QStringList{"1|House Rent|1000000000000000.00|1|O|5000.00|Rupee|checked"});
        form.cmdOK->click();
        EXPECT_NE(form.result(), QDialog::Accepted);
        FrmLinePopup editor(form.workspace(), LineKind::Allowance, form.lvwAllow, "E");
        form.lvwAllow->setCurrentItem(form.lvwAllow->topLevelItem(0));
        editor.typeCombo()->setCurrentIndex(editor.typeCombo()->findData(1));
        editor.showAmount(form.lvwAllow->topLevelItem(0)->text(revcol::RevisedAmount));
        editor.cmdOk->click();
        form.done(QDialog::Rejected);
    });
    const QString range = " is outside 0.00 to 999,999,999,999.99; enter it anew";
    EXPECT_EQ(messages.texts(),
              QStringList({"Allowances line 1 (House Rent), Revised Amount: the stored amount "
                           "1000000000000000.00" +
                               range,
                           "Amount: the stored amount 1000000000000000.00" + range}));
    EXPECT_EQ(db.rows("select egcarevamount from pay_empgcallowance"),
              QStringList{"1000000000000000"});
}

} // namespace
