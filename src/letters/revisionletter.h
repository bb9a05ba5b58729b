#pragma once

#include "jobchange/letterreads.h"
#include "report/engine.h"
#include "report/templatenames.h"

#include <QDate>
#include <QString>

// A revision letter: the letter an employee gets after a job change, stating the old and new
// job, basic pay and lines. Its layout and wording are a template the company edits; the
// program gives the values.

namespace letters {

// The names a letter template may use: in [layout], and in [footer] also page and pages.
const report::TemplateNames& letterNames();

// The values of one letter dated letterDate: amounts grouped with two decimals, dates as
// "1 January 2027", and what is absent empty.
report::TemplateValues letterValues(const jobchange::LetterJobChange& letter,
                                    const QDate& letterDate);

// The change from the old to the new amount: "1,375.00", "-500.00"; "—" when either is not an
// amount a clerk may enter.
QString increaseAmount(const data::StoredAmount& oldAmount, const data::StoredAmount& newAmount);
// The change as a percentage of the old amount, two decimals, halves away from zero: "5.00%";
// "—" when the old amount is 0.00 or either is not an amount a clerk may enter.
QString increasePercent(const data::StoredAmount& oldAmount, const data::StoredAmount& newAmount);

// The template that ships: letters/revision-letter.tpl of the data folder.
QString defaultLetterTemplate();

// Reads a letter template: the report file format with its [report] settings, [layout] and
// [footer], and no queries or parameters, since a letter's values come from the program.
// Raises data::DbError naming the file for one that is missing or malformed, or that uses a
// name the program does not give.
report::ReportFile loadLetterTemplate(const QString& path);

} // namespace letters
