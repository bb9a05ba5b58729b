#include "letters/revisionletter.h"

#include "report/jobchange.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace letters {

namespace {

const QString kDash = QStringLiteral("\u2014");

QString dateText(const QDate& date) {
    return date.isValid() ? QLocale(QLocale::English).toString(date, QStringLiteral("d MMMM yyyy"))
                          : QString();
}

// Stored text as a letter may print it: a carriage return (of text stored from Windows) is a
// line break; any other control character but a tab shows as a replacement mark rather than
// acting on the page.
QString shown(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\r'))
            c = QLatin1Char('\n');
        else if (c.category() == QChar::Other_Control && c != QLatin1Char('\n') &&
                 c != QLatin1Char('\t'))
            c = QChar::ReplacementCharacter;
    return text;
}

std::optional<qint64> centsOf(const data::StoredAmount& amount) {
    if (const std::optional<data::Money> money = amount.money())
        return money->cents();
    return std::nullopt;
}

QString lineChange(const jobchange::LetterLine& line) {
    if (line.letter == QLatin1String("N"))
        return QStringLiteral("Added");
    if (line.letter == QLatin1String("R"))
        return QStringLiteral("Removed");
    return line.oldAmount == line.revisedAmount ? QStringLiteral("Kept")
                                                : QStringLiteral("Revised");
}

} // namespace

const report::TemplateNames& letterNames() {
    static const report::TemplateNames names{
        {QStringLiteral("date"), QStringLiteral("employee_name"), QStringLiteral("employee_no"),
         QStringLiteral("job_change_no"), QStringLiteral("job_date"),
         QStringLiteral("old_designation"), QStringLiteral("old_grade"),
         QStringLiteral("new_designation"), QStringLiteral("new_grade"),
         QStringLiteral("job_changed"), QStringLiteral("old_basic"), QStringLiteral("new_basic"),
         QStringLiteral("increase"), QStringLiteral("increase_percent"), QStringLiteral("currency"),
         QStringLiteral("currency_symbol"), QStringLiteral("remarks"), QStringLiteral("has_lines")},
        {{QStringLiteral("lines"),
          {{QStringLiteral("kind"), QStringLiteral("type"), QStringLiteral("old"),
            QStringLiteral("new"), QStringLiteral("currency"), QStringLiteral("currency_symbol"),
            QStringLiteral("change")},
           {}}}}};
    return names;
}

QString increaseAmount(const data::StoredAmount& oldAmount, const data::StoredAmount& newAmount) {
    const std::optional<qint64> from = centsOf(oldAmount);
    const std::optional<qint64> to = centsOf(newAmount);
    if (!from || !to)
        return kDash;
    const qint64 change = *to - *from;
    const QString magnitude = data::Money::fromCents(change < 0 ? -change : change)
                                  ->toLocaleString(QLocale(QLocale::English));
    return change < 0 ? QLatin1Char('-') + magnitude : magnitude;
}

QString increasePercent(const data::StoredAmount& oldAmount, const data::StoredAmount& newAmount) {
    const std::optional<qint64> from = centsOf(oldAmount);
    const std::optional<qint64> to = centsOf(newAmount);
    if (!from || !to || *from == 0)
        return kDash;
    // Hundredths of a percent, in whole numbers: the change of at most 10^14 cents times 10^4
    // stays within 64 bits.
    const qint64 scaled = (*to - *from) * 10000;
    qint64 hundredths = scaled / *from;
    const qint64 rest = scaled % *from;
    if (2 * (rest < 0 ? -rest : rest) >= *from)
        hundredths += scaled < 0 ? -1 : 1;
    const qint64 magnitude = hundredths < 0 ? -hundredths : hundredths;
    return QStringLiteral("%1%2.%3%")
        .arg(hundredths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

report::TemplateValues letterValues(const jobchange::LetterJobChange& letter,
                                    const QDate& letterDate) {
    const jobchange::StoredJobChange& stored = letter.stored;
    report::TemplateValues values;
    values.texts = {
        {QStringLiteral("date"), dateText(letterDate)},
        {QStringLiteral("employee_name"), shown(letter.employeeName)},
        {QStringLiteral("employee_no"), shown(letter.employeeNo)},
        {QStringLiteral("job_change_no"), shown(stored.number.trimmed())},
        {QStringLiteral("job_date"), dateText(stored.date)},
        {QStringLiteral("old_designation"), shown(letter.oldDesignation)},
        {QStringLiteral("old_grade"), shown(letter.oldGrade)},
        {QStringLiteral("new_designation"), shown(letter.newDesignation)},
        {QStringLiteral("new_grade"), shown(letter.newGrade)},
        {QStringLiteral("old_basic"), report::amountText(stored.oldBasic)},
        {QStringLiteral("new_basic"), report::amountText(stored.newBasic)},
        {QStringLiteral("increase"), increaseAmount(stored.oldBasic, stored.newBasic)},
        {QStringLiteral("increase_percent"), increasePercent(stored.oldBasic, stored.newBasic)},
        {QStringLiteral("currency"), shown(letter.currency)},
        {QStringLiteral("currency_symbol"), shown(letter.symbol)},
        {QStringLiteral("remarks"), shown(stored.remarks.trimmed())},
    };
    values.flags = {
        {QStringLiteral("job_changed"), stored.oldDesignationId != stored.newDesignationId ||
                                            stored.oldGradeId != stored.newGradeId},
        {QStringLiteral("has_lines"), !letter.lines.empty()},
    };
    std::vector<report::TemplateValues>& lines = values.lists[QStringLiteral("lines")];
    for (const jobchange::LetterLine& line : letter.lines) {
        report::TemplateValues& row = lines.emplace_back();
        const bool added = line.letter == QLatin1String("N");
        const bool removed = line.letter == QLatin1String("R");
        row.texts = {
            {QStringLiteral("kind"), line.kind == LineKind::Allowance
                                         ? QStringLiteral("Allowance")
                                         : QStringLiteral("Deduction")},
            {QStringLiteral("type"), shown(line.type)},
            {QStringLiteral("old"), added ? QString() : report::amountText(line.oldAmount)},
            {QStringLiteral("new"), removed ? QString() : report::amountText(line.revisedAmount)},
            {QStringLiteral("currency"), shown(line.currency)},
            {QStringLiteral("currency_symbol"), shown(line.symbol)},
            {QStringLiteral("change"), lineChange(line)},
        };
    }
    return values;
}

QString defaultLetterTemplate() {
    return report::dataFile(QStringLiteral("letters/revision-letter.tpl"));
}

report::ReportFile loadLetterTemplate(const QString& path) {
    const QString shownPath = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        throw data::DbError(
            data::kErrGeneric, QStringLiteral("ReportFile"),
            QStringLiteral("The letter template %1 cannot be found.").arg(shownPath));
    report::ReportFile file = report::ReportFile::load(path);
    if (!file.queries.empty() || !file.parameters.empty())
        throw data::DbError(data::kErrGeneric, QStringLiteral("ReportFile"),
                            QStringLiteral("%1: a letter template has no [query] or [parameters] "
                                           "sections; the program gives its values.")
                                .arg(shownPath));
    if (file.name.isEmpty())
        file.name = QStringLiteral("Revision Letter");
    report::checkTemplateNames(file.layout, letterNames(), path, file.layoutFirstLine);
    report::TemplateNames footerNames = letterNames();
    footerNames.names << QStringLiteral("page") << QStringLiteral("pages");
    report::checkTemplateNames(file.footer, footerNames, path, file.footerFirstLine);
    return file;
}

} // namespace letters
