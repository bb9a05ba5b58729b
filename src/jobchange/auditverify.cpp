#include "jobchange/auditverify.h"

#include "jobchange/auditreads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <future>
#include <thread>
#include <unordered_map>
#include <vector>

namespace jobchange {

std::optional<AuditHead> AuditHead::parse(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([0-9a-fA-F]{64}):([0-9]{1,18})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return AuditHead{match.captured(1).toLower(), match.captured(2).toLongLong()};
}

namespace {

QString rowName(const AuditRow& row, const AuditNames& names) {
    QStringList what{row.action};
    if (!row.number.isEmpty())
        what << row.number;
    if (row.employeeId != 0)
        what << QStringLiteral("employee ") +
                    names.employees.value(row.employeeId).number.trimmed();
    what << row.time;
    return QStringLiteral("audit row %1 (%2)").arg(row.seq).arg(what.join(QStringLiteral(", ")));
}

// A state's pay in the form the history check prints: "basic 35000.00", "job 5/2",
// "allowances 1:2000.00 3:500.00".
QStringList payParts(const QString& employeeText) {
    const QJsonObject employee = QJsonDocument::fromJson(employeeText.toUtf8()).object();
    if (employee.isEmpty())
        return {QStringLiteral("no employee"), {}, {}, {}};
    QStringList parts{QStringLiteral("basic ") + employee.value(QStringLiteral("basic")).toString(),
                      QStringLiteral("job %1/%2")
                          .arg(employee.value(QStringLiteral("designation")).toInteger())
                          .arg(employee.value(QStringLiteral("grade")).toInteger())};
    for (const char* key : {"allowances", "deductions"}) {
        QStringList lines;
        for (const QJsonValue line : employee.value(QLatin1String(key)).toArray())
            lines << QStringLiteral("%1:%2")
                         .arg(line[QStringLiteral("type")].toInteger())
                         .arg(line[QStringLiteral("amount")].toString());
        parts << QLatin1String(key) + QLatin1Char(' ') +
                     (lines.isEmpty() ? QStringLiteral("none") : lines.join(QLatin1Char(' ')));
    }
    return parts;
}

// Whether each row's contents give its stored hash, the rows shared among the processors.
std::vector<char> hashesHold(const std::vector<AuditRow>& rows) {
    std::vector<char> holds(rows.size());
    const size_t workers = std::max(1u, std::thread::hardware_concurrency());
    const auto part = [&](size_t first) {
        for (size_t i = first; i < rows.size(); i += workers)
            holds[i] = rows[i].computedHash() == rows[i].hash;
    };
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(part, w);
    part(0);
    for (std::thread& thread : threads)
        thread.join();
    return holds;
}

QString payDifference(const QString& now, const QString& audited) {
    const QStringList a = payParts(now);
    const QStringList b = payParts(audited);
    QStringList differences;
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            differences << QStringLiteral("%1, audited %2").arg(a[i], b[i].section(' ', 1));
    return differences.join(QStringLiteral("; "));
}

} // namespace

AuditVerification verifyAudit(const WorkspacePtr& workspace,
                              const std::optional<AuditHead>& recorded) {
    const AuditReads reads(workspace);
    if (!reads.installed())
        throw data::DbError(data::kErrGeneric, QStringLiteral("verifyAudit"),
                            QStringLiteral("This payroll database has no audit trail: linktable "
                                           "names no table for paudittrail."));
    // Names are only wanted for what is found: read once, when first needed.
    std::optional<AuditNames> read;
    const auto names = [&]() -> const AuditNames& {
        if (!read)
            read = reads.names();
        return *read;
    };
    AuditVerification result;
    // What the trail last saw of each employee's pay, and the row that saw it.
    struct Seen {
        QString employee;
        qint64 seq = 0;
    };
    std::unordered_map<qint32, Seen> seen;
    QSet<qint32> changedBetween;
    // Where the chain last broke: a row seen before it is no measure of the rows after.
    qint64 trustedFrom = 0;
    qint64 lastSeq = 0;
    QString lastHash = kFirstPrevHash;
    QString hashThen; // of the row the recorded head ends at
    const auto check = [&](const AuditRow& row, bool hashHolds) {
        if (row.seq != lastSeq + 1 || row.prevHash != lastHash)
            trustedFrom = row.seq;
        if (row.seq > lastSeq + 1)
            result.problems << (row.seq == lastSeq + 2
                                    ? QStringLiteral("audit row %1 was removed outside the program")
                                          .arg(lastSeq + 1)
                                    : QStringLiteral("audit rows %1 to %2 were removed outside "
                                                     "the program")
                                          .arg(lastSeq + 1)
                                          .arg(row.seq - 1));
        else if (row.prevHash != lastHash)
            result.problems << QStringLiteral("%1 does not follow row %2: a row before it was "
                                              "changed, inserted or removed outside the program")
                                   .arg(rowName(row, names()))
                                   .arg(lastSeq);
        if (!hashHolds)
            result.problems << QStringLiteral("%1 was changed or inserted outside the program: "
                                              "its contents do not give its hash")
                                   .arg(rowName(row, names()));
        lastSeq = row.seq;
        lastHash = row.hash;
        if (++result.head.count == (recorded ? recorded->count : -1))
            hashThen = row.hash;
        if (row.employeeId == 0)
            return;
        Seen& last = seen[row.employeeId];
        if (!row.before.isEmpty() && last.seq >= trustedFrom && last.seq != 0 &&
            !changedBetween.contains(row.employeeId)) {
            const QString before = employeePart(row.before);
            if (!before.isEmpty() && before != last.employee) {
                changedBetween.insert(row.employeeId);
                const EmployeeName who = names().employees.value(row.employeeId);
                result.employees << QStringLiteral("%1 %2 (employee %3): pay changed outside the "
                                                   "program between audit rows %4 and %5: %6")
                                        .arg(who.number.trimmed(), who.name.trimmed())
                                        .arg(row.employeeId)
                                        .arg(last.seq)
                                        .arg(row.seq)
                                        .arg(payDifference(before, last.employee));
            }
        }
        if (!row.after.isEmpty()) {
            const QString after = employeePart(row.after);
            if (!after.isEmpty())
                last = {after, row.seq};
        }
    };
    // Each row's hash depends on its own fields alone, so batches are hashed on other threads
    // while the next batch is read; the chain itself is followed here, in order.
    constexpr size_t kBatch = 4096;
    std::vector<AuditRow> reading;
    std::vector<AuditRow> hashing;
    std::future<std::vector<char>> hashed;
    const auto settle = [&] {
        if (!hashed.valid())
            return;
        const std::vector<char> holds = hashed.get();
        for (size_t i = 0; i < hashing.size(); ++i)
            check(hashing[i], holds[i] != 0);
        hashing.clear();
    };
    const auto handOver = [&] {
        settle();
        hashing.swap(reading);
        hashed = std::async(std::launch::async, [&rows = hashing] { return hashesHold(rows); });
    };
    reads.forEachRow([&](const AuditRow& row) {
        reading.push_back(row);
        if (reading.size() == kBatch)
            handOver();
    });
    handOver();
    settle();
    result.head.hash = result.head.count == 0 ? QString() : lastHash;

    if (recorded) {
        if (result.head.count < recorded->count)
            result.problems << QStringLiteral("%1 audit rows are missing from the end: the head "
                                              "recorded has %2 rows, the trail %3")
                                   .arg(recorded->count - result.head.count)
                                   .arg(recorded->count)
                                   .arg(result.head.count);
        // The recorded head's row must still carry the recorded hash.
        else if (recorded->count > 0 && hashThen != recorded->hash)
            result.problems << QStringLiteral("audit row %1 does not carry the hash of the head "
                                              "recorded: the trail up to it was rewritten "
                                              "outside the program")
                                   .arg(recorded->count);
    }

    if (seen.empty())
        return result;
    for (const auto& [id, employee] : reads.employeeStates()) {
        const auto found = seen.find(id);
        if (found == seen.end())
            continue;
        const QString now = canonicalJson(employeeJson(employee));
        if (now == found->second.employee)
            continue;
        const EmployeeName who = names().employees.value(id);
        result.employees << QStringLiteral("%1 %2 (employee %3): pay changed outside the program "
                                           "since audit row %4: %5")
                                .arg(who.number.trimmed(), who.name.trimmed())
                                .arg(id)
                                .arg(found->second.seq)
                                .arg(payDifference(now, found->second.employee));
    }
    return result;
}

} // namespace jobchange
