#include "jobchange/employeehistory.h"

#include "data/connection.h"
#include "data/tablenames.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace jobchange {

namespace {

// Allowance and deduction lines differ only in these names.
struct LineTables {
    QString data::ResolvedTableNames::*changeLines; // the job change's lines
    QString data::ResolvedTableNames::*standing;    // the employee's standing lines
    QString data::ResolvedTableNames::*types;
    const char* change;          // column prefix of the job change's lines
    const char* changeTypeId;    // their type column
    const char* standingPrefix;  // column prefix of the standing lines
    const char* standingTypeId;  // their type column
    const char* typeId;          // the type table's key
    const char* typeCompany;     // and company
    const char* typeDescription; // and description
};

const LineTables& lineTables(LineKind kind) {
    static const LineTables allowances{&data::ResolvedTableNames::pempgcAllowance,
                                       &data::ResolvedTableNames::pempallowances,
                                       &data::ResolvedTableNames::pallowances,
                                       "egca",
                                       "egcaallowanceid",
                                       "ea",
                                       "eaallowanceid",
                                       "aAllowanceID",
                                       "aCompanyID",
                                       "aDescription"};
    static const LineTables deductions{&data::ResolvedTableNames::pempgcdeductions,
                                       &data::ResolvedTableNames::pempdeductions,
                                       &data::ResolvedTableNames::pdeductions,
                                       "egcd",
                                       "egcddeductionid",
                                       "ed",
                                       "eddeductionid",
                                       "dDedID",
                                       "dCompanyID",
                                       "dDescription"};
    return kind == LineKind::Allowance ? allowances : deductions;
}

constexpr LineKind kKinds[] = {LineKind::Allowance, LineKind::Deduction};

QString job(const QVariant& grade, const QVariant& designation) {
    return (data::textOf(grade) + QLatin1Char(' ') + data::textOf(designation)).trimmed();
}

// The statements. Every value is bound; an employee filter is added when one employee is read.
// The check of every employee needs no descriptions: there they are null, and not joined.
class HistoryStatements {
public:
    explicit HistoryStatements(const data::ResolvedTableNames& tables) : t_(tables) {}

    // Fields: see readHeader.
    QString headers(bool oneEmployee) const {
        QString sql = QStringLiteral("select h.egcId, h.egcEmpID, h.egcNo, h.egcDate, "
                                     "h.egcOldDesigID, h.egcOldGradeID, h.egcOldBasic, "
                                     "h.egcNewDesigID, h.egcNewGradeID, h.egcNewBasic, "
                                     "h.egcremarks, h.egcCancelled, h.egcCancelledRemarks, ");
        if (!oneEmployee)
            return sql + QStringLiteral("null, null, null, null from ") + t_.pEmployeegradeChange +
                   QStringLiteral(" h where h.egcCompanyID = ? order by h.egcEmpID, h.egcDate, "
                                  "h.egcId");
        return sql +
               QStringLiteral("og.gDescription, od.dDescription, ng.gDescription, "
                              "nd.dDescription from ") +
               t_.pEmployeegradeChange + QStringLiteral(" h left outer join ") + t_.pDesignation +
               QStringLiteral(" od on od.dCompanyID = h.egcCompanyID and od.dDesigID = "
                              "h.egcOldDesigID left outer join ") +
               t_.pGrades +
               QStringLiteral(" og on og.gCompanyid = h.egcCompanyID and og.gID = h.egcOldGradeID "
                              "left outer join ") +
               t_.pDesignation +
               QStringLiteral(" nd on nd.dCompanyID = h.egcCompanyID and nd.dDesigID = "
                              "h.egcNewDesigID left outer join ") +
               t_.pGrades +
               QStringLiteral(" ng on ng.gCompanyid = h.egcCompanyID and ng.gID = h.egcNewGradeID "
                              "where h.egcCompanyID = ? and h.egcEmpID = ? order by h.egcDate, "
                              "h.egcId");
    }

    // Fields: job change id, type id, description, old amount, revised amount, letter. One
    // employee's lines are those of the employee's job changes, picked by key (a join lets
    // SQLite scan every line of the company instead); binds: see changeLineBinds.
    QString changeLines(LineKind kind, bool oneEmployee) const {
        const LineTables& k = lineTables(kind);
        const auto c = [&k](const char* suffix) {
            return QStringLiteral("l.") + QLatin1String(k.change) + QLatin1String(suffix);
        };
        return QStringLiteral("select ") + c("gcid") + QStringLiteral(", l.") +
               QLatin1String(k.changeTypeId) +
               (oneEmployee ? QStringLiteral(", t.") + QLatin1String(k.typeDescription)
                            : QStringLiteral(", null")) +
               QStringLiteral(", ") + c("oldamount") + QStringLiteral(", ") + c("revamount") +
               QStringLiteral(", ") + c("type") + QStringLiteral(" from ") + t_.*k.changeLines +
               QStringLiteral(" l") +
               (oneEmployee
                    ? typeJoin(k, c("companyid"),
                               QStringLiteral("l.") + QLatin1String(k.changeTypeId)) +
                          QStringLiteral(" where ") + c("companyid") + QStringLiteral(" = ? and ") +
                          c("gcid") + QStringLiteral(" in (select h.egcId from ") +
                          t_.pEmployeegradeChange +
                          QStringLiteral(" h where h.egcCompanyID = ? and h.egcEmpID = ?)")
                    : QStringLiteral(" where ") + c("companyid") + QStringLiteral(" = ?")) +
               QStringLiteral(" order by ") + c("gcid") + QStringLiteral(", ") + c("detailid");
    }

    // Fields: employee id, number, name, designation, grade, basic, grade and designation
    // descriptions, currency symbol.
    QString employees(bool oneEmployee) const {
        return QStringLiteral("select e.eEmpID, e.eempno, e.eName, e.eDesigID, e.eGradeID, "
                              "e.eBasic, g.gDescription, d.dDescription, c.symbol from ") +
               t_.pemployee + QStringLiteral(" e left outer join ") + t_.pDesignation +
               QStringLiteral(
                   " d on d.dCompanyID = e.eCompanyID and d.dDesigID = e.eDesigID left outer "
                   "join ") +
               t_.pGrades +
               QStringLiteral(" g on g.gCompanyid = e.eCompanyID and g.gID = e.eGradeID left "
                              "outer join ") +
               t_.pcurrencymaster +
               QStringLiteral(" c on c.CompanyID = e.eCompanyID and c.CurrencyID = "
                              "e.ecurrencyid where e.eCompanyID = ?") +
               (oneEmployee ? QStringLiteral(" and e.eEmpID = ?") : QString()) +
               QStringLiteral(" order by e.eEmpID");
    }

    // Fields: employee id, type id, description, amount.
    QString standingLines(LineKind kind, bool oneEmployee) const {
        const LineTables& k = lineTables(kind);
        const auto c = [&k](const char* suffix) {
            return QStringLiteral("s.") + QLatin1String(k.standingPrefix) + QLatin1String(suffix);
        };
        return QStringLiteral("select ") + c("empid") + QStringLiteral(", s.") +
               QLatin1String(k.standingTypeId) + QStringLiteral(", t.") +
               QLatin1String(k.typeDescription) + QStringLiteral(", ") + c("amount") +
               QStringLiteral(" from ") + t_.*k.standing + QStringLiteral(" s") +
               typeJoin(k, c("companyid"), QStringLiteral("s.") + QLatin1String(k.standingTypeId)) +
               QStringLiteral(" where ") + c("companyid") + QStringLiteral(" = ?") +
               (oneEmployee ? QStringLiteral(" and ") + c("empid") + QStringLiteral(" = ?")
                            : QString()) +
               QStringLiteral(" order by ") + c("empid") + QStringLiteral(", ") + c("detailid");
    }

    QString employeeByNumber() const {
        return QStringLiteral("select eEmpID from ") + t_.pemployee +
               QStringLiteral(" where eCompanyID = ? and eempno = ? order by eEmpID");
    }

private:
    QString typeJoin(const LineTables& k, const QString& company, const QString& typeId) const {
        return QStringLiteral(" left outer join ") + t_.*k.types + QStringLiteral(" t on t.") +
               QLatin1String(k.typeCompany) + QStringLiteral(" = ") + company +
               QStringLiteral(" and t.") + QLatin1String(k.typeId) + QStringLiteral(" = ") + typeId;
    }

    const data::ResolvedTableNames& t_;
};

QVariantList binds(const HistorySource& source, std::optional<qint32> employeeId) {
    QVariantList values{static_cast<int>(source.company)};
    if (employeeId)
        values << *employeeId;
    return values;
}

QVariantList changeLineBinds(const HistorySource& source, qint32 employeeId) {
    return {static_cast<int>(source.company), static_cast<int>(source.company), employeeId};
}

JobChangeRecord readHeader(const data::Recordset& rs) {
    JobChangeRecord r;
    r.id = rs.field(0).toInt();
    r.employeeId = rs.field(1).toInt();
    r.number = rs.text(2);
    r.date = data::dateOf(rs.field(3));
    r.oldDesignationId = rs.field(4).toInt();
    r.oldGradeId = rs.field(5).toInt();
    r.oldBasic = centsOf(rs.field(6));
    r.newDesignationId = rs.field(7).toInt();
    r.newGradeId = rs.field(8).toInt();
    r.newBasic = centsOf(rs.field(9));
    r.remarks = rs.text(10);
    r.cancelled = rs.field(11).toInt() != 0;
    r.cancelledRemarks = rs.text(12);
    r.oldJob = job(rs.field(13), rs.field(14));
    r.newJob = job(rs.field(15), rs.field(16));
    return r;
}

LineRevision readRevision(const data::Recordset& rs) {
    LineRevision line;
    line.typeId = rs.field(1).toInt();
    line.description = rs.text(2);
    line.oldAmount = centsOf(rs.field(3));
    line.revisedAmount = centsOf(rs.field(4));
    const QString letter = rs.text(5).trimmed().toUpper();
    line.letter = letter.isEmpty() ? QChar() : letter.front();
    return line;
}

PayLine readStanding(const data::Recordset& rs) {
    return PayLine{rs.field(1).toInt(), rs.text(2), centsOf(rs.field(3))};
}

struct Employee {
    qint32 id = 0;
    QString number;
    QString name;
    QString currency;
    Pay master;
};

Employee readEmployee(const data::Recordset& rs) {
    Employee e;
    e.id = rs.field(0).toInt();
    e.number = rs.text(1);
    e.name = rs.text(2);
    e.master.designationId = rs.field(3).toInt();
    e.master.gradeId = rs.field(4).toInt();
    e.master.basic = centsOf(rs.field(5));
    e.master.job = job(rs.field(6), rs.field(7));
    e.currency = rs.text(8);
    return e;
}

// Which job change decides the pay, and on which side of it. Without a date: the latest
// uncancelled one, whatever its date.
struct Decision {
    size_t index = 0;
    bool after = false;
};

std::optional<Decision> decide(const std::vector<JobChangeRecord>& history,
                               const std::optional<QDate>& date) {
    if (history.empty())
        return std::nullopt;
    std::optional<size_t> lastInForce;
    std::optional<size_t> firstLater;
    for (size_t i = 0; i < history.size(); ++i) {
        if (history[i].cancelled)
            continue;
        if (!date || history[i].date <= *date)
            lastInForce = i;
        else if (!firstLater)
            firstLater = i;
    }
    if (lastInForce)
        return Decision{*lastInForce, true};
    return Decision{firstLater.value_or(0), false};
}

std::optional<PayInForce> payFrom(const std::vector<JobChangeRecord>& history,
                                  const std::optional<Decision>& decision) {
    if (!decision)
        return std::nullopt;
    const JobChangeRecord& record = history[decision->index];
    return PayInForce{decision->after ? record.payAfter() : record.payBefore(), decision->index,
                      decision->after};
}

using LineKey = std::tuple<qint32, Cents>;

std::vector<LineKey> sortedKeys(const std::vector<PayLine>& lines) {
    std::vector<LineKey> keys;
    keys.reserve(lines.size());
    for (const PayLine& line : lines)
        keys.emplace_back(line.typeId, line.amount);
    std::sort(keys.begin(), keys.end());
    return keys;
}

QString linesText(const std::vector<LineKey>& keys) {
    if (keys.empty())
        return QStringLiteral("none");
    QStringList parts;
    for (const auto& [type, amount] : keys)
        parts << QStringLiteral("%1:%2").arg(type).arg(amountText(amount));
    return parts.join(QLatin1Char(' '));
}

} // namespace

Cents centsOf(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return 0;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        // Decimal text (numeric columns through some drivers) is read digit by digit, exactly.
        const QString text = value.toString().trimmed();
        qsizetype i = 0;
        const bool negative = text.startsWith(QLatin1Char('-'));
        if (negative || text.startsWith(QLatin1Char('+')))
            ++i;
        Cents whole = 0;
        int decimals = -1;
        int roundingDigit = 0;
        bool exact = i < text.size();
        for (; i < text.size() && exact; ++i) {
            const QChar c = text[i];
            if (c == QLatin1Char('.') && decimals < 0) {
                decimals = 0;
            } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                const int digit = c.unicode() - '0';
                if (decimals < 0 || decimals < 2) {
                    whole = whole * 10 + digit;
                    if (decimals >= 0)
                        ++decimals;
                } else if (decimals == 2) {
                    roundingDigit = digit;
                    decimals = 3;
                }
                exact = whole < (Cents(1) << 52);
            } else {
                exact = false; // an exponent or anything else: read it as a number below
            }
        }
        if (exact) {
            for (int d = std::max(decimals, 0); d < 2; ++d)
                whole *= 10;
            if (roundingDigit >= 5)
                ++whole;
            return negative ? -whole : whole;
        }
    }
    return static_cast<Cents>(std::llround(value.toDouble() * 100.0));
}

QString amountText(Cents amount) {
    const Cents magnitude = amount < 0 ? -amount : amount;
    return (amount < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) +
           QLatin1Char('.') + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

LineRevision::Status LineRevision::status() const {
    if (letter == QLatin1Char('R'))
        return Status::Removed;
    if (letter == QLatin1Char('O'))
        return oldAmount == revisedAmount ? Status::Kept : Status::Revised;
    // Whatever else was stored for a checked line was a line added by the job change.
    return Status::Added;
}

QString statusText(LineRevision::Status status) {
    switch (status) {
    case LineRevision::Status::Kept:
        return QStringLiteral("Kept");
    case LineRevision::Status::Revised:
        return QStringLiteral("Revised");
    case LineRevision::Status::Added:
        return QStringLiteral("Added");
    case LineRevision::Status::Removed:
        return QStringLiteral("Removed");
    }
    return {};
}

namespace {

// The pay on one side of a job change: the job and basic given, and the lines standing on that
// side at that side's amounts.
Pay sidePay(const JobChangeRecord& change, Pay pay, bool after) {
    for (LineKind kind : kKinds) {
        for (const LineRevision& line : linesOf(change, kind)) {
            if (after ? line.standingAfter() : line.standingBefore())
                linesOf(pay, kind).push_back(
                    {line.typeId, line.description, after ? line.revisedAmount : line.oldAmount});
        }
    }
    return pay;
}

} // namespace

Pay JobChangeRecord::payBefore() const {
    return sidePay(*this, {oldDesignationId, oldGradeId, oldJob, oldBasic, {}, {}}, false);
}

Pay JobChangeRecord::payAfter() const {
    return sidePay(*this, {newDesignationId, newGradeId, newJob, newBasic, {}, {}}, true);
}

std::optional<PayInForce> payOn(const std::vector<JobChangeRecord>& history, const QDate& date) {
    return payFrom(history, decide(history, date));
}

std::optional<PayInForce> payByHistory(const std::vector<JobChangeRecord>& history) {
    return payFrom(history, decide(history, std::nullopt));
}

QStringList differences(const Pay& master, const Pay& history) {
    QStringList found;
    if (master.designationId != history.designationId || master.gradeId != history.gradeId)
        found << QStringLiteral("job %1/%2, history %3/%4")
                     .arg(master.designationId)
                     .arg(master.gradeId)
                     .arg(history.designationId)
                     .arg(history.gradeId);
    if (master.basic != history.basic)
        found << QStringLiteral("basic %1, history %2")
                     .arg(amountText(master.basic), amountText(history.basic));
    for (LineKind kind : kKinds) {
        const std::vector<LineKey> held = sortedKeys(linesOf(master, kind));
        const std::vector<LineKey> due = sortedKeys(linesOf(history, kind));
        if (held != due)
            found << QStringLiteral("%1 %2, history %3")
                         .arg(kind == LineKind::Allowance ? QStringLiteral("allowances")
                                                          : QStringLiteral("deductions"),
                              linesText(held), linesText(due));
    }
    return found;
}

std::optional<EmployeeHistory> loadEmployeeHistory(const HistorySource& source, qint32 employeeId) {
    const HistoryStatements sql(source.tables);
    const QVariantList values = binds(source, employeeId);
    EmployeeHistory history;
    {
        data::Recordset rs = source.connection.open(sql.employees(true), values);
        if (rs.eof())
            return std::nullopt;
        Employee e = readEmployee(rs);
        history.employeeId = e.id;
        history.employeeNo = e.number;
        history.name = e.name;
        history.currency = e.currency;
        history.master = std::move(e.master);
    }
    for (LineKind kind : kKinds) {
        for (data::Recordset rs = source.connection.open(sql.standingLines(kind, true), values);
             !rs.eof(); rs.moveNext())
            linesOf(history.master, kind).push_back(readStanding(rs));
    }
    QHash<qint32, size_t> indexOf;
    for (data::Recordset rs = source.connection.open(sql.headers(true), values); !rs.eof();
         rs.moveNext()) {
        history.changes.push_back(readHeader(rs));
        indexOf.insert(history.changes.back().id, history.changes.size() - 1);
    }
    for (LineKind kind : kKinds) {
        for (data::Recordset rs = source.connection.open(sql.changeLines(kind, true),
                                                         changeLineBinds(source, employeeId));
             !rs.eof(); rs.moveNext()) {
            const auto found = indexOf.constFind(rs.field(0).toInt());
            if (found != indexOf.constEnd())
                linesOf(history.changes[*found], kind).push_back(readRevision(rs));
        }
    }
    return history;
}

std::optional<qint32> findEmployeeByNumber(const HistorySource& source, const QString& employeeNo) {
    data::Recordset rs = source.connection.open(HistoryStatements(source.tables).employeeByNumber(),
                                                {static_cast<int>(source.company), employeeNo});
    if (rs.eof())
        return std::nullopt;
    return rs.field(0).toInt();
}

HistoryCheck checkHistory(const HistorySource& source) {
    const HistoryStatements sql(source.tables);
    const QVariantList values = binds(source, std::nullopt);

    // The job change that decides each employee's master, read one employee at a time.
    struct Decided {
        JobChangeRecord record;
        bool after = false;
    };
    std::map<qint32, Decided> decided;
    QHash<qint32, qint32> employeeOfChange;
    {
        std::vector<JobChangeRecord> history;
        const auto decideEmployee = [&]() {
            if (const std::optional<Decision> decision = decide(history, std::nullopt)) {
                JobChangeRecord& record = history[decision->index];
                employeeOfChange.insert(record.id, record.employeeId);
                decided[record.employeeId] = Decided{std::move(record), decision->after};
            }
            history.clear();
        };
        for (data::Recordset rs = source.connection.open(sql.headers(false), values); !rs.eof();
             rs.moveNext()) {
            JobChangeRecord record = readHeader(rs);
            if (!history.empty() && history.back().employeeId != record.employeeId)
                decideEmployee();
            history.push_back(std::move(record));
        }
        decideEmployee();
    }
    // Only the deciding job changes' lines are kept.
    for (LineKind kind : kKinds) {
        for (data::Recordset rs = source.connection.open(sql.changeLines(kind, false), values);
             !rs.eof(); rs.moveNext()) {
            const auto employee = employeeOfChange.constFind(rs.field(0).toInt());
            if (employee != employeeOfChange.constEnd())
                linesOf(decided[*employee].record, kind).push_back(readRevision(rs));
        }
    }

    std::map<qint32, Employee> masters;
    for (data::Recordset rs = source.connection.open(sql.employees(false), values); !rs.eof();
         rs.moveNext()) {
        const qint32 id = rs.field(0).toInt();
        if (decided.count(id))
            masters[id] = readEmployee(rs);
    }
    for (LineKind kind : kKinds) {
        for (data::Recordset rs = source.connection.open(sql.standingLines(kind, false), values);
             !rs.eof(); rs.moveNext()) {
            const auto master = masters.find(rs.field(0).toInt());
            if (master != masters.end())
                linesOf(master->second.master, kind).push_back(readStanding(rs));
        }
    }

    HistoryCheck check;
    check.employeesChecked = static_cast<int>(decided.size());
    std::vector<Disagreement>& found = check.disagreements;
    for (const auto& [employeeId, decision] : decided) {
        const Pay due = decision.after ? decision.record.payAfter() : decision.record.payBefore();
        const auto master = masters.find(employeeId);
        if (master == masters.end()) {
            found.push_back({employeeId, {}, {}, {QStringLiteral("no employee master")}});
            continue;
        }
        const QStringList differing = differences(master->second.master, due);
        if (!differing.isEmpty())
            found.push_back({employeeId, master->second.number, master->second.name, differing});
    }
    return check;
}

std::optional<QString> userName(const HistorySource& source) {
    data::Recordset user =
        source.connection.open(QStringLiteral("select username from ") + source.tables.pusers +
                                   QStringLiteral(" where companyid = ? and userid = ?"),
                               {static_cast<int>(source.company), static_cast<int>(source.user)});
    if (user.eof())
        return std::nullopt;
    return user.text(0).trimmed();
}

} // namespace jobchange
