#pragma once

#include <QDate>
#include <QString>

namespace data {

// How a date is shown to a person, in every window, picker, report and message alike: the short
// date format of the default locale (the system's, unless a host sets another), its year always
// in four digits. "30 Nov 2026" in the C locale, "30/11/2026" in British English.
QString dateFormat();
// The date in that format; empty for an invalid date.
QString dateText(const QDate& date);

} // namespace data
