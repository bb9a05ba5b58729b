#include "bench/rawfloor.h"

#include "bench/rowsink.h"
#include "data/dialect.h"
#include "data/tablenames.h"

#include <sqlite3.h>

namespace bench {

namespace {

// One prepared statement, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql) : db_(db) {
        const QByteArray text = sql.toUtf8();
        checkSqlite(db_, sqlite3_prepare_v2(db_, text.constData(), -1, &statement_, nullptr),
                    text.constData());
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, qint64 value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    Statement& bind(int index, double value) {
        sqlite3_bind_double(statement_, index, value);
        return *this;
    }
    Statement& bind(int index, const QByteArray& text) {
        sqlite3_bind_text(statement_, index, text.constData(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    // True while there is a row.
    bool step() {
        const int rc = sqlite3_step(statement_);
        checkSqlite(db_, rc, "step");
        return rc == SQLITE_ROW;
    }
    void run() {
        step();
        sqlite3_reset(statement_);
    }
    sqlite3_stmt* handle() const { return statement_; }
    qint64 integer(int column) const { return sqlite3_column_int64(statement_, column); }
    QByteArray text(int column) const {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement_, column)),
                          sqlite3_column_bytes(statement_, column));
    }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace

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

qint64 RawDatabase::scalar(const QString& sql) {
    Statement statement(db_, sql);
    return statement.step() ? statement.integer(0) : 0;
}

QString rawNumberingSql(const data::ResolvedTableNames& tables, qint16 company,
                        const QString& prefix) {
    const data::Dialect sqlite(data::Dialect::Kind::SQLite);
    const QString remainder = sqlite.right(QStringLiteral("egcNo"),
                                           sqlite.len(QStringLiteral("egcNo")) + QLatin1Char('-') +
                                               QString::number(prefix.size()));
    return QStringLiteral("SELECT ") +
           sqlite.isNull(QStringLiteral("max(") + sqlite.toInt(remainder) + QLatin1Char(')'),
                         QStringLiteral("0")) +
           QStringLiteral(" FROM ") + tables.pEmployeegradeChange +
           QStringLiteral(" WHERE egcCompanyID=") + QString::number(company) +
           QStringLiteral(" and egcNo like ?");
}

qint64 rawSave(RawDatabase& db, const data::ResolvedTableNames& tables,
               const RawJobChange& change) {
    return rawBulkSave(db, tables, {change});
}

qint64 rawBulkSave(RawDatabase& db, const data::ResolvedTableNames& tables,
                   const std::vector<RawJobChange>& changes) {
    if (changes.empty())
        return 0;
    sqlite3* handle = db.handle();
    const qint64 company = changes.front().company;
    db.exec("BEGIN");
    try {
        Statement nextId(handle, QStringLiteral("select max(egcId) from ") +
                                     tables.pEmployeegradeChange +
                                     QStringLiteral(" where egcCompanyId=?"));
        nextId.bind(1, company).step();
        const qint64 firstId = nextId.integer(0) + 1;
        qint64 id = firstId;
        Statement prefixOf(handle, QStringLiteral("SELECT Prefix FROM ") + tables.pPrefix +
                                       QStringLiteral(" WHERE CompanyID = ? and InterfaceID = ?"));
        prefixOf.bind(1, company).bind(2, static_cast<qint64>(changes.front().interfaceId));
        const QByteArray prefix = prefixOf.step() ? prefixOf.text(0) : QByteArray();
        Statement numbering(
            handle, rawNumberingSql(tables, changes.front().company, QString::fromUtf8(prefix)));
        numbering.bind(1, prefix.trimmed() + '%').step();
        qint64 running = numbering.integer(0) + 1;

        Statement gradeOf(handle, QStringLiteral("select dGradeID from ") + tables.pDesignation +
                                      QStringLiteral(" where dCompanyID = ? and dDesigID = ?"));
        auto grade = [&](qint32 designation) {
            gradeOf.bind(1, company).bind(2, static_cast<qint64>(designation)).step();
            const qint64 value = gradeOf.integer(0);
            sqlite3_reset(gradeOf.handle());
            return value;
        };
        Statement header(handle,
                         QStringLiteral("insert into ") + tables.pEmployeegradeChange +
                             QStringLiteral(" (egccompanyid, egcId, egcNo, egcDate, egcOldDesigID, "
                                            "egcOldGradeID, egcEmpID, egcNewDesigID, "
                                            "egcNewGradeID, egcOldBasic, egcNewBasic, egcremarks, "
                                            "egcCancelled) values (?,?,?,?,?,?,?,?,?,?,?,?,0)"));
        Statement employee(handle, QStringLiteral("update ") + tables.pemployee +
                                       QStringLiteral(" set eBasic = ?, eGradeID = ?, eDesigID = "
                                                      "? where eCompanyID = ? and eEmpID = ?"));
        Statement line[2] = {
            {handle, QStringLiteral("insert into ") + tables.pempgcAllowance +
                         QStringLiteral("(egcacompanyid, egcagcid, egcadetailid, egcatype, "
                                        "egcaallowanceid, egcarevamount, egcaoldamount) values "
                                        "(?,?,?,?,?,?,?)")},
            {handle, QStringLiteral("insert into ") + tables.pempgcdeductions +
                         QStringLiteral("(egcdcompanyid, egcdgcid, egcddetailid, egcdtype, "
                                        "egcddeductionid, egcdrevamount, egcdoldamount) values "
                                        "(?,?,?,?,?,?,?)")}};
        Statement remove[2] = {
            {handle, QStringLiteral("delete from ") + tables.pempallowances +
                         QStringLiteral(" where eacompanyid = ? and eaempid = ?")},
            {handle, QStringLiteral("delete from ") + tables.pempdeductions +
                         QStringLiteral(" where edcompanyid = ? and edempid = ?")}};
        Statement standing[2] = {
            {handle, QStringLiteral("insert into ") + tables.pempallowances +
                         QStringLiteral("(eacompanyid, eaempid, eadetailid, eaallowanceid, "
                                        "eaamount) values (?,?,?,?,?)")},
            {handle, QStringLiteral("insert into ") + tables.pempdeductions +
                         QStringLiteral("(edcompanyid, edempid, eddetailid, eddeductionid, "
                                        "edamount) values (?,?,?,?,?)")}};
        for (const RawJobChange& change : changes) {
            const qint64 oldGrade = grade(change.oldDesignation);
            const qint64 newGrade = grade(change.newDesignation);
            header.bind(1, company)
                .bind(2, id)
                .bind(3, prefix + QByteArray::number(running++))
                .bind(4, change.date.toString(Qt::ISODate).toLatin1())
                .bind(5, static_cast<qint64>(change.oldDesignation))
                .bind(6, oldGrade)
                .bind(7, static_cast<qint64>(change.employee))
                .bind(8, static_cast<qint64>(change.newDesignation))
                .bind(9, newGrade)
                .bind(10, change.oldBasic)
                .bind(11, change.newBasic)
                .bind(12, change.remarks.toUtf8())
                .run();
            employee.bind(1, change.newBasic)
                .bind(2, newGrade)
                .bind(3, static_cast<qint64>(change.newDesignation))
                .bind(4, company)
                .bind(5, static_cast<qint64>(change.employee))
                .run();
            for (size_t kind = 0; kind < 2; ++kind) {
                qint64 detail = 0;
                for (const RawLine& row : change.lines[kind]) {
                    const char letter = !row.checked ? 'R' : (row.letter == 'O' ? 'O' : 'N');
                    line[kind]
                        .bind(1, company)
                        .bind(2, id)
                        .bind(3, ++detail)
                        .bind(4, QByteArray(1, letter))
                        .bind(5, static_cast<qint64>(row.type))
                        .bind(6, row.revisedAmount)
                        .bind(7, row.oldAmount)
                        .run();
                }
                remove[kind].bind(1, company).bind(2, static_cast<qint64>(change.employee)).run();
                detail = 0;
                for (const RawLine& row : change.lines[kind]) {
                    ++detail;
                    if (!row.checked)
                        continue;
                    standing[kind]
                        .bind(1, company)
                        .bind(2, static_cast<qint64>(change.employee))
                        .bind(3, detail)
                        .bind(4, static_cast<qint64>(row.type))
                        .bind(5, row.revisedAmount)
                        .run();
                }
            }
            ++id;
        }
        db.exec("COMMIT");
        return firstId;
    } catch (...) {
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace bench
