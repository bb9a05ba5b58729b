#include "jobchange/auditchanges.h"

#include "data/datetext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace jobchange {

namespace {

const QString kArrow = QStringLiteral(" \u2192 ");

enum class Shown { Text, Amount, Date, YesNo, Designation, Grade };

struct Field {
    const char* key;
    const char* caption;
    Shown shown;
};

// In the order the entry window shows them.
const Field kJobChangeFields[] = {
    {"number", "Job No", Shown::Text},
    {"date", "Job Date", Shown::Date},
    {"oldDesignation", "Old Job", Shown::Designation},
    {"oldGrade", "Old Grade", Shown::Grade},
    {"oldBasic", "Old Basic", Shown::Amount},
    {"newDesignation", "New Job", Shown::Designation},
    {"newGrade", "New Grade", Shown::Grade},
    {"newBasic", "New Basic", Shown::Amount},
    {"remarks", "Remarks", Shown::Text},
    {"cancelled", "Cancelled", Shown::YesNo},
    {"cancelledRemarks", "Cancellation reason", Shown::Text},
};
const Field kEmployeeFields[] = {
    {"designation", "Designation", Shown::Designation},
    {"grade", "Grade", Shown::Grade},
    {"basic", "Basic pay", Shown::Amount},
};
const char* const kLinesKey[] = {"allowances", "deductions"};

class Describer {
public:
    Describer(const AuditNames& names, const QLocale& locale) : names_(names), locale_(locale) {}

    QString amount(const QJsonValue& value) const {
        const QString text = value.toString();
        const data::MoneyParse parsed = data::parseMoney(text, QLocale::c());
        return parsed.value ? parsed.value->toLocaleString(locale_) : text;
    }

    QString value(const QJsonValue& value, Shown shown) const {
        if (value.isUndefined() || value.isNull())
            return {};
        switch (shown) {
        case Shown::Text:
            return value.toString();
        case Shown::Amount:
            return amount(value);
        case Shown::Date:
            return data::dateText(QDate::fromString(value.toString(), Qt::ISODate));
        case Shown::YesNo:
            return value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
        case Shown::Designation:
            return names_.designations.value(value.toInteger(), QString::number(value.toInteger()));
        case Shown::Grade:
            break;
        }
        return names_.grades.value(value.toInteger(), QString::number(value.toInteger()));
    }

    // Each field that differs: "Caption before → after", or "Caption after" when there was no
    // before (a new record), leaving out what is empty.
    template <size_t N>
    void fields(const Field (&list)[N], const QJsonObject& before, const QJsonObject& after,
                bool hadBefore, QStringList& out) const {
        for (const Field& field : list) {
            const QJsonValue a = after.value(QLatin1String(field.key));
            const QJsonValue b = before.value(QLatin1String(field.key));
            if (hadBefore && a == b)
                continue;
            const QString caption = QLatin1String(field.caption);
            const QString now = value(a, field.shown);
            if (!hadBefore) {
                if (!now.isEmpty() && !(field.shown == Shown::YesNo && !a.toBool()))
                    out << caption + QLatin1Char(' ') + now;
            } else {
                const QString then = value(b, field.shown);
                out << caption + QLatin1Char(' ') +
                           (then.isEmpty() ? QStringLiteral("(none)") : then) + kArrow +
                           (now.isEmpty() ? QStringLiteral("(none)") : now);
            }
        }
    }

    QString typeName(size_t kind, qint64 type) const {
        return names_.lineTypes[kind].value(type, QStringLiteral("type %1").arg(type));
    }

    // A job change's lines by type: "X added 2,000.00", "X 1,000.00 → 1,200.00",
    // "X removed (1,000.00)".
    void jobChangeLines(const QJsonObject& before, const QJsonObject& after,
                        QStringList& out) const {
        for (size_t kind = 0; kind < 2; ++kind) {
            const auto byType = [](const QJsonObject& object, const char* key) {
                std::map<qint64, QJsonObject> lines;
                for (const QJsonValue line : object.value(QLatin1String(key)).toArray())
                    lines.emplace(line[QStringLiteral("type")].toInteger(), line.toObject());
                return lines;
            };
            const auto then = byType(before, kLinesKey[kind]);
            const auto now = byType(after, kLinesKey[kind]);
            for (const auto& [type, line] : now) {
                const QString name = typeName(kind, type);
                const QString letter = line.value(QStringLiteral("letter")).toString();
                const QString oldAmount = amount(line.value(QStringLiteral("old")));
                const QString revised = amount(line.value(QStringLiteral("revised")));
                const auto found = then.find(type);
                if (found != then.end() && found->second == line)
                    continue;
                if (letter == QLatin1String("R"))
                    out << name + QStringLiteral(" removed (") + oldAmount + QLatin1Char(')');
                else if (found != then.end() &&
                         found->second.value(QStringLiteral("letter")).toString() !=
                             QLatin1String("R"))
                    out << name + QLatin1Char(' ') +
                               amount(found->second.value(QStringLiteral("revised"))) + kArrow +
                               revised;
                else if (letter == QLatin1String("N"))
                    out << name + QStringLiteral(" added ") + revised;
                else if (oldAmount != revised)
                    out << name + QLatin1Char(' ') + oldAmount + kArrow + revised;
            }
            for (const auto& [type, line] : then)
                if (!now.count(type))
                    out << typeName(kind, type) + QStringLiteral(" line taken out");
        }
    }

    // An employee's standing lines: "Standing X added 2,000.00", "... removed 2,000.00",
    // "... 1,000.00 → 1,200.00".
    void standingLines(const QJsonObject& before, const QJsonObject& after, bool hadBefore,
                       QStringList& out) const {
        for (size_t kind = 0; kind < 2; ++kind) {
            const auto byType = [](const QJsonObject& object, const char* key) {
                std::map<qint64, QString> lines;
                for (const QJsonValue line : object.value(QLatin1String(key)).toArray())
                    lines.emplace(line[QStringLiteral("type")].toInteger(),
                                  line[QStringLiteral("amount")].toString());
                return lines;
            };
            const auto then = byType(before, kLinesKey[kind]);
            const auto now = byType(after, kLinesKey[kind]);
            const QString standing = QStringLiteral("Standing ");
            for (const auto& [type, text] : now) {
                const auto found = then.find(type);
                if (!hadBefore)
                    out << standing + typeName(kind, type) + QLatin1Char(' ') + amount(text);
                else if (found == then.end())
                    out << standing + typeName(kind, type) + QStringLiteral(" added ") +
                               amount(text);
                else if (found->second != text)
                    out << standing + typeName(kind, type) + QLatin1Char(' ') +
                               amount(found->second) + kArrow + amount(text);
            }
            for (const auto& [type, text] : then)
                if (!now.count(type))
                    out << standing + typeName(kind, type) + QStringLiteral(" removed ") +
                               amount(text);
        }
    }

private:
    const AuditNames& names_;
    const QLocale& locale_;
};

QJsonObject objectOf(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

} // namespace

QStringList describeChanges(const AuditRow& row, const AuditNames& names, const QLocale& locale) {
    const Describer describer(names, locale);
    const QJsonObject before = objectOf(row.before);
    const QJsonObject after = objectOf(row.after);
    QStringList out;
    const QJsonObject jcAfter = after.value(QStringLiteral("jobChange")).toObject();
    if (!jcAfter.isEmpty()) {
        const QJsonObject jcBefore = before.value(QStringLiteral("jobChange")).toObject();
        describer.fields(kJobChangeFields, jcBefore, jcAfter, !jcBefore.isEmpty(), out);
        describer.jobChangeLines(jcBefore, jcAfter, out);
    }
    const QJsonObject empAfter = after.value(QStringLiteral("employee")).toObject();
    if (!empAfter.isEmpty()) {
        const QJsonObject empBefore = before.value(QStringLiteral("employee")).toObject();
        const bool hadBefore = before.contains(QStringLiteral("employee"));
        describer.fields(kEmployeeFields, empBefore, empAfter, hadBefore, out);
        describer.standingLines(empBefore, empAfter, hadBefore, out);
    }
    return out;
}

} // namespace jobchange
