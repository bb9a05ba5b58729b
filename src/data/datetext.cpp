#include "data/datetext.h"

#include <QLocale>
#include <QRegularExpression>

namespace data {

QString dateFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    // A two-digit year would show a slip such as 9999-12-31 as 31/12/99, and a picker could not
    // leave its century.
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(twoDigitYear, QStringLiteral("yyyy"));
    return format;
}

QString dateText(const QDate& date) {
    return date.isValid() ? QLocale().toString(date, dateFormat()) : QString();
}

} // namespace data
