#pragma once

// A small company of the test database and a way to open its register through clsGrade.

#include "component/basgrade.h"
#include "component/clsgrade.h"
#include "register/frmmaster.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "ui/flexgrid.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

class RegisterFixture {
public:
    // Two grades and a designation of each, in the company.
    explicit RegisterFixture(const TestDatabase& db, int company = 7) : db_(db), company_(company) {
        exec(QStringLiteral("insert into %1 (gID, gCompanyid, gDescription) values (1, %2, "
                            "'Junior'), (2, %2, 'Senior')")
                 .arg(physical(QStringLiteral("pGrades")))
                 .arg(company));
        exec(
            QStringLiteral("insert into %1 (dDesigID, dCompanyID, dGradeID, dDescription, dactive) "
                           "values (1, %2, 1, 'Clerk', 1), (2, %2, 2, 'Accountant', 1)")
                .arg(physical(QStringLiteral("pDesignation")))
                .arg(company));
    }

    // The caller context outlives every test; it must not keep this test's connection.
    ~RegisterFixture() { BasGrade() = CallerContext{}; }
    RegisterFixture(const RegisterFixture&) = delete;
    RegisterFixture& operator=(const RegisterFixture&) = delete;

    int company() const { return company_; }

    void previousDays(int days) const {
        exec(QStringLiteral("insert into %1 (companyID, NoOfPreviousDays) values (%2, %3)")
                 .arg(physical(QStringLiteral("pSettings")))
                 .arg(company_)
                 .arg(days));
    }

    // A new employee; returns the id.
    int employee(const QString& name) {
        const int id = ++employees_;
        exec(QStringLiteral("insert into %1 (eCompanyID, eEmpID, eempno, eName, eDesigID, "
                            "eGradeID, eBasic, ecurrencyid, eActive) values (%2, %3, 'E%3', "
                            "'%4', 2, 2, 1000, 1, 1)")
                 .arg(physical(QStringLiteral("pemployee")))
                 .arg(company_)
                 .arg(id)
                 .arg(name));
        return id;
    }

    // A job change from Clerk (Junior) to Accountant (Senior).
    void jobChange(int id, const QString& number, const QString& isoDate, int employee,
                   bool cancelled = false) const {
        exec(QStringLiteral("insert into %1 (egcId, egcCompanyID, egcNo, egcDate, egcEmpID, "
                            "egcOldDesigID, egcOldGradeID, egcOldBasic, egcNewDesigID, "
                            "egcNewGradeID, egcNewBasic, egcCancelled) values (%2, %3, '%4', "
                            "'%5', %6, 1, 1, 900, 2, 2, 1000, %7)")
                 .arg(physical(QStringLiteral("pEmployeegradeChange")))
                 .arg(id)
                 .arg(company_)
                 .arg(number, isoDate)
                 .arg(employee)
                 .arg(cancelled ? 1 : 0));
    }

    void rights(int user, const QString& letters, int interfaceId = 91004) const {
        exec(QStringLiteral("insert into %1 (userid, interfaceid, functionrights) values (%2, "
                            "%3, '%4')")
                 .arg(physical(QStringLiteral("puserrights")))
                 .arg(user)
                 .arg(interfaceId)
                 .arg(letters));
    }

    // Shows the register through clsGrade as a host would and hands the loaded window to
    // inspect; the window closes when inspect returns.
    void withRegister(const std::function<void(FrmMaster&)>& inspect, qint16 user = 1,
                      const QDate& processDate = QDate(2003, 3, 15)) const {
        clsGrade grade;
        grade.setAdocon(db_.connection());
        grade.intCompanyID = static_cast<qint16>(company_);
        grade.intUserID = user;
        grade.Intinterfaceid = 5; // the register works for its own interface whatever the host says
        grade.ProcessDate = processDate;
        grade.MsgboxTitle = QStringLiteral("Payroll");
        ScriptedModal modal;
        bool shown = false;
        modal.then([&](QDialog& dialog) {
            auto* form = qobject_cast<FrmMaster*>(&dialog);
            EXPECT_NE(form, nullptr);
            if (form)
                inspect(*form);
            shown = true;
            return int(QDialog::Rejected);
        });
        grade.Show();
        EXPECT_TRUE(shown);
    }

private:
    void exec(const QString& sql) const { db_.exec(sql); }

    const TestDatabase& db_;
    int company_;
    int employees_ = 0;
};

// The texts of one grid column, data rows only.
inline QStringList gridColumn(FrmMaster& form, int col) {
    QStringList texts;
    for (int row = 1; row < form.flexMaster->rows(); ++row)
        texts << form.flexMaster->textMatrix(row, col);
    return texts;
}

// The data row whose job change number is the given one, or 0.
inline int rowOfNumber(FrmMaster& form, const QString& number) {
    for (int row = 1; row < form.flexMaster->rows(); ++row)
        if (form.flexMaster->textMatrix(row, 1) == number)
            return row;
    return 0;
}
