#include "jobchange/auditverify.h"

#include "jobchange/auditreads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <array>
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

// A row read, as the chain's walk needs it; its texts live in the batch that holds it.
struct ReadRow {
    qint64 seq = 0;
    qint32 employeeId = 0;
    qsizetype textAt = 0; // what its hash is taken over, in Batch::text
    qsizetype textSize = 0;
    qsizetype beforeAt = -1; // its states, within that text
    qsizetype beforeSize = 0;
    qsizetype afterAt = -1;
    qsizetype afterSize = 0;
    // Its stored hash, previous hash, action, number and time, one after another in Batch::side.
    qsizetype sideAt = 0;
    std::array<qsizetype, 5> sideSizes{};
};

// Rows read end to end in two buffers, so that a million rows cost no allocation each.
struct Batch {
    QByteArray text;
    QByteArray side;
    std::vector<ReadRow> rows;

    void add(const AuditRowView& view) {
        ReadRow& row = rows.emplace_back();
        row.seq = view.seq;
        row.employeeId = view.employeeId;
        row.textAt = text.size();
        const AuditStatesAt at = appendHashedText(text, view);
        row.textSize = text.size() - row.textAt;
        row.beforeAt = at.before;
        row.beforeSize = view.before.size();
        row.afterAt = at.after;
        row.afterSize = view.after.size();
        row.sideAt = side.size();
        const QByteArrayView sideTexts[] = {view.hash, view.prevHash, view.action, view.number,
                                            view.time};
        for (size_t i = 0; i < std::size(sideTexts); ++i) {
            side += sideTexts[i];
            row.sideSizes[i] = sideTexts[i].size();
        }
    }
    void clear() {
        text.clear();
        side.clear();
        rows.clear();
    }
    enum Side { Hash, PrevHash, Action, Number, Time };
    QByteArrayView sideOf(const ReadRow& row, Side which) const {
        qsizetype at = row.sideAt;
        for (int i = 0; i < which; ++i)
            at += row.sideSizes[static_cast<size_t>(i)];
        return QByteArrayView(side).sliced(at, row.sideSizes[static_cast<size_t>(which)]);
    }
    QByteArrayView hashed(const ReadRow& row) const {
        return QByteArrayView(text).sliced(row.textAt, row.textSize);
    }
    QByteArrayView before(const ReadRow& row) const {
        return row.beforeAt < 0 ? QByteArrayView()
                                : QByteArrayView(text).sliced(row.beforeAt, row.beforeSize);
    }
    QByteArrayView after(const ReadRow& row) const {
        return row.afterAt < 0 ? QByteArrayView()
                               : QByteArrayView(text).sliced(row.afterAt, row.afterSize);
    }
};

QString rowName(const Batch& batch, const ReadRow& row, const AuditNames& names) {
    QStringList what{QString::fromUtf8(batch.sideOf(row, Batch::Action))};
    if (const QByteArrayView number = batch.sideOf(row, Batch::Number); !number.isEmpty())
        what << QString::fromUtf8(number);
    if (row.employeeId != 0)
        what << QStringLiteral("employee ") +
                    names.employees.value(row.employeeId).number.trimmed();
    what << QString::fromUtf8(batch.sideOf(row, Batch::Time));
    return QStringLiteral("audit row %1 (%2)").arg(row.seq).arg(what.join(QStringLiteral(", ")));
}

// A state's pay in the form the history check prints: "basic 35000.00", "job 5/2",
// "allowances 1:2000.00 3:500.00".
QStringList payParts(QByteArrayView employeeText) {
    const QJsonObject employee = QJsonDocument::fromJson(employeeText.toByteArray()).object();
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
std::vector<char> hashesHold(const Batch& batch) {
    std::vector<char> holds(batch.rows.size());
    const size_t workers = std::max(1u, std::thread::hardware_concurrency());
    const auto part = [&](size_t first) {
        for (size_t i = first; i < batch.rows.size(); i += workers)
            holds[i] =
                sha256Hex(batch.hashed(batch.rows[i])) == batch.sideOf(batch.rows[i], Batch::Hash);
    };
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(part, w);
    part(0);
    for (std::thread& thread : threads)
        thread.join();
    return holds;
}

QString payDifference(QByteArrayView now, QByteArrayView audited) {
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
    // The trail and the employees as of one moment: a save between the two reads would look
    // like a change made outside the program.
    const data::ReadSnapshot snapshot(workspace->db());
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
        QByteArray employee;
        qint64 seq = 0;
    };
    std::unordered_map<qint32, Seen> seen;
    QSet<qint32> changedBetween;
    // Where the chain last broke: a row seen before it is no measure of the rows after.
    qint64 trustedFrom = 0;
    qint64 lastSeq = 0;
    QByteArray lastHash = kFirstPrevHash.toLatin1();
    QString hashThen; // of the row the recorded head ends at
    QByteArray scratch;
    const auto check = [&](const Batch& batch, const ReadRow& row, bool hashHolds) {
        const QByteArrayView prevHash = batch.sideOf(row, Batch::PrevHash);
        if (row.seq != lastSeq + 1 || prevHash != lastHash)
            trustedFrom = row.seq;
        if (row.seq > lastSeq + 1)
            result.problems << (row.seq == lastSeq + 2
                                    ? QStringLiteral("audit row %1 was removed outside the program")
                                          .arg(lastSeq + 1)
                                    : QStringLiteral("audit rows %1 to %2 were removed outside "
                                                     "the program")
                                          .arg(lastSeq + 1)
                                          .arg(row.seq - 1));
        else if (prevHash != lastHash)
            result.problems << QStringLiteral("%1 does not follow row %2: a row before it was "
                                              "changed, inserted or removed outside the program")
                                   .arg(rowName(batch, row, names()))
                                   .arg(lastSeq);
        if (!hashHolds)
            result.problems << QStringLiteral("%1 was changed or inserted outside the program: "
                                              "its contents do not give its hash")
                                   .arg(rowName(batch, row, names()));
        lastSeq = row.seq;
        lastHash = batch.sideOf(row, Batch::Hash).toByteArray();
        ++result.head.count;
        // By number, not by count: a row removed earlier in the trail must not move the head.
        if (row.seq == (recorded ? recorded->count : -1))
            hashThen = QString::fromUtf8(lastHash);
        if (row.employeeId == 0)
            return;
        Seen& last = seen[row.employeeId];
        if (row.beforeAt >= 0 && last.seq >= trustedFrom && last.seq != 0 &&
            !changedBetween.contains(row.employeeId)) {
            const QByteArrayView before = employeePart(batch.before(row), scratch);
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
        if (row.afterAt >= 0) {
            const QByteArrayView after = employeePart(batch.after(row), scratch);
            if (!after.isEmpty()) {
                // Most writes leave the pay as the row before saw it: no copy then.
                if (after != last.employee)
                    last.employee = after.toByteArray();
                last.seq = row.seq;
            }
        }
    };
    // Each row's hash depends on its own fields alone, so batches are hashed on other threads
    // while the next batch is read; the chain itself is followed here, in order.
    constexpr size_t kBatch = 4096;
    Batch reading;
    Batch hashing;
    std::future<std::vector<char>> hashed;
    const auto settle = [&] {
        if (!hashed.valid())
            return;
        const std::vector<char> holds = hashed.get();
        for (size_t i = 0; i < hashing.rows.size(); ++i)
            check(hashing, hashing.rows[i], holds[i] != 0);
        hashing.clear();
    };
    const auto handOver = [&] {
        settle();
        std::swap(hashing, reading);
        hashed = std::async(std::launch::async, [&batch = hashing] { return hashesHold(batch); });
    };
    reads.forEachRow([&](const AuditRowView& row) {
        reading.add(row);
        if (reading.rows.size() == kBatch)
            handOver();
    });
    handOver();
    settle();
    result.head.hash = result.head.count == 0 ? QString() : QString::fromUtf8(lastHash);

    if (recorded) {
        if (lastSeq < recorded->count)
            result.problems << QStringLiteral("%1 audit rows are missing from the end: the head "
                                              "recorded has %2 rows, the trail %3")
                                   .arg(recorded->count - lastSeq)
                                   .arg(recorded->count)
                                   .arg(lastSeq);
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
        const QByteArray now = employeeText(employee);
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
