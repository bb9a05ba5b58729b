#pragma once

// The test company of the entry window, the service and the unit of work, and drafts of it.

#include "data/money.h"
#include "jobchange/jobchangedraft.h"
#include "support/testdb.h"

#include <QLocale>

// Company 1, process date 2003-02-14, prefix "JC": Asha (1), a Clerk (Junior) on 20000 Rs with
// House Rent 5000, Conveyance 800 and Provident Fund 1200; Bruno (2), an Officer (Senior) on
// 3000 $ with Medical 300 (in $) and Income Tax 100; Chen (3), inactive; Dina (4), a Typist (an
// inactive designation) on 15000 Rs without lines.
inline void insertTestCompany(const TestDatabase& db) {
    db.insert("pcurrencymaster", {"1, 1, 'Rupee', 'Rs'", "1, 2, 'US Dollar', '$'"});
    db.insert("pGrades", {"1, 1, 'Junior'", "2, 1, 'Senior'"});
    db.insert("pDesignation",
              {"1, 1, 1, 'Clerk', 1", "2, 1, 2, 'Officer', 1", "3, 1, 1, 'Typist', 0"});
    db.insert("pallowances",
              {"1, 1, 'House Rent', 1, 1", "2, 1, 'Conveyance', 1, 1", "3, 1, 'Medical', 2, 1"});
    db.insert("pdeductions", {"1, 1, 'Provident Fund', 1, 1", "2, 1, 'Income Tax', 1, 1"});
    db.insert("pemployee",
              {"1, 1, 'E001', 'Asha', 1, 1, 20000, 1, 1", "1, 2, 'E002', 'Bruno', 2, 2, 3000, 2, 1",
               "1, 3, 'E003', 'Chen', 1, 1, 18000, 1, 0",
               "1, 4, 'E004', 'Dina', 3, 1, 15000, 1, 1"});
    db.insert("pempallowances", {"1, 1, 1, 1, 5000", "1, 1, 2, 2, 800", "1, 2, 1, 3, 300"});
    db.insert("pempdeductions", {"1, 1, 1, 1, 1200", "1, 2, 1, 2, 100"});
    db.insert("pPrefix", {"1, 91004, 'JC'"});
}

// An amount written as in C: "1500.50".
inline data::Money money(const char* text) {
    return data::parseMoney(QString::fromLatin1(text), QLocale::c()).value.value();
}

// A line of a draft, in whole amounts.
inline jobchange::DraftLine line(qint64 type, char letter, qint64 oldAmount, qint64 revised) {
    return {type, QLatin1Char(letter), data::Money::fromCents(oldAmount * 100).value(),
            data::Money::fromCents(revised * 100).value()};
}

// Asha, a Clerk on 20000, to Officer at 1500.50 on the process date: House Rent raised to 5500,
// Conveyance dropped, Medical added; Provident Fund kept.
inline jobchange::JobChangeDraft ashaPromoted() {
    jobchange::JobChangeDraft draft;
    draft.employeeId = 1;
    draft.oldDesignationId = 1;
    draft.newDesignationId = 2;
    draft.oldBasic = money("20000");
    draft.newBasic = money("1500.50");
    draft.date = QDate(2003, 2, 14);
    draft.remarks = QStringLiteral("Promoted");
    draft.linesOf(LineKind::Allowance) = {line(1, 'O', 5000, 5500), line(2, 'R', 800, 800),
                                          line(3, 'N', 0, 300)};
    draft.linesOf(LineKind::Deduction) = {line(1, 'O', 1200, 1200)};
    return draft;
}
