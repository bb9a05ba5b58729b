#pragma once

// A small payroll of company 1 (and a company 2 that shares employee ids with it), and job
// changes written exactly as the entry window's save writes them.

#include "support/testdb.h"

#include <QDate>
#include <QRegularExpression>
#include <QString>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}

namespace jobchanges {

struct Line {
    int typeId;
    double oldAmount;
    double revAmount;
    QString type; // "O" kept, "R" removed, "N" added
};

struct JobChange {
    int id;
    QString no;
    QDate date;
    int empId;
    int oldDesig, oldGrade;
    double oldBasic;
    int newDesig, newGrade;
    double newBasic;
    std::vector<Line> allowances;
    std::vector<Line> deductions;
    int company = 1;
};

// Employee 7 (Ravi Kumar, Accounts Assistant of grade Junior, basic 1000.25) with three standing
// allowances and two deductions; employee 8 (Meena Iyer) with one of each; user 1 "  Asha Rao  ".
inline void loadPayroll(const TestDatabase& db) {
    const QStringList rows{
        "insert into pay_settings (companyID, NoOfPreviousDays) values (1, 0)",
        "insert into pay_currencymaster (CompanyID, CurrencyID, CurrencyName, symbol) values (1, "
        "1, 'Rupee', 'Rs')",
        "insert into pay_grades (gID, gCompanyid, gDescription) values (1, 1, 'Junior')",
        "insert into pay_grades (gID, gCompanyid, gDescription) values (2, 1, 'Associate')",
        "insert into pay_designation (dDesigID, dCompanyID, dGradeID, dDescription, dactive) "
        "values (2, 1, 1, 'Accounts Assistant', 1)",
        "insert into pay_designation (dDesigID, dCompanyID, dGradeID, dDescription, dactive) "
        "values (5, 1, 2, 'Accountant', 1)",
        "insert into pay_designation (dDesigID, dCompanyID, dGradeID, dDescription, dactive) "
        "values (6, 1, 2, 'Engineer', 1)",
        "insert into pay_users (companyid, userid, username) values (1, 1, '  Asha Rao  ')",
        "insert into pay_employee (eCompanyID, eEmpID, eempno, eName, eDesigID, eGradeID, eBasic, "
        "ecurrencyid, eActive) values (1, 7, 'E007', 'Ravi Kumar', 2, 1, 1000.25, 1, 1)",
        "insert into pay_employee (eCompanyID, eEmpID, eempno, eName, eDesigID, eGradeID, eBasic, "
        "ecurrencyid, eActive) values (1, 8, 'E008', 'Meena Iyer', 5, 2, 2000, 1, 1)",
        "insert into pay_employee (eCompanyID, eEmpID, eempno, eName, eDesigID, eGradeID, eBasic, "
        "ecurrencyid, eActive) values (2, 7, 'B007', 'Other Company', 1, 1, 900, 1, 1)",
        "insert into pay_empallowances (eacompanyid, eaempid, eadetailid, eaallowanceid, "
        "eaamount) values (1, 7, 1, 1, 100)",
        "insert into pay_empallowances (eacompanyid, eaempid, eadetailid, eaallowanceid, "
        "eaamount) values (1, 7, 2, 2, 200)",
        "insert into pay_empallowances (eacompanyid, eaempid, eadetailid, eaallowanceid, "
        "eaamount) values (1, 7, 3, 3, 300.5)",
        "insert into pay_empallowances (eacompanyid, eaempid, eadetailid, eaallowanceid, "
        "eaamount) values (1, 8, 1, 1, 500)",
        "insert into pay_empdeductions (edcompanyid, edempid, eddetailid, eddeductionid, "
        "edamount) values (1, 7, 1, 1, 50)",
        "insert into pay_empdeductions (edcompanyid, edempid, eddetailid, eddeductionid, "
        "edamount) values (1, 7, 2, 2, 25)",
        "insert into pay_empdeductions (edcompanyid, edempid, eddetailid, eddeductionid, "
        "edamount) values (1, 8, 1, 1, 80)",
    };
    for (const QString& sql : rows)
        db.exec(sql);
}

// The rows a save writes: the header, the job change's lines, the employee master, and the
// employee's standing lines replaced by the kept and added lines (detail id = list position).
inline void saveJobChange(const TestDatabase& db, const JobChange& jc) {
    data::Connection& c = db.db();
    c.addNew(physical("pEmployeegradeChange"))
        .set("egccompanyid", jc.company)
        .set("egcId", jc.id)
        .set("egcNo", jc.no)
        .set("egcDate", jc.date)
        .set("egcOldDesigID", jc.oldDesig)
        .set("egcOldGradeID", jc.oldGrade)
        .set("egcEmpID", jc.empId)
        .set("egcNewDesigID", jc.newDesig)
        .set("egcNewGradeID", jc.newGrade)
        .set("egcOldBasic", jc.oldBasic)
        .set("egcNewBasic", jc.newBasic)
        .set("egcremarks", "promotion")
        .set("egcCancelled", 0)
        .store();
    c.execute("update " + physical("pemployee") + " set eBasic = ?, eGradeID = ?, eDesigID = ? " +
                  "where eCompanyID = ? and eEmpID = ?",
              {jc.newBasic, jc.newGrade, jc.newDesig, jc.company, jc.empId});
    struct Kind {
        const std::vector<Line>& lines;
        QString gcTable, gcPrefix, gcTypeColumn, standingTable, prefix, typeColumn;
    };
    const Kind kinds[] = {
        {jc.allowances, physical("pempgcAllowance"), "egca", "egcaallowanceid",
         physical("pempallowances"), "ea", "eaallowanceid"},
        {jc.deductions, physical("pempgcdeductions"), "egcd", "egcddeductionid",
         physical("pempdeductions"), "ed", "eddeductionid"},
    };
    for (const Kind& k : kinds) {
        c.execute("delete from " + k.standingTable + " where " + k.prefix + "companyid = ? and " +
                      k.prefix + "empid = ?",
                  {jc.company, jc.empId});
        int position = 0;
        for (const Line& line : k.lines) {
            ++position;
            c.addNew(k.gcTable)
                .set(k.gcPrefix + "type", line.type)
                .set(k.gcPrefix + "companyid", jc.company)
                .set(k.gcPrefix + "gcid", jc.id)
                .set(k.gcPrefix + "detailid", position)
                .set(k.gcTypeColumn, line.typeId)
                .set(k.gcPrefix + "revamount", line.revAmount)
                .set(k.gcPrefix + "oldamount", line.oldAmount)
                .store();
            if (line.type == "R")
                continue;
            c.addNew(k.standingTable)
                .set(k.prefix + "companyid", jc.company)
                .set(k.prefix + "empid", jc.empId)
                .set(k.prefix + "detailid", position)
                .set(k.typeColumn, line.typeId)
                .set(k.prefix + "amount", line.revAmount)
                .store();
        }
    }
}

// Employee 7's promotion from Accounts Assistant (Junior) to Accountant (Associate): allowance 1
// raised, 2 kept as it was, 3 dropped, 4 added; deduction 1 dropped, 2 kept, 3 added.
inline JobChange promotion(int id = 33, const QString& no = "JC/33") {
    return JobChange{
        id,
        no,
        QDate(2026, 11, 1),
        7,
        2,
        1,
        1000.25,
        5,
        2,
        1500.5,
        {{1, 100, 150.75, "O"}, {2, 200, 200, "O"}, {3, 300.5, 0, "R"}, {4, 0, 60, "N"}},
        {{1, 50, 0, "R"}, {2, 25, 30, "O"}, {3, 0, 12.5, "N"}}};
}

// The employee's master row and the standing lines of every employee: what a cancellation
// must put back.
inline QMap<QString, QStringList> employees(const TestDatabase& db) {
    QMap<QString, QStringList> all = db.snapshot();
    QMap<QString, QStringList> kept;
    for (const QString& table :
         {physical("pemployee"), physical("pempallowances"), physical("pempdeductions")})
        kept.insert(table, all.value(table));
    return kept;
}

// The same, for one employee of company 1 only.
inline QMap<QString, QStringList> employee(const TestDatabase& db, int empId) {
    const QRegularExpression own(
        QStringLiteral("^e[a-z]?companyid=1\\|e[a-z]?empid=%1\\|").arg(empId));
    QMap<QString, QStringList> rows = employees(db);
    for (QStringList& table : rows)
        table = table.filter(own);
    return rows;
}

} // namespace jobchanges
