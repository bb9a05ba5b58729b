#include "jobchange/auditvalues.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <memory>
#include <openssl/evp.h>

namespace jobchange {

namespace {

QJsonValue amountJson(const data::StoredAmount& amount) {
    return amount.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(amount.text());
}

const char* const kLinesKey[] = {"allowances", "deductions"};

// A JSON string's canonical text in UTF-8, quotes and escapes included: a quote, a backslash
// and every control character escaped (the short forms where JSON has one), everything else as
// it is. Bytes of a multi-byte character are all 0x80 or above, so each is copied.
void appendJsonString(QByteArray& out, QByteArrayView text) {
    out += '"';
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        if (u >= 0x20 && u != '"' && u != '\\')
            continue;
        out.append(text.data() + plain, i - plain);
        plain = i + 1;
        out += '\\';
        switch (u) {
        case '"':
        case '\\':
            out += static_cast<char>(u);
            break;
        case '\b':
            out += 'b';
            break;
        case '\f':
            out += 'f';
            break;
        case '\n':
            out += 'n';
            break;
        case '\r':
            out += 'r';
            break;
        case '\t':
            out += 't';
            break;
        default:
            static const char hex[] = "0123456789abcdef";
            out += "u00";
            out += hex[u >> 4];
            out += hex[u & 0xf];
        }
    }
    out.append(text.data() + plain, text.size() - plain);
    out += '"';
}

QByteArray jsonId(qint64 id) {
    return id == 0 ? QByteArray("null") : QByteArray::number(id);
}

// An amount's JSON as QJsonDocument writes it, when its text needs no escape: null or the
// decimal in quotes.
bool appendAmount(QByteArray& out, const data::StoredAmount& amount) {
    if (amount.isNull()) {
        out += "null";
        return true;
    }
    const QString text = amount.text();
    for (const QChar c : text)
        if (!(c.isDigit() && c.unicode() < 0x80) && c != u'.' && c != u'-')
            return false;
    out += '"';
    out += text.toLatin1();
    out += '"';
    return true;
}

// A job change's lines in the order its JSON lists them: by type, letter and amounts.
std::vector<const StoredLine*> sortedLines(const std::vector<StoredLine>& lines) {
    std::vector<const StoredLine*> sorted;
    for (const StoredLine& line : lines)
        sorted.push_back(&line);
    std::sort(sorted.begin(), sorted.end(), [](const StoredLine* a, const StoredLine* b) {
        return std::tuple(a->typeId, a->letter, a->oldAmount.text(), a->revisedAmount.text()) <
               std::tuple(b->typeId, b->letter, b->oldAmount.text(), b->revisedAmount.text());
    });
    return sorted;
}

// A text QJsonDocument writes as it stands: printable ASCII without a quote or a backslash.
bool appendPlainString(QByteArray& out, const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == u'"' || c == u'\\')
            return false;
    out += '"';
    out += text.toLatin1();
    out += '"';
    return true;
}

// The job change's object as jobChangeJson gives it, keys in sorted order; false where a text
// or an amount would need QJsonDocument's own escapes.
bool appendJobChange(QByteArray& out, const StoredJobChange& jc) {
    bool plain = true;
    const auto lines = [&](LineKind kind) {
        const std::vector<const StoredLine*> sorted = sortedLines(jc.linesOf(kind));
        out += '[';
        for (const StoredLine* line : sorted) {
            if (line != sorted.front())
                out += ',';
            out += "{\"letter\":";
            plain = plain && appendPlainString(out, line->letter);
            out += ",\"old\":";
            plain = plain && appendAmount(out, line->oldAmount);
            out += ",\"revised\":";
            plain = plain && appendAmount(out, line->revisedAmount);
            out += ",\"type\":";
            out += QByteArray::number(line->typeId);
            out += '}';
        }
        out += ']';
    };
    out += "{\"allowances\":";
    lines(LineKind::Allowance);
    out += jc.cancelled ? ",\"cancelled\":true" : ",\"cancelled\":false";
    out += ",\"cancelledRemarks\":";
    plain = plain && appendPlainString(out, jc.cancelledRemarks);
    out += ",\"date\":";
    plain = plain && appendPlainString(out, jc.date.toString(Qt::ISODate));
    out += ",\"deductions\":";
    lines(LineKind::Deduction);
    out += ",\"employee\":";
    out += QByteArray::number(jc.employeeId);
    out += ",\"id\":";
    out += QByteArray::number(jc.id);
    out += ",\"newBasic\":";
    plain = plain && appendAmount(out, jc.newBasic);
    out += ",\"newDesignation\":";
    out += QByteArray::number(jc.newDesignationId);
    out += ",\"newGrade\":";
    out += QByteArray::number(jc.newGradeId);
    out += ",\"number\":";
    plain = plain && appendPlainString(out, jc.number);
    out += ",\"oldBasic\":";
    plain = plain && appendAmount(out, jc.oldBasic);
    out += ",\"oldDesignation\":";
    out += QByteArray::number(jc.oldDesignationId);
    out += ",\"oldGrade\":";
    out += QByteArray::number(jc.oldGradeId);
    out += ",\"remarks\":";
    plain = plain && appendPlainString(out, jc.remarks);
    out += '}';
    return plain;
}

} // namespace

QString stateText(const EmployeeState& employee, const StoredJobChange* jobChange) {
    QByteArray out;
    out.reserve(1024);
    out += "{\"employee\":";
    out += employee.found ? employeeText(employee) : QByteArray("null");
    if (jobChange) {
        out += ",\"jobChange\":";
        if (!appendJobChange(out, *jobChange))
            return canonicalJson(stateJson(employee, jobChange));
    }
    out += '}';
    return QString::fromUtf8(out);
}

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

QByteArray employeeText(const EmployeeState& employee) {
    QByteArray out;
    out.reserve(64 +
                32 * static_cast<qsizetype>(employee.lines[0].size() + employee.lines[1].size()));
    bool plain = true;
    out += "{";
    for (LineKind kind : kLineKinds) {
        if (kind == LineKind::Deduction) {
            out += "\"basic\":";
            plain = plain && appendAmount(out, employee.basic);
            out += ',';
        }
        std::vector<const StandingLine*> lines;
        for (const StandingLine& line : employee.linesOf(kind))
            lines.push_back(&line);
        std::sort(lines.begin(), lines.end(), [](const StandingLine* a, const StandingLine* b) {
            return std::pair(a->typeId, a->amount.text()) < std::pair(b->typeId, b->amount.text());
        });
        out += '"';
        out += kLinesKey[static_cast<int>(kind)];
        out += "\":[";
        for (const StandingLine* line : lines) {
            if (line != lines.front())
                out += ',';
            out += "{\"amount\":";
            plain = plain && appendAmount(out, line->amount);
            out += ",\"type\":";
            out += QByteArray::number(line->typeId);
            out += '}';
        }
        out += "]";
        if (kind == LineKind::Allowance)
            out += ',';
    }
    out += ",\"designation\":";
    out += QByteArray::number(employee.designationId);
    out += ",\"grade\":";
    out += QByteArray::number(employee.gradeId);
    out += '}';
    // An amount stored as something other than a number is written as QJsonDocument escapes it.
    return plain ? out : canonicalJson(employeeJson(employee)).toUtf8();
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
        QJsonArray array;
        for (const StoredLine* line : sortedLines(jc.linesOf(kind)))
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

QByteArrayView employeePart(QByteArrayView stateText, QByteArray& scratch) {
    static constexpr QByteArrayView head("{\"employee\":");
    static constexpr QByteArrayView next(",\"jobChange\":");
    if (stateText.startsWith(head)) {
        const qsizetype end = stateText.indexOf(next, head.size());
        return stateText.sliced(head.size(), (end < 0 ? stateText.size() - 1 : end) - head.size());
    }
    scratch = employeePart(QString::fromUtf8(stateText)).toUtf8();
    return scratch;
}

AuditStatesAt appendHashedText(QByteArray& out, const AuditRowView& row) {
    // Built by hand, keys in sorted order: a million rows are checked at a time.
    const auto state = [&out](QByteArrayView text) {
        const qsizetype at = text.isEmpty() ? -1 : out.size();
        out += text.isEmpty() ? QByteArrayView("null") : text;
        return at;
    };
    AuditStatesAt at;
    out += "{\"action\":";
    appendJsonString(out, row.action);
    out += ",\"after\":";
    at.after = state(row.after);
    out += ",\"before\":";
    at.before = state(row.before);
    out += ",\"company\":";
    out += QByteArray::number(row.companyId);
    out += ",\"computer\":";
    appendJsonString(out, row.computer);
    out += ",\"employee\":";
    out += jsonId(row.employeeId);
    out += ",\"jobChange\":";
    out += jsonId(row.jobChangeId);
    out += ",\"number\":";
    appendJsonString(out, row.number);
    out += ",\"osUser\":";
    appendJsonString(out, row.osUser);
    out += ",\"remark\":";
    appendJsonString(out, row.remark);
    out += ",\"seq\":";
    out += QByteArray::number(row.seq);
    out += ",\"time\":";
    appendJsonString(out, row.time);
    out += ",\"user\":";
    out += QByteArray::number(row.userId);
    out += ",\"userName\":";
    appendJsonString(out, row.userName);
    out += '}';
    out += row.prevHash;
    return at;
}

QByteArray sha256Hex(QByteArrayView bytes) {
    // libcrypto's SHA-256 uses the processor's own instructions where it has them: the check
    // hashes every row of the trail. The digest is looked up once, not on each call, where
    // threads hashing at once would take turns at libcrypto's lock.
    static EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    thread_local const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(),
                                                                                  &EVP_MD_CTX_free);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!sha256 || !context || EVP_DigestInit_ex(context.get(), sha256, nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), static_cast<size_t>(bytes.size())) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest, &size) != 1)
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    return QByteArray::fromRawData(reinterpret_cast<const char*>(digest), int(size)).toHex();
}

QString AuditRow::computedHash() const {
    const QByteArray texts[] = {
        time.toUtf8(),   userName.toUtf8(), computer.toUtf8(), osUser.toUtf8(), action.toUtf8(),
        number.toUtf8(), before.toUtf8(),   after.toUtf8(),    remark.toUtf8(), prevHash.toUtf8()};
    AuditRowView view;
    view.companyId = companyId;
    view.seq = seq;
    view.userId = userId;
    view.jobChangeId = jobChangeId;
    view.employeeId = employeeId;
    view.time = texts[0];
    view.userName = texts[1];
    view.computer = texts[2];
    view.osUser = texts[3];
    view.action = texts[4];
    view.number = texts[5];
    view.before = texts[6];
    view.after = texts[7];
    view.remark = texts[8];
    view.prevHash = texts[9];
    QByteArray text;
    text.reserve(before.size() + after.size() + remark.size() + 400);
    appendHashedText(text, view);
    return QString::fromLatin1(sha256Hex(text));
}

} // namespace jobchange
