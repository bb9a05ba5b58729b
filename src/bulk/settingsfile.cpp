#include "bulk/settingsfile.h"

#include "export/ownerfile.h"

#include <map>

namespace bulk {

namespace {

const std::map<QString, QStringList>& knownKeys() {
    static const std::map<QString, QStringList> keys = {
        {QStringLiteral("employees"), {"designation", "grade", "currency", "search"}},
        {QStringLiteral("change"), {"date", "remarks", "basic", "rounding", "designation"}},
        {QStringLiteral("line"), {"kind", "type", "change", "add_where_missing"}},
    };
    return keys;
}

[[noreturn]] void fail(int line, const QString& problem) {
    throw SettingsError(QStringLiteral("line %1: %2").arg(line).arg(problem));
}

class Section {
public:
    Section(QString name, int line) : name_(std::move(name)), line_(line) {}

    const QString& name() const { return name_; }

    void add(const QString& key, const QString& value, int line) {
        if (!knownKeys().at(name_).contains(key))
            fail(line, QStringLiteral("[%1] has no key \"%2\"").arg(name_, key));
        if (!values_.emplace(key, Value{value, line}).second)
            fail(line, QStringLiteral("[%1] %2 is given twice").arg(name_, key));
    }

    // The value, or nothing when the key is absent or left empty.
    std::optional<QString> text(const QString& key) const {
        const auto found = values_.find(key);
        if (found == values_.end() || found->second.text.isEmpty())
            return std::nullopt;
        return found->second.text;
    }

    QString required(const QString& key) const {
        if (const std::optional<QString> value = text(key))
            return *value;
        fail(line_, QStringLiteral("[%1] %2 is missing").arg(name_, key));
    }

    [[noreturn]] void refuse(const QString& key, const QString& problem) const {
        const auto found = values_.find(key);
        fail(
            found == values_.end() ? line_ : found->second.line,
            QStringLiteral("[%1] %2: \"%3\" %4")
                .arg(name_, key, found == values_.end() ? QString() : found->second.text, problem));
    }

    std::optional<qint32> id(const QString& key) const {
        const std::optional<QString> value = text(key);
        if (!value)
            return std::nullopt;
        bool ok = false;
        const qint32 number = value->toInt(&ok);
        if (!ok || number <= 0)
            refuse(key, QStringLiteral("is not an id (a whole number above 0)"));
        return number;
    }

private:
    struct Value {
        QString text;
        int line;
    };
    QString name_;
    int line_;
    std::map<QString, Value> values_;
};

std::vector<Section> readSections(const QString& text) {
    std::vector<Section> sections;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2).trimmed().toLower();
            if (!knownKeys().contains(name))
                fail(number, QStringLiteral("unknown section [%1]; use [employees], [change] or "
                                            "[line]")
                                 .arg(name));
            if (name != QLatin1String("line"))
                for (const Section& earlier : sections)
                    if (earlier.name() == name)
                        fail(number, QStringLiteral("[%1] is given twice").arg(name));
            sections.emplace_back(name, number);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            fail(number, QStringLiteral("expected key = value or [section]"));
        if (sections.empty())
            fail(number, QStringLiteral("a key before any [section]"));
        sections.back().add(line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed(),
                            number);
    }
    return sections;
}

// "unchanged", "drop", "=1500", "+1000", "+5%", "-2.5%".
Adjustment adjustmentOf(const Section& section, const QString& key, bool forBasic) {
    const QString text = section.text(key).value_or(QString());
    const auto amount = [&](const QString& digits) {
        const data::MoneyParse parsed = data::parseMoney(digits, QLocale::c());
        if (!parsed.value)
            section.refuse(key, QStringLiteral("holds no amount from 0.00 to 999,999,999,999.99"));
        return *parsed.value;
    };
    Adjustment adjustment;
    if (forBasic &&
        (text.isEmpty() || text.compare(QLatin1String("unchanged"), Qt::CaseInsensitive) == 0))
        return adjustment;
    if (text.isEmpty())
        section.required(key);
    if (!forBasic && text.compare(QLatin1String("drop"), Qt::CaseInsensitive) == 0) {
        adjustment.mode = Mode::Drop;
    } else if (text.endsWith(QLatin1Char('%'))) {
        const std::optional<Percent> percent = Percent::parse(text);
        if (!percent)
            section.refuse(key, QStringLiteral("is not a percent from -100% to 1000% with at "
                                               "most four decimals"));
        adjustment = {Mode::PlusPercent, *percent, {}};
    } else if (text.startsWith(QLatin1Char('='))) {
        adjustment = {Mode::SetTo, {}, amount(text.mid(1))};
    } else if (text.startsWith(QLatin1Char('+'))) {
        adjustment = {Mode::PlusAmount, {}, amount(text.mid(1))};
    } else {
        section.refuse(key, forBasic ? QStringLiteral("is not unchanged, +5%, +1000 or =25000")
                                     : QStringLiteral("is not +5%, +1000, =1500 or drop"));
    }
    return adjustment;
}

void readEmployees(const Section& section, Filters& filters) {
    filters.designationId = section.id(QStringLiteral("designation"));
    filters.gradeId = section.id(QStringLiteral("grade"));
    filters.currency = section.text(QStringLiteral("currency")).value_or(QString());
    filters.search = section.text(QStringLiteral("search")).value_or(QString());
}

void readChange(const Section& section, Rules& rules) {
    const QString date = section.required(QStringLiteral("date"));
    rules.date = QDate::fromString(date, Qt::ISODate);
    if (!rules.date.isValid())
        section.refuse(QStringLiteral("date"), QStringLiteral("is not a date as 2027-01-31"));
    rules.remarks = section.text(QStringLiteral("remarks")).value_or(QString());
    rules.basic = adjustmentOf(section, QStringLiteral("basic"), true);
    if (const std::optional<QString> rounding = section.text(QStringLiteral("rounding"))) {
        const std::optional<Rounding> step = parseRounding(*rounding);
        if (!step)
            section.refuse(QStringLiteral("rounding"), QStringLiteral("is not 0.01, 1, 10 or 100"));
        rules.rounding = *step;
    }
    if (const std::optional<qint32> designation = section.id(QStringLiteral("designation")))
        rules.newJob = NewJob{*designation, QString()};
}

LineRule readLine(const Section& section) {
    LineRule rule;
    const QString kind = section.required(QStringLiteral("kind")).toLower();
    if (kind == QLatin1String("allowance"))
        rule.kind = LineKind::Allowance;
    else if (kind == QLatin1String("deduction"))
        rule.kind = LineKind::Deduction;
    else
        section.refuse(QStringLiteral("kind"), QStringLiteral("is not allowance or deduction"));
    section.required(QStringLiteral("type"));
    rule.typeId = *section.id(QStringLiteral("type"));
    rule.adjustment = adjustmentOf(section, QStringLiteral("change"), false);
    const QString add = section.text(QStringLiteral("add_where_missing")).value_or("no").toLower();
    if (add == QLatin1String("yes") || add == QLatin1String("true") || add == QLatin1String("1"))
        rule.addWhereMissing = true;
    else if (add != QLatin1String("no") && add != QLatin1String("false") &&
             add != QLatin1String("0"))
        section.refuse(QStringLiteral("add_where_missing"), QStringLiteral("is not yes or no"));
    if (rule.addWhereMissing && rule.adjustment.mode != Mode::SetTo)
        section.refuse(QStringLiteral("add_where_missing"),
                       QStringLiteral("needs a change that sets an amount (=1500)"));
    return rule;
}

} // namespace

BulkSettings parseBulkSettings(const QString& text) {
    BulkSettings settings;
    bool hasChange = false;
    for (const Section& section : readSections(text)) {
        if (section.name() == QLatin1String("employees")) {
            readEmployees(section, settings.filters);
        } else if (section.name() == QLatin1String("change")) {
            readChange(section, settings.rules);
            hasChange = true;
        } else {
            settings.rules.lines.push_back(readLine(section));
        }
    }
    if (!hasChange)
        throw SettingsError(QStringLiteral("[change] is missing: it gives at least the date"));
    if (const QString problem = rulesProblem(settings.rules); !problem.isEmpty())
        throw SettingsError(problem);
    return settings;
}

BulkSettings readBulkSettings(const QString& path) {
    QByteArray text;
    try {
        text = tableexport::readSmallFile(path, kMaxSettingsFileBytes);
    } catch (const tableexport::FileError& error) {
        throw SettingsError(error.message());
    }
    try {
        return parseBulkSettings(QString::fromUtf8(text));
    } catch (const SettingsError& error) {
        throw SettingsError(path + QStringLiteral(": ") + error.message());
    }
}

} // namespace bulk
