#include "jobchange/employeehistory.h"

#include "data/connection.h"
#include "data/dialect.h"
#include "data/rowstream.h"
#include "data/tablenames.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <span>
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

// The statements of one employee's history. Every value is bound.
class HistoryStatements {
public:
    explicit HistoryStatements(const data::ResolvedTableNames& tables) : t_(tables) {}

    // Fields: see readHeader.
    QString headers() const {
        return QStringLiteral("select h.egcId, h.egcEmpID, h.egcNo, h.egcDate, "
                              "h.egcOldDesigID, h.egcOldGradeID, h.egcOldBasic, "
                              "h.egcNewDesigID, h.egcNewGradeID, h.egcNewBasic, "
                              "h.egcremarks, h.egcCancelled, h.egcCancelledRemarks, "
                              "og.gDescription, od.dDescription, ng.gDescription, "
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

    // Fields: job change id, type id, description, old amount, revised amount, letter. The
    // employee's job changes' lines, picked by key (a join lets SQLite scan every line of the
    // company instead); binds: see changeLineBinds.
    QString changeLines(LineKind kind) const {
        const LineTables& k = lineTables(kind);
        const auto c = [&k](const char* suffix) {
            return QStringLiteral("l.") + QLatin1String(k.change) + QLatin1String(suffix);
        };
        return QStringLiteral("select ") + c("gcid") + QStringLiteral(", l.") +
               QLatin1String(k.changeTypeId) + QStringLiteral(", t.") +
               QLatin1String(k.typeDescription) + QStringLiteral(", ") + c("oldamount") +
               QStringLiteral(", ") + c("revamount") + QStringLiteral(", ") + c("type") +
               QStringLiteral(" from ") + t_.*k.changeLines + QStringLiteral(" l") +
               typeJoin(k, c("companyid"), QStringLiteral("l.") + QLatin1String(k.changeTypeId)) +
               QStringLiteral(" where ") + c("companyid") + QStringLiteral(" = ? and ") +
               c("gcid") + QStringLiteral(" in (select h.egcId from ") + t_.pEmployeegradeChange +
               QStringLiteral(" h where h.egcCompanyID = ? and h.egcEmpID = ?) order by ") +
               c("gcid") + QStringLiteral(", ") + c("detailid");
    }

    // Fields: employee id, number, name, designation, grade, basic, grade and designation
    // descriptions, currency symbol.
    QString employee() const {
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
                              "e.ecurrencyid where e.eCompanyID = ? and e.eEmpID = ?");
    }

    // Fields: employee id, type id, description, amount.
    QString standingLines(LineKind kind) const {
        const LineTables& k = lineTables(kind);
        const auto c = [&k](const char* suffix) {
            return QStringLiteral("s.") + QLatin1String(k.standingPrefix) + QLatin1String(suffix);
        };
        return QStringLiteral("select ") + c("empid") + QStringLiteral(", s.") +
               QLatin1String(k.standingTypeId) + QStringLiteral(", t.") +
               QLatin1String(k.typeDescription) + QStringLiteral(", ") + c("amount") +
               QStringLiteral(" from ") + t_.*k.standing + QStringLiteral(" s") +
               typeJoin(k, c("companyid"), QStringLiteral("s.") + QLatin1String(k.standingTypeId)) +
               QStringLiteral(" where ") + c("companyid") + QStringLiteral(" = ? and ") +
               c("empid") + QStringLiteral(" = ? order by ") + c("detailid");
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

QVariantList binds(const HistorySource& source, qint32 employeeId) {
    return {static_cast<int>(source.company), employeeId};
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
        data::Recordset rs = source.connection.open(sql.employee(), values);
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
        for (data::Recordset rs = source.connection.open(sql.standingLines(kind), values);
             !rs.eof(); rs.moveNext())
            linesOf(history.master, kind).push_back(readStanding(rs));
    }
    QHash<qint32, size_t> indexOf;
    for (data::Recordset rs = source.connection.open(sql.headers(), values); !rs.eof();
         rs.moveNext()) {
        history.changes.push_back(readHeader(rs));
        indexOf.insert(history.changes.back().id, history.changes.size() - 1);
    }
    for (LineKind kind : kKinds) {
        for (data::Recordset rs =
                 source.connection.open(sql.changeLines(kind), changeLineBinds(source, employeeId));
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

namespace {

// The check of every employee, in a few statements over the whole company, each read once in an
// order the database has at hand: the job changes' keys in the index's employee and date order,
// from which each employee's deciding one is picked (the latest uncancelled one, or the first
// when every one is cancelled); then only the deciding ones and their lines, by key; then the
// masters and standing lines. The company is the program's own number, written in; the deciding
// ids are bound.
class CheckStatements {
public:
    CheckStatements(const data::ResolvedTableNames& tables, const data::Dialect& dialect,
                    qint16 company)
        : t_(tables), dialect_(dialect), company_(QString::number(company)) {}

    // Fields: employee, job change, cancelled; each employee's in date order, then by id. A
    // server sends only each employee's deciding job change, picked from the index in one pass:
    // date and id make one number whose maximum among the uncancelled ones is the latest, whose
    // minimum is the first (dates ordered as the server orders them, none last).
    QString keys() const {
        if (dialect_.kind() == data::Dialect::Kind::Postgres)
            return QStringLiteral(
                       "select egcEmpID, (coalesce(latest, first) & 4294967295) - 2147483648, "
                       "case when latest is null then 1 else 0 end from (select egcEmpID, max(k) "
                       "filter (where coalesce(egcCancelled, 0) = 0) as latest, min(k) as first "
                       "from (select egcEmpID, egcCancelled, (coalesce(egcDate - date "
                       "'1900-01-01', 2147483647)::bigint << 32) + egcId + 2147483648 as k from ") +
                   t_.pEmployeegradeChange + QStringLiteral(" where egcCompanyID = ") + company_ +
                   QStringLiteral(") j group by egcEmpID) g order by egcEmpID");
        return QStringLiteral("select egcEmpID, egcId, egcCancelled from ") +
               t_.pEmployeegradeChange + QStringLiteral(" where egcCompanyID = ") + company_ +
               QStringLiteral(" order by egcEmpID, egcDate, egcId");
    }

    // The deciding job changes. Fields: id; old designation, grade and basic; new ones.
    QString deciding() const {
        return QStringLiteral("select h.egcId, h.egcOldDesigID, h.egcOldGradeID, h.egcOldBasic, "
                              "h.egcNewDesigID, h.egcNewGradeID, h.egcNewBasic from ") +
               t_.pEmployeegradeChange + QStringLiteral(" h where h.egcCompanyID = ") + company_ +
               QStringLiteral(" and ") + dialect_.inBoundNumbers(QStringLiteral("h.egcId"));
    }

    // The deciding job changes' lines. Fields: job change, type, old amount, revised amount,
    // letter.
    QString lines(LineKind kind) const {
        const LineTables& k = lineTables(kind);
        const auto c = [&k](const char* suffix) {
            return QStringLiteral("l.") + QLatin1String(k.change) + QLatin1String(suffix);
        };
        return QStringLiteral("select ") + c("gcid") + QStringLiteral(", l.") +
               QLatin1String(k.changeTypeId) + QStringLiteral(", ") + c("oldamount") +
               QStringLiteral(", ") + c("revamount") + QStringLiteral(", ") + c("type") +
               QStringLiteral(" from ") + t_.*k.changeLines + QStringLiteral(" l where ") +
               c("companyid") + QStringLiteral(" = ") + company_ + QStringLiteral(" and ") +
               dialect_.inBoundNumbers(c("gcid"));
    }

    // Fields: employee, number, name, designation, grade, basic.
    QString masters() const {
        return QStringLiteral("select eEmpID, eempno, eName, eDesigID, eGradeID, eBasic from ") +
               t_.pemployee + QStringLiteral(" where eCompanyID = ") + company_;
    }

    // Fields: employee, type, amount.
    QString standing(LineKind kind) const {
        const LineTables& k = lineTables(kind);
        const QString prefix = QLatin1String(k.standingPrefix);
        return QStringLiteral("select ") + prefix + QStringLiteral("empid, ") +
               QLatin1String(k.standingTypeId) + QStringLiteral(", ") + prefix +
               QStringLiteral("amount from ") + t_.*k.standing + QStringLiteral(" where ") +
               prefix + QStringLiteral("companyid = ") + company_;
    }

private:
    const data::ResolvedTableNames& t_;
    const data::Dialect& dialect_;
    QString company_;
};

// An amount as the row stream gives it, in hundredths as centsOf rounds a stored number.
Cents amountOf(data::RowStream& rows, int field) {
    const std::optional<double> held = rows.real(field);
    return static_cast<Cents>(std::llround((held ? *held : rows.text(field).toDouble()) * 100.0));
}

qint32 number(data::RowStream& rows, int field) {
    return static_cast<qint32>(rows.wholeNumber(field));
}

// A stored line letter as the database compares it: blanks around it ignored, any case.
QChar storedLetter(QStringView type) {
    const QStringView letter = type.trimmed();
    return letter.isEmpty() ? QChar() : letter.front().toUpper();
}

// Whether a line of the deciding job change stands on its deciding side: after it, every line
// it did not remove; before it, the lines it kept or removed.
bool standsOnSide(QChar letter, bool after) {
    if (after)
        return letter != QLatin1Char('R');
    return letter == QLatin1Char('R') || letter == QLatin1Char('O');
}

// An employee with job changes: his deciding job change, and the job and basic that it and his
// master give. The lines are kept apart (CheckedLine), and the texts only once (TextPool).
struct Checked {
    qint32 employeeId = 0;
    qint32 decidingId = 0;
    bool after = false; // the deciding job change is uncancelled: the pay it set counts
    bool hasMaster = false;
    qint32 dueDesignation = 0;
    qint32 dueGrade = 0;
    Cents dueBasic = 0;
    qint32 masterDesignation = 0;
    qint32 masterGrade = 0;
    Cents masterBasic = 0;
};

// An allowance or deduction line, of the master or of what the history says, of the employee at
// `slot`.
struct CheckedLine {
    quint32 slot = 0;
    qint32 typeId = 0;
    Cents amount = 0;

    // Within an employee's lines of a kind: as differences() sorts them.
    auto order() const { return std::tuple(typeId, amount); }
};

// One side's lines of one kind, the masters' or the history's, then grouped by employee.
class SideLines {
public:
    explicit SideLines(size_t employees) : ranges_(employees) {}
    void reserve(size_t lines) { lines_.reserve(lines); }
    size_t size() const { return lines_.size(); }
    void add(const CheckedLine& line) {
        // A job change's lines of a kind come together, and so do an employee's standing lines,
        // as they are stored; anything else is grouped afterwards.
        Range& range = ranges_[line.slot];
        if (lines_.empty() || lines_.back().slot != line.slot) {
            together_ = together_ && range.count == 0;
            range.first = lines_.size();
        }
        ++range.count;
        lines_.push_back(line);
    }

    // Each employee's lines together, in CheckedLine::order: where they came, or else placed by
    // employee without sorting them all.
    void group() {
        if (!together_) {
            std::vector<CheckedLine> placed(lines_.size());
            std::vector<size_t> at(ranges_.size());
            size_t next = 0;
            for (size_t slot = 0; slot < ranges_.size(); ++slot) {
                ranges_[slot].first = at[slot] = next;
                next += ranges_[slot].count;
            }
            for (const CheckedLine& line : lines_)
                placed[at[line.slot]++] = line;
            lines_ = std::move(placed);
        }
        for (size_t slot = 0; slot < ranges_.size(); ++slot) {
            const std::span<CheckedLine> own = of(slot);
            std::sort(own.begin(), own.end(), [](const CheckedLine& a, const CheckedLine& b) {
                return a.order() < b.order();
            });
        }
    }

    // After group(): the lines of the employee at slot.
    std::span<CheckedLine> of(size_t slot) {
        const Range& range = ranges_[slot];
        return std::span(lines_).subspan(range.first, range.count);
    }

private:
    // Where an employee's lines are.
    struct Range {
        size_t first = 0;
        size_t count = 0;
    };
    std::vector<CheckedLine> lines_;
    std::vector<Range> ranges_;
    bool together_ = true;
};

// Finds a key in an ascending list; at once when asked in ascending order, as rows mostly come.
class AscendingLookup {
public:
    explicit AscendingLookup(const std::vector<qint32>& keys) : keys_(keys) {}

    std::optional<size_t> find(qint32 key) {
        if (at_ < keys_.size() && keys_[at_] == key)
            return at_;
        if (at_ + 1 < keys_.size() && keys_[at_ + 1] == key)
            return ++at_;
        const auto found = std::lower_bound(keys_.begin(), keys_.end(), key);
        if (found == keys_.end() || *found != key)
            return std::nullopt;
        at_ = static_cast<size_t>(found - keys_.begin());
        return at_;
    }

private:
    const std::vector<qint32>& keys_;
    size_t at_ = 0;
};

// Employees' numbers and names end to end in one buffer, instead of two strings each.
class TextPool {
public:
    void reserve(size_t employees) { ends_.reserve(employees * 2); }
    void add(QStringView text) {
        texts_.append(text);
        ends_.push_back(texts_.size());
    }
    size_t count() const { return ends_.size(); }
    QString at(size_t index) const {
        const qsizetype start = index == 0 ? 0 : ends_[index - 1];
        return texts_.mid(start, ends_[index] - start);
    }

private:
    QString texts_;
    std::vector<qsizetype> ends_;
};

// Each employee with job changes and his deciding one, in employee order.
std::vector<Checked> decidingJobChanges(data::Connection& db, const CheckStatements& sql) {
    std::vector<Checked> employees;
    for (data::RowStream rows(db, sql.keys(), {}, data::RowStream::Use::Alone); rows.next();) {
        const qint32 employeeId = number(rows, 0);
        const qint32 id = number(rows, 1);
        const bool uncancelled = number(rows, 2) == 0;
        if (employees.empty() || employees.back().employeeId != employeeId) {
            Checked& e = employees.emplace_back();
            e.employeeId = employeeId;
            e.decidingId = id;
            e.after = uncancelled;
        } else if (uncancelled) {
            employees.back().decidingId = id;
            employees.back().after = true;
        }
    }
    return employees;
}

// Allowances and deductions (kKinds' order) of one side.
using KindLines = std::array<SideLines, 2>;

KindLines kindLines(size_t employees) {
    return {SideLines(employees), SideLines(employees)};
}

SideLines& linesOf(KindLines& lines, LineKind kind) {
    return lines[kind == kKinds[0] ? 0 : 1];
}

// Whether both sides hold the same types and amounts of each kind for the employee at slot.
bool sameLines(KindLines& held, KindLines& due, size_t slot) {
    for (size_t k = 0; k < held.size(); ++k) {
        const std::span<const CheckedLine> a = held[k].of(slot);
        const std::span<const CheckedLine> b = due[k].of(slot);
        if (!std::equal(
                a.begin(), a.end(), b.begin(), b.end(),
                [](const CheckedLine& x, const CheckedLine& y) { return x.order() == y.order(); }))
            return false;
    }
    return true;
}

// A side's job, basic and lines as a pay.
Pay payOf(KindLines& lines, size_t slot, qint32 designation, qint32 grade, Cents basic) {
    Pay pay{designation, grade, {}, basic, {}, {}};
    for (const LineKind kind : kKinds) {
        for (const CheckedLine& line : linesOf(lines, kind).of(slot))
            linesOf(pay, kind).push_back({line.typeId, {}, line.amount});
    }
    return pay;
}

} // namespace

HistoryCheck checkHistory(const HistorySource& source) {
    data::Connection& db = source.connection;
    const CheckStatements sql(source.tables, db.dialect(), source.company);
    // Every statement sees the same moment: a save meanwhile cannot look like a disagreement.
    const data::ReadSnapshot snapshot(db);
    // Nothing else runs on the connection while each statement's rows are read.
    constexpr auto alone = data::RowStream::Use::Alone;
    std::vector<Checked> employees = decidingJobChanges(db, sql);
    // Found by binary search below; a server's order of the numbers is not taken on trust.
    const auto byEmployee = [](const Checked& a, const Checked& b) {
        return a.employeeId < b.employeeId;
    };
    if (!std::is_sorted(employees.begin(), employees.end(), byEmployee))
        std::stable_sort(employees.begin(), employees.end(), byEmployee);
    std::vector<qint32> employeeIds;
    std::vector<std::pair<qint32, quint32>> byId;
    employeeIds.reserve(employees.size());
    byId.reserve(employees.size());
    for (size_t i = 0; i < employees.size(); ++i) {
        employeeIds.push_back(employees[i].employeeId);
        byId.emplace_back(employees[i].decidingId, static_cast<quint32>(i));
    }
    // In id order the job changes and their lines are read in the order they are stored.
    std::sort(byId.begin(), byId.end());
    std::vector<qint32> ids;
    std::vector<quint32> slotOfId;
    ids.reserve(byId.size());
    slotOfId.reserve(byId.size());
    QByteArray decidingIds;
    decidingIds.reserve(static_cast<qsizetype>(byId.size()) * 8);
    for (const auto& [id, slot] : byId) {
        if (!decidingIds.isEmpty())
            decidingIds += ',';
        decidingIds += QByteArray::number(id);
        ids.push_back(id);
        slotOfId.push_back(slot);
    }
    const QVariantList binds{QString::fromLatin1(decidingIds)};
    // The employee a deciding job change's row belongs to.
    AscendingLookup jobChanges(ids);
    const auto decidedBy = [&](qint32 id) -> std::optional<quint32> {
        const std::optional<size_t> at = jobChanges.find(id);
        return at ? std::optional(slotOfId[*at]) : std::nullopt;
    };
    for (data::RowStream rows(db, sql.deciding(), binds, alone); rows.next();) {
        const std::optional<quint32> slot = decidedBy(number(rows, 0));
        if (!slot)
            continue;
        Checked& e = employees[*slot];
        const int side = e.after ? 4 : 1;
        e.dueDesignation = number(rows, side);
        e.dueGrade = number(rows, side + 1);
        e.dueBasic = amountOf(rows, side + 2);
    }
    KindLines due = kindLines(employees.size());
    // Room for more lines than a job change usually has: what is not used is never touched.
    for (SideLines& lines : due)
        lines.reserve(employees.size() * 16);
    for (const LineKind kind : kKinds) {
        for (data::RowStream rows(db, sql.lines(kind), binds, alone); rows.next();) {
            const std::optional<quint32> slot = decidedBy(number(rows, 0));
            if (!slot)
                continue;
            const bool after = employees[*slot].after;
            if (standsOnSide(storedLetter(rows.text(4)), after))
                linesOf(due, kind).add({*slot, number(rows, 1), amountOf(rows, after ? 3 : 2)});
        }
    }
    AscendingLookup checkedEmployees(employeeIds);
    TextPool texts;
    texts.reserve(employees.size());
    std::vector<size_t> textOf(employees.size(), 0);
    for (data::RowStream rows(db, sql.masters(), {}, alone); rows.next();) {
        const std::optional<size_t> slot = checkedEmployees.find(number(rows, 0));
        if (!slot)
            continue;
        Checked& e = employees[*slot];
        textOf[*slot] = texts.count();
        texts.add(rows.text(1));
        texts.add(rows.text(2));
        e.hasMaster = true;
        e.masterDesignation = number(rows, 3);
        e.masterGrade = number(rows, 4);
        e.masterBasic = amountOf(rows, 5);
    }
    KindLines held = kindLines(employees.size());
    for (size_t k = 0; k < held.size(); ++k) // as many as the history's, where they agree
        held[k].reserve(due[k].size());
    for (const LineKind kind : kKinds) {
        for (data::RowStream rows(db, sql.standing(kind), {}, alone); rows.next();) {
            const std::optional<size_t> slot = checkedEmployees.find(number(rows, 0));
            if (slot && employees[*slot].hasMaster)
                linesOf(held, kind)
                    .add({static_cast<quint32>(*slot), number(rows, 1), amountOf(rows, 2)});
        }
    }
    for (KindLines* side : {&due, &held}) {
        for (SideLines& lines : *side)
            lines.group();
    }

    HistoryCheck check;
    check.employeesChecked = static_cast<int>(employees.size());
    for (size_t slot = 0; slot < employees.size(); ++slot) {
        const Checked& e = employees[slot];
        if (!e.hasMaster) {
            check.disagreements.push_back(
                {e.employeeId, {}, {}, {QStringLiteral("no employee master")}});
            continue;
        }
        if (e.masterDesignation == e.dueDesignation && e.masterGrade == e.dueGrade &&
            e.masterBasic == e.dueBasic && sameLines(held, due, slot))
            continue;
        const QStringList differing =
            differences(payOf(held, slot, e.masterDesignation, e.masterGrade, e.masterBasic),
                        payOf(due, slot, e.dueDesignation, e.dueGrade, e.dueBasic));
        if (!differing.isEmpty())
            check.disagreements.push_back(
                {e.employeeId, texts.at(textOf[slot]), texts.at(textOf[slot] + 1), differing});
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
