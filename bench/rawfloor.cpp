#include "bench/rawfloor.h"

#include "bench/rowsink.h"
#include "data/dberror.h"
#include "data/dialect.h"
#include "data/tablenames.h"
#include "jobchange/audittrail.h"
#include "jobchange/auditvalues.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QDateTime>
#include <QHash>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace bench {

namespace {

// One prepared SQLite statement, finalized when it goes.
class SqliteStatement : public RawStatement {
public:
    SqliteStatement(sqlite3* db, const QString& sql) : db_(db) {
        const QByteArray text = sql.toUtf8();
        checkSqlite(db_, sqlite3_prepare_v2(db_, text.constData(), -1, &statement_, nullptr),
                    text.constData());
    }
    ~SqliteStatement() override { sqlite3_finalize(statement_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    RawStatement& bind(int index, qint64 value) override {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    RawStatement& bind(int index, double value) override {
        sqlite3_bind_double(statement_, index, value);
        return *this;
    }
    RawStatement& bind(int index, const QByteArray& text) override {
        sqlite3_bind_text(statement_, index, text.constData(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    bool step() override {
        const int rc = sqlite3_step(statement_);
        checkSqlite(db_, rc, "step");
        return rc == SQLITE_ROW;
    }
    void reset() override { sqlite3_reset(statement_); }
    qint64 integer(int column) const override { return sqlite3_column_int64(statement_, column); }
    QByteArray text(int column) const override {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement_, column)),
                          sqlite3_column_bytes(statement_, column));
    }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

[[noreturn]] void serverFailure(PGconn* db, const QByteArray& what) {
    throw data::DbError(data::kErrGeneric, QStringLiteral("PostgreSQL"),
                        QStringLiteral("%1: %2").arg(QString::fromUtf8(what),
                                                     QString::fromUtf8(PQerrorMessage(db))));
}

// A result that is cleared when it goes; a failed command throws.
class ServerResult {
public:
    ServerResult(PGconn* db, PGresult* result, const QByteArray& what) : result_(result) {
        const ExecStatusType status = PQresultStatus(result_);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            PQclear(result_);
            serverFailure(db, what);
        }
    }
    ~ServerResult() { PQclear(result_); }
    ServerResult(const ServerResult&) = delete;
    ServerResult& operator=(const ServerResult&) = delete;
    PGresult* get() const { return result_; }

private:
    PGresult* result_;
};

// One statement prepared on the server under a name of its own; its parameters go as text.
class ServerStatement : public RawStatement {
public:
    ServerStatement(PGconn* db, const QString& sql, int number)
        : db_(db), name_("rawfloor" + QByteArray::number(number)) {
        // The server numbers its parameters: $1, $2, ...
        QByteArray text;
        int parameters = 0;
        for (const char c : sql.toUtf8()) {
            if (c == '?')
                text += '$' + QByteArray::number(++parameters);
            else
                text += c;
        }
        values_.resize(static_cast<size_t>(parameters));
        ServerResult(db_, PQprepare(db_, name_.constData(), text.constData(), parameters, nullptr),
                     text);
    }

    RawStatement& bind(int index, qint64 value) override {
        return bind(index, QByteArray::number(value));
    }
    RawStatement& bind(int index, double value) override {
        return bind(index, QByteArray::number(value, 'f', 2));
    }
    RawStatement& bind(int index, const QByteArray& text) override {
        values_.at(static_cast<size_t>(index - 1)) = text;
        return *this;
    }
    bool step() override {
        if (!result_) {
            std::vector<const char*> values;
            for (const QByteArray& value : values_)
                values.push_back(value.constData());
            result_ = std::make_unique<ServerResult>(
                db_,
                PQexecPrepared(db_, name_.constData(), static_cast<int>(values.size()),
                               values.data(), nullptr, nullptr, 0),
                name_);
            row_ = 0;
        } else {
            ++row_;
        }
        return row_ < PQntuples(result_->get());
    }
    void reset() override { result_.reset(); }
    qint64 integer(int column) const override { return text(column).toLongLong(); }
    QByteArray text(int column) const override {
        return QByteArray(PQgetvalue(result_->get(), row_, column),
                          PQgetlength(result_->get(), row_, column));
    }

private:
    PGconn* db_;
    QByteArray name_;
    std::vector<QByteArray> values_;
    std::unique_ptr<ServerResult> result_;
    int row_ = 0;
};

void appendAmount(std::string& out, double amount) {
    char text[32];
    std::snprintf(text, sizeof text, "\"%.2f\"", amount);
    out += text;
}

// An employee's pay as an audit row holds it: {"allowances":[{"amount":"1.00","type":1}],
// "basic":...,"deductions":[...],"designation":..,"grade":..}; the lines those the employee
// had before the job change, or has after it.
void appendEmployee(std::string& out, const RawJobChange& change, bool after, qint64 grade) {
    const char* const keys[] = {"{\"allowances\":[", ",\"deductions\":["};
    for (size_t kind = 0; kind < 2; ++kind) {
        out += keys[kind];
        bool first = true;
        for (const RawLine& line : change.lines[kind]) {
            if (after ? !line.checked : line.letter != 'O')
                continue;
            out += first ? "{\"amount\":" : ",{\"amount\":";
            first = false;
            appendAmount(out, after ? line.revisedAmount : line.oldAmount);
            out += ",\"type\":" + std::to_string(line.type) + '}';
        }
        out += ']';
        if (kind == 0) {
            out += ",\"basic\":";
            appendAmount(out, after ? change.newBasic : change.oldBasic);
        }
    }
    out += ",\"designation\":" +
           std::to_string(after ? change.newDesignation : change.oldDesignation) +
           ",\"grade\":" + std::to_string(grade) + '}';
}

// The job change as written: header and lines.
void appendJobChange(std::string& out, const RawJobChange& change, qint64 id,
                     const QByteArray& number, qint64 oldGrade, qint64 newGrade) {
    const char* const keys[] = {"{\"allowances\":[", ",\"deductions\":["};
    for (size_t kind = 0; kind < 2; ++kind) {
        out += keys[kind];
        for (size_t i = 0; i < change.lines[kind].size(); ++i) {
            const RawLine& line = change.lines[kind][i];
            const char letter = !line.checked ? 'R' : line.letter;
            out += i ? ",{\"letter\":\"" : "{\"letter\":\"";
            out += letter;
            out += "\",\"old\":";
            appendAmount(out, line.oldAmount);
            out += ",\"revised\":";
            appendAmount(out, line.revisedAmount);
            out += ",\"type\":" + std::to_string(line.type) + '}';
        }
        out += ']';
    }
    out += ",\"date\":\"" + change.date.toString(Qt::ISODate).toStdString() +
           "\",\"employee\":" + std::to_string(change.employee) + ",\"id\":" + std::to_string(id) +
           ",\"newBasic\":";
    appendAmount(out, change.newBasic);
    out += ",\"newDesignation\":" + std::to_string(change.newDesignation) +
           ",\"newGrade\":" + std::to_string(newGrade) + ",\"number\":\"" + number.toStdString() +
           "\",\"oldBasic\":";
    appendAmount(out, change.oldBasic);
    out += ",\"oldDesignation\":" + std::to_string(change.oldDesignation) +
           ",\"oldGrade\":" + std::to_string(oldGrade) + ",\"remarks\":\"" +
           change.remarks.toStdString() + "\"}";
}

} // namespace

qint64 RawConnection::scalar(const QString& sql) {
    const std::unique_ptr<RawStatement> statement = prepare(sql);
    return statement->step() ? statement->integer(0) : 0;
}

RawDatabase::RawDatabase(const QString& file) {
    checkSqlite(db_,
                sqlite3_open_v2(file.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr),
                "open");
    sqlite3_busy_timeout(db_, 10000);
}

RawDatabase::~RawDatabase() {
    sqlite3_close(db_);
}

void RawDatabase::exec(const char* sql) {
    checkSqlite(db_, sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), sql);
}

qint64 RawDatabase::queryAll(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    checkSqlite(db_, sqlite3_prepare_v2(db_, text.constData(), -1, &statement, nullptr),
                text.constData());
    const int columns = sqlite3_column_count(statement);
    qint64 rows = 0;
    qint64 bytes = 0;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_text(statement, c))
                bytes += sqlite3_column_bytes(statement, c);
        }
    }
    sqlite3_finalize(statement);
    checkSqlite(db_, rc, "step");
    // The byte count keeps the reads from being optimised away.
    return bytes >= 0 ? rows : -1;
}

std::unique_ptr<RawStatement> RawDatabase::prepare(const QString& sql) {
    return std::make_unique<SqliteStatement>(db_, sql);
}

RawServer::RawServer(const QString& connectionString)
    : db_(PQconnectdb(connectionString.toUtf8().constData())) {
    if (PQstatus(db_) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(db_));
        PQfinish(db_);
        throw data::DbError(data::kErrGeneric, QStringLiteral("PostgreSQL"), why);
    }
    // The server's notices ("does not exist, skipping") would interleave with the figures.
    PQsetNoticeProcessor(
        db_, [](void*, const char*) {}, nullptr);
}

RawServer::~RawServer() {
    PQfinish(db_);
}

void RawServer::exec(const char* sql) {
    ServerResult(db_, PQexec(db_, sql), sql);
}

qint64 RawServer::queryAll(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    const ServerResult result(db_, PQexec(db_, text.constData()), text);
    const int rows = PQntuples(result.get());
    const int columns = PQnfields(result.get());
    qint64 bytes = 0;
    for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < columns; ++c) {
            if (!PQgetisnull(result.get(), row, c))
                bytes += static_cast<qint64>(std::strlen(PQgetvalue(result.get(), row, c)));
        }
    }
    // The byte count keeps the reads from being optimised away.
    return bytes >= 0 ? rows : -1;
}

std::unique_ptr<RawStatement> RawServer::prepare(const QString& sql) {
    return std::make_unique<ServerStatement>(db_, sql, ++prepared_);
}

QString rawNumberingSql(data::Dialect::Kind kind, const data::ResolvedTableNames& tables,
                        qint16 company, const QString& prefix) {
    const data::Dialect dialect(kind);
    const QString remainder = dialect.right(QStringLiteral("egcNo"),
                                            dialect.len(QStringLiteral("egcNo")) +
                                                QLatin1Char('-') + QString::number(prefix.size()));
    // SQLite reads a tail that is not a number as 0; PostgreSQL refuses it, so it is left out.
    const QString numbersOnly =
        kind == data::Dialect::Kind::Postgres
            ? QStringLiteral(" and ") + remainder + QStringLiteral(" ~ '^[0-9]+$'")
            : QString();
    return QStringLiteral("SELECT ") +
           dialect.isNull(QStringLiteral("max(") + dialect.toInt(remainder) + QLatin1Char(')'),
                          QStringLiteral("0")) +
           QStringLiteral(" FROM ") + tables.pEmployeegradeChange +
           QStringLiteral(" WHERE egcCompanyID=") + QString::number(company) +
           QStringLiteral(" and egcNo like ?") + numbersOnly;
}

qint64 rawSave(RawConnection& db, const data::ResolvedTableNames& tables,
               const RawJobChange& change) {
    return rawBulkSave(db, tables, {change}, false);
}

namespace {

using RawValue = std::variant<qint64, double, QByteArray>;

// Rows added to a table with multi-row INSERTs, at most 999 bound values a statement, each
// statement prepared once for its count of rows.
class RawRows {
public:
    RawRows(RawConnection& db, const QString& table, const QString& columns, int count)
        : db_(db), head_(QStringLiteral("insert into ") + table + QStringLiteral(" (") + columns +
                         QStringLiteral(") values ")),
          columns_(count) {}

    void add(std::initializer_list<RawValue> values) {
        values_.insert(values_.end(), values.begin(), values.end());
    }
    void flush() {
        const size_t perStatement = static_cast<size_t>(999 / columns_ * columns_);
        for (size_t from = 0; from < values_.size(); from += perStatement) {
            const size_t count = std::min(perStatement, values_.size() - from);
            std::unique_ptr<RawStatement>& statement = prepared_[count];
            if (!statement) {
                QString sql = head_;
                for (size_t row = 0; row < count / static_cast<size_t>(columns_); ++row) {
                    sql += row ? QStringLiteral(", (") : QStringLiteral("(");
                    for (int column = 0; column < columns_; ++column)
                        sql += column ? QStringLiteral(",?") : QStringLiteral("?");
                    sql += QLatin1Char(')');
                }
                statement = db_.prepare(sql);
            }
            for (size_t i = 0; i < count; ++i)
                std::visit(
                    [&](const auto& value) { statement->bind(static_cast<int>(i + 1), value); },
                    values_[from + i]);
            statement->run();
        }
        values_.clear();
    }

private:
    RawConnection& db_;
    QString head_;
    int columns_;
    std::vector<RawValue> values_;
    std::map<size_t, std::unique_ptr<RawStatement>> prepared_;
};

} // namespace

qint64 rawBulkSave(RawConnection& db, const data::ResolvedTableNames& tables,
                   const std::vector<RawJobChange>& changes, bool withAudit) {
    if (changes.empty())
        return 0;
    const qint64 company = changes.front().company;
    db.exec("BEGIN");
    try {
        const auto nextId =
            db.prepare(QStringLiteral("select max(egcId) from ") + tables.pEmployeegradeChange +
                       QStringLiteral(" where egcCompanyId=?"));
        nextId->bind(1, company).step();
        const qint64 firstId = nextId->integer(0) + 1;
        qint64 id = firstId;
        const auto prefixOf =
            db.prepare(QStringLiteral("SELECT Prefix FROM ") + tables.pPrefix +
                       QStringLiteral(" WHERE CompanyID = ? and InterfaceID = ?"));
        prefixOf->bind(1, company).bind(2, static_cast<qint64>(changes.front().interfaceId));
        const QByteArray prefix = prefixOf->step() ? prefixOf->text(0) : QByteArray();
        const auto numbering = db.prepare(
            rawNumberingSql(db.kind(), tables, changes.front().company, QString::fromUtf8(prefix)));
        numbering->bind(1, prefix.trimmed() + '%').step();
        qint64 running = numbering->integer(0) + 1;

        // Each designation's grade looked up once.
        const auto gradeOf =
            db.prepare(QStringLiteral("select dGradeID from ") + tables.pDesignation +
                       QStringLiteral(" where dCompanyID = ? and dDesigID = ?"));
        QHash<qint32, qint64> grades;
        auto grade = [&](qint32 designation) {
            const auto found = grades.constFind(designation);
            if (found != grades.constEnd())
                return *found;
            gradeOf->bind(1, company).bind(2, static_cast<qint64>(designation)).step();
            const qint64 value = gradeOf->integer(0);
            gradeOf->reset();
            grades.insert(designation, value);
            return value;
        };
        RawRows headers(db, tables.pEmployeegradeChange,
                        QStringLiteral("egccompanyid, egcId, egcNo, egcDate, egcOldDesigID, "
                                       "egcOldGradeID, egcEmpID, egcNewDesigID, egcNewGradeID, "
                                       "egcOldBasic, egcNewBasic, egcremarks, egcCancelled"),
                        13);
        const auto employee = db.prepare(QStringLiteral("update ") + tables.pemployee +
                                         QStringLiteral(" set eBasic = ?, eGradeID = ?, eDesigID = "
                                                        "? where eCompanyID = ? and eEmpID = ?"));
        RawRows lines[2] = {
            {db, tables.pempgcAllowance,
             QStringLiteral("egcacompanyid, egcagcid, egcadetailid, egcatype, egcaallowanceid, "
                            "egcarevamount, egcaoldamount"),
             7},
            {db, tables.pempgcdeductions,
             QStringLiteral("egcdcompanyid, egcdgcid, egcddetailid, egcdtype, egcddeductionid, "
                            "egcdrevamount, egcdoldamount"),
             7}};
        const QString removeFrom[2] = {
            QStringLiteral("delete from ") + tables.pempallowances +
                QStringLiteral(" where eacompanyid = ? and eaempid in ("),
            QStringLiteral("delete from ") + tables.pempdeductions +
                QStringLiteral(" where edcompanyid = ? and edempid in (")};
        std::map<size_t, std::unique_ptr<RawStatement>> remove[2];
        RawRows standing[2] = {
            {db, tables.pempallowances,
             QStringLiteral("eacompanyid, eaempid, eadetailid, eaallowanceid, eaamount"), 5},
            {db, tables.pempdeductions,
             QStringLiteral("edcompanyid, edempid, eddetailid, eddeductionid, edamount"), 5}};
        // The audit trail, when installed: its tail read once and the chain continued here, a row
        // per job change with its employee before and after.
        const bool audited = withAudit && !tables.paudittrail.isEmpty();
        std::optional<RawRows> audit;
        qint64 seq = 0;
        QByteArray prevHash = jobchange::kFirstPrevHash.toLatin1();
        const QByteArray time = QDateTime::currentDateTimeUtc()
                                    .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                    .toLatin1();
        const jobchange::AuditOrigin origin = jobchange::AuditOrigin::ofThisProcess();
        const QByteArray computer = origin.computer.toUtf8();
        const QByteArray osUser = origin.osUser.toUtf8();
        if (audited) {
            const auto tail =
                db.prepare(QStringLiteral("select auSeq, auHash from ") + tables.paudittrail +
                           QStringLiteral(" where auCompanyID = ? order by auSeq "
                                          "desc limit 1"));
            if (tail->bind(1, company).step()) {
                seq = tail->integer(0);
                prevHash = tail->text(1);
            }
            audit.emplace(db, tables.paudittrail,
                          QStringLiteral("auCompanyID, auSeq, auTime, auUserID, auUserName, "
                                         "auComputer, auOsUser, auAction, auJobChangeID, "
                                         "auJobChangeNo, auEmpID, auBefore, auAfter, auRemark, "
                                         "auPrevHash, auHash"),
                          16);
        }
        std::string before, after;
        QByteArray hashed;
        // The job changes written 64 at a time, each table's rows in a few statements.
        constexpr size_t kAtOnce = 64;
        for (size_t from = 0; from < changes.size(); from += kAtOnce) {
            const size_t to = std::min(changes.size(), from + kAtOnce);
            for (size_t kind = 0; kind < 2; ++kind) {
                std::unique_ptr<RawStatement>& statement = remove[kind][to - from];
                if (!statement) {
                    QString sql = removeFrom[kind];
                    for (size_t i = from; i < to; ++i)
                        sql += i == from ? QStringLiteral("?") : QStringLiteral(",?");
                    statement = db.prepare(sql + QLatin1Char(')'));
                }
                statement->bind(1, company);
                for (size_t i = from; i < to; ++i)
                    statement->bind(static_cast<int>(i - from + 2),
                                    static_cast<qint64>(changes[i].employee));
                statement->run();
            }
            for (size_t i = from; i < to; ++i, ++id) {
                const RawJobChange& change = changes[i];
                const qint64 oldGrade = grade(change.oldDesignation);
                const qint64 newGrade = grade(change.newDesignation);
                const QByteArray number = prefix + QByteArray::number(running++);
                const QByteArray remarks = change.remarks.toUtf8();
                headers.add({company, id, number, change.date.toString(Qt::ISODate).toLatin1(),
                             static_cast<qint64>(change.oldDesignation), oldGrade,
                             static_cast<qint64>(change.employee),
                             static_cast<qint64>(change.newDesignation), newGrade, change.oldBasic,
                             change.newBasic, remarks, qint64{0}});
                employee->bind(1, change.newBasic)
                    .bind(2, newGrade)
                    .bind(3, static_cast<qint64>(change.newDesignation))
                    .bind(4, company)
                    .bind(5, static_cast<qint64>(change.employee))
                    .run();
                for (size_t kind = 0; kind < 2; ++kind) {
                    qint64 detail = 0;
                    for (const RawLine& row : change.lines[kind]) {
                        ++detail;
                        const char letter = !row.checked ? 'R' : (row.letter == 'O' ? 'O' : 'N');
                        lines[kind].add({company, id, detail, QByteArray(1, letter),
                                         static_cast<qint64>(row.type), row.revisedAmount,
                                         row.oldAmount});
                        if (row.checked)
                            standing[kind].add({company, static_cast<qint64>(change.employee),
                                                detail, static_cast<qint64>(row.type),
                                                row.revisedAmount});
                    }
                }
                if (!audited)
                    continue;
                before = "{\"employee\":";
                appendEmployee(before, change, false, oldGrade);
                before += '}';
                after = "{\"employee\":";
                appendEmployee(after, change, true, newGrade);
                after += ",\"jobChange\":";
                appendJobChange(after, change, id, number, oldGrade, newGrade);
                after += '}';
                jobchange::AuditRowView row;
                row.companyId = change.company;
                row.seq = ++seq;
                row.userId = 1;
                row.jobChangeId = static_cast<qint32>(id);
                row.employeeId = change.employee;
                row.time = time;
                row.computer = computer;
                row.osUser = osUser;
                row.action = "New";
                row.number = number;
                row.before = QByteArrayView(before.data(), static_cast<qsizetype>(before.size()));
                row.after = QByteArrayView(after.data(), static_cast<qsizetype>(after.size()));
                row.remark = remarks;
                row.prevHash = prevHash;
                hashed.clear();
                jobchange::appendHashedText(hashed, row);
                const QByteArray hash = jobchange::sha256Hex(hashed);
                audit->add({company, seq, time, qint64{1}, QByteArray(), computer, osUser,
                            QByteArray("New"), id, number, static_cast<qint64>(change.employee),
                            QByteArray(before.data(), static_cast<qsizetype>(before.size())),
                            QByteArray(after.data(), static_cast<qsizetype>(after.size())), remarks,
                            prevHash, hash});
                prevHash = hash;
            }
            headers.flush();
            for (size_t kind = 0; kind < 2; ++kind) {
                lines[kind].flush();
                standing[kind].flush();
            }
            if (audit)
                audit->flush();
        }
        db.exec("COMMIT");
        return firstId;
    } catch (...) {
        try {
            db.exec("ROLLBACK");
        } catch (const data::DbError&) {
            // The failure being raised says more than the rollback's.
        }
        throw;
    }
}

} // namespace bench
