// Each run of the suite goes through the driver it was asked for (QODBC when QUORVEL_TEST_ODBC
// is set, QPSQL when QUORVEL_TEST_PG names a server, QSQLITE otherwise), and the register, a
// save, an edit and a cancellation work end to end through it.

#include "cancel/frmcancel.h"
#include "entry/entryfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class Servers : public RegisterDriven {};

TEST_F(Servers, TheRegisterASaveAnEditAndACancellationRunThroughTheDriverAskedFor) {
    const QString expected = db.isPostgres()                                  ? "QPSQL"
                             : qEnvironmentVariableIsSet("QUORVEL_TEST_ODBC") ? "QODBC"
                                                                              : "QSQLITE";
    EXPECT_EQ(db.db().database().driverName().toStdString(), expected.toStdString());
    EXPECT_EQ(BasGrade().adocon.get(), &db.db()) << "the windows use the connection under test";

    newJobChange([](frmGrade& form) {
        ashaPromoted(form);
        form.cmdOK->click();
    });
    editJobChange("JC1", [](frmGrade& form) {
        form.txtRemarks->setText(QStringLiteral("Promoted, corrected"));
        form.cmdOK->click();
    });
    EXPECT_TRUE(messages.shown.empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(query(db, "select egcNo, egcNewBasic, egcremarks from pay_employeegradechange"),
              QStringList{"JC1|1500.5|Promoted, corrected"});

    messages.answer(ui::MsgAnswer::Yes);
    modal.then([](QDialog& dialog) {
        auto& window = static_cast<frmCancel&>(dialog);
        window.txtcanreason->setText(QStringLiteral("withdrawn"));
        window.cmdOK->click();
        return window.result();
    });
    master->CmdDelete->click();
    EXPECT_EQ(master->flexMaster->textMatrix(1, 6), "Yes");
    EXPECT_EQ(query(db, "select eBasic, eDesigID from pay_employee where eEmpID = 1"),
              QStringList{"20000|1"});

    // A register opened afresh lists it as the server now holds it.
    reloadRegister();
    EXPECT_EQ(master->flexMaster->textMatrix(1, 1), "JC1");
    EXPECT_EQ(master->flexMaster->textMatrix(1, 3), "Asha");
    EXPECT_EQ(master->flexMaster->textMatrix(1, 6), "Yes");
}

} // namespace
