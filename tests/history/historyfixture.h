#pragma once

#include "data/tablenames.h"
#include "jobchange/employeehistory.h"
#include "support/check.h"
#include "support/testdb.h"

#include <QDate>

// Employee 7 (E7) was hired as a Junior Clerk on 20000 with house rent 5000, conveyance 1000 and
// provident fund 2400.
// - JC1, 15 Jan 2024: Associate Accountant on 25000; house rent revised to 6000, conveyance
//   removed, medical 800 added, provident fund kept.
// - JC2, 1 Jun 2024, cancelled: would have made him a Senior Accountant on 40000. It has the
//   highest id although its date lies between the others.
// - JC3, 1 Mar 2025: same job on 27500; house rent 6500, medical removed, provident fund 2700,
//   tax 1500 added.
// Employee 8 (E8) has one job change, cancelled; employee 9 (E9) none; company 2 has an employee
// 7 of its own with a job change.
class HistoryFixture : public ::testing::Test {
protected:
    HistoryFixture() {
        db.execAll(R"(
insert into pay_currencymaster values (1, 1, 'Rupee', 'Rs'), (2, 1, 'Dirham', 'AED');
insert into pay_grades values (1, 1, 'Junior'), (2, 1, 'Associate'), (3, 1, 'Senior');
insert into pay_designation values (1, 1, 1, 'Clerk', 1), (2, 1, 2, 'Accountant', 1),
  (3, 1, 3, 'Accountant', 1);
insert into pay_allowances values (1, 1, 'House Rent', 1, 1), (2, 1, 'Conveyance', 1, 1),
  (3, 1, 'Medical', 1, 1);
insert into pay_deductions values (1, 1, 'Provident Fund', 1, 1), (2, 1, 'Tax', 1, 1);
insert into pay_users values (1, 1, 'Administrator');
insert into pay_employee values (1, 7, 'E7', 'Ravi Kumar', 2, 2, 27500, 1, 1),
  (1, 8, 'E8', 'Meena Iyer', 1, 1, 18000, 1, 1), (1, 9, 'E9', 'Anil Rao', 1, 1, 19000.5, 1, 1),
  (2, 7, 'E7', 'Other Company', 1, 1, 1000, 1, 1);
insert into pay_empallowances values (1, 7, 1, 1, 6500), (1, 8, 1, 1, 4000), (2, 7, 1, 1, 10);
insert into pay_empdeductions values (1, 7, 1, 1, 2700), (1, 7, 2, 2, 1500), (1, 8, 1, 1, 100.25);
insert into pay_employeegradechange values
  (11, 1, 'JC1', '2024-01-15', 7, 1, 1, 20000, 2, 2, 25000, 'Promotion', 0, null),
  (13, 1, 'JC2', '2024-06-01', 7, 2, 2, 25000, 3, 3, 40000, '', 1, 'Administrator:wrong grade'),
  (12, 1, 'JC3', '2025-03-01', 7, 2, 2, 25000, 2, 2, 27500, null, 0, null),
  (14, 1, 'JC4', '2024-02-01', 8, 1, 1, 18000, 2, 2, 22000, '', 1, 'Administrator:entered twice'),
  (11, 2, 'JC1', '2024-01-15', 7, 1, 1, 900, 1, 1, 1000, '', 0, null);
insert into pay_empgcallowance values (1, 11, 1, 1, 5000, 6000, 'O'),
  (1, 11, 2, 2, 1000, 1000, 'R'), (1, 11, 3, 3, 0, 800, 'N'), (1, 13, 1, 1, 6000, 9000, 'O'),
  (1, 13, 2, 3, 800, 800, 'O'), (1, 12, 1, 1, 6000, 6500, 'O'), (1, 12, 2, 3, 800, 800, 'R'),
  (1, 14, 1, 1, 4000, 4500, 'O'), (2, 11, 1, 1, 5, 10, 'O');
insert into pay_empgcdeductions values (1, 11, 1, 1, 2400, 2400, 'O'),
  (1, 13, 1, 1, 2400, 2400, 'O'), (1, 13, 2, 2, 0, 3000, 'N'), (1, 12, 1, 1, 2400, 2700, 'O'),
  (1, 12, 2, 2, 0, 1500, 'N'), (1, 14, 1, 1, 100.25, 100.25, 'O');
)");
        data::ResolveTableNames(db.db(), tables);
    }

    jobchange::HistorySource source(QDate processDate = QDate(2026, 11, 30)) const {
        return {db.db(), tables, 1, 1, processDate, QStringLiteral("Payroll")};
    }

    TestDatabase db;
    data::ResolvedTableNames tables;
};
