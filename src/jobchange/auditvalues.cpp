#include "jobchange/auditvalues.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace jobchange {

namespace {

QJsonValue amountJson(const data::StoredAmount& amount) {
    return amount.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(amount.text());
}

const char* const kLinesKey[] = {"allowances", "deductions"};

// A JSON string's canonical text, quotes and escapes included: a quote, a backslash and every
// control character escaped (the short forms where JSON has one), everything else as it is.
void appendJsonString(QString& out, const QString& text) {
    out += QLatin1Char('"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u != u'"' && u != u'\\') {
            out += c;
            continue;
        }
        out += QLatin1Char('\\');
        switch (u) {
        case u'"':
        case u'\\':
            out += c;
            break;
        case u'\b':
            out += QLatin1Char('b');
            break;
        case u'\f':
            out += QLatin1Char('f');
            break;
        case u'\n':
            out += QLatin1Char('n');
            break;
        case u'\r':
            out += QLatin1Char('r');
            break;
        case u'\t':
            out += QLatin1Char('t');
            break;
        default:
            out += QStringLiteral("u%1").arg(static_cast<int>(u), 4, 16, QLatin1Char('0'));
        }
    }
    out += QLatin1Char('"');
}

QString jsonId(qint64 id) {
    return id == 0 ? QStringLiteral("null") : QString::number(id);
}

} // namespace

QString canonicalJson(const QJsonObject& object) {
    // QJsonObject keeps its keys sorted, and the compact form has no blanks.
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject employeeJson(const EmployeeState& employee) {
    QJsonObject object;
    object.insert(QStringLiteral("basic"), amountJson(employee.basic));
    object.insert(QStringLiteral("designation"), employee.designationId);
    object.insert(QStringLiteral("grade"), employee.gradeId);
    for (LineKind kind : kLineKinds) {
        std::vector<const StandingLine*> lines;
        for (const StandingLine& line : employee.linesOf(kind))
            lines.push_back(&line);
        std::sort(lines.begin(), lines.end(), [](const StandingLine* a, const StandingLine* b) {
            return std::pair(a->typeId, a->amount.text()) < std::pair(b->typeId, b->amount.text());
        });
        QJsonArray array;
        for (const StandingLine* line : lines)
            array.append(QJsonObject{{QStringLiteral("amount"), amountJson(line->amount)},
                                     {QStringLiteral("type"), line->typeId}});
        object.insert(QLatin1String(kLinesKey[static_cast<int>(kind)]), array);
    }
    return object;
}

QJsonObject jobChangeJson(const StoredJobChange& jc) {
    QJsonObject object{
        {QStringLiteral("id"), jc.id},
        {QStringLiteral("number"), jc.number},
        {QStringLiteral("date"), jc.date.toString(Qt::ISODate)},
        {QStringLiteral("employee"), jc.employeeId},
        {QStringLiteral("oldDesignation"), jc.oldDesignationId},
        {QStringLiteral("oldGrade"), jc.oldGradeId},
        {QStringLiteral("oldBasic"), amountJson(jc.oldBasic)},
        {QStringLiteral("newDesignation"), jc.newDesignationId},
        {QStringLiteral("newGrade"), jc.newGradeId},
        {QStringLiteral("newBasic"), amountJson(jc.newBasic)},
        {QStringLiteral("remarks"), jc.remarks},
        {QStringLiteral("cancelled"), jc.cancelled},
        {QStringLiteral("cancelledRemarks"), jc.cancelledRemarks},
    };
    for (LineKind kind : kLineKinds) {
        std::vector<const StoredLine*> lines;
        for (const StoredLine& line : jc.linesOf(kind))
            lines.push_back(&line);
        std::sort(lines.begin(), lines.end(), [](const StoredLine* a, const StoredLine* b) {
            return std::tuple(a->typeId, a->letter, a->oldAmount.text(), a->revisedAmount.text()) <
                   std::tuple(b->typeId, b->letter, b->oldAmount.text(), b->revisedAmount.text());
        });
        QJsonArray array;
        for (const StoredLine* line : lines)
            array.append(QJsonObject{{QStringLiteral("letter"), line->letter},
                                     {QStringLiteral("type"), line->typeId},
                                     {QStringLiteral("old"), amountJson(line->oldAmount)},
                                     {QStringLiteral("revised"), amountJson(line->revisedAmount)}});
        object.insert(QLatin1String(kLinesKey[static_cast<int>(kind)]), array);
    }
    return object;
}

QJsonObject stateJson(const EmployeeState& employee, const StoredJobChange* jobChange) {
    QJsonObject object;
    object.insert(QStringLiteral("employee"),
                  employee.found ? QJsonValue(employeeJson(employee)) : QJsonValue());
    if (jobChange)
        object.insert(QStringLiteral("jobChange"), jobChangeJson(*jobChange));
    return object;
}

QString employeePart(const QString& stateText) {
    // The usual shape, {"employee":{...},"jobChange":...}, is cut without parsing: the
    // employee's object holds no text that could contain the key that follows it.
    static const QString head = QStringLiteral("{\"employee\":");
    static const QString next = QStringLiteral(",\"jobChange\":");
    if (stateText.startsWith(head)) {
        const qsizetype end = stateText.indexOf(next, head.size());
        return stateText.mid(head.size(), (end < 0 ? stateText.size() - 1 : end) - head.size());
    }
    const QJsonValue employee =
        QJsonDocument::fromJson(stateText.toUtf8()).object().value(QStringLiteral("employee"));
    if (employee.isObject())
        return canonicalJson(employee.toObject());
    return employee.isNull() && stateText.contains(QLatin1String("\"employee\":null"))
               ? QStringLiteral("null")
               : QString();
}

QString AuditRow::canonicalText() const {
    // Built by hand, keys in sorted order: a million rows are checked at a time.
    QString out;
    out.reserve(before.size() + after.size() + remark.size() + 320);
    const auto key = [&out](const char* name) { out += QLatin1String(name); };
    const auto state = [&out](const QString& text) {
        out += text.isEmpty() ? QStringLiteral("null") : text;
    };
    key("{\"action\":");
    appendJsonString(out, action);
    key(",\"after\":");
    state(after);
    key(",\"before\":");
    state(before);
    key(",\"company\":");
    out += QString::number(companyId);
    key(",\"computer\":");
    appendJsonString(out, computer);
    key(",\"employee\":");
    out += jsonId(employeeId);
    key(",\"jobChange\":");
    out += jsonId(jobChangeId);
    key(",\"number\":");
    appendJsonString(out, number);
    key(",\"osUser\":");
    appendJsonString(out, osUser);
    key(",\"remark\":");
    appendJsonString(out, remark);
    key(",\"seq\":");
    out += QString::number(seq);
    key(",\"time\":");
    appendJsonString(out, time);
    key(",\"user\":");
    out += QString::number(userId);
    key(",\"userName\":");
    appendJsonString(out, userName);
    out += QLatin1Char('}');
    return out;
}

QString AuditRow::computedHash() const {
    return QString::fromLatin1(
        QCryptographicHash::hash((canonicalText() + prevHash).toUtf8(), QCryptographicHash::Sha256)
            .toHex());
}

} // namespace jobchange
