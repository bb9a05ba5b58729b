#include "data/rowstream.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <charconv>
#include <iterator>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <type_traits>

namespace data {

namespace {

// Rows a PostgreSQL cursor hands over at a time.
constexpr int kBatchRows = 10000;

// PostgreSQL's type ids of the columns whose text is not the program's (pg_type).
constexpr Oid kBoolType = 16;
constexpr Oid kFloat4Type = 700;
constexpr Oid kFloat8Type = 701;
constexpr Oid kNumericType = 1700;
constexpr Oid kTimestampType = 1114;
constexpr Oid kTimestampTzType = 1184;

QAtomicInt cursorCounter;

int digitsAt(const unsigned char* text, int from, int count) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// yyyy-MM-dd at the start of the text, as Qt's ISO parse reads it; invalid when it is not there.
std::optional<QDate> isoDateAt(const unsigned char* text, int size) {
    if (size < 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    return QDate(year, month, day);
}

// A server field's text as a number: read in place (the plain digits a server sends), or as
// Qt reads it; nothing when it is not one.
template <class Number> std::optional<Number> serverNumber(pg_result* batch, int row, int field) {
    const char* text = PQgetvalue(batch, row, field);
    const char* end = text + PQgetlength(batch, row, field);
    Number number{};
    const auto [stop, error] = std::from_chars(text, end, number);
    if (error == std::errc() && stop == end)
        return number;
    bool ok = false;
    if constexpr (std::is_same_v<Number, double>)
        number = QByteArray(text).toDouble(&ok);
    else
        number = QByteArray(text).toLongLong(&ok);
    return ok ? std::optional<Number>(number) : std::nullopt;
}

} // namespace

RowStream::RowStream(Connection& connection, const QString& sql, const QVariantList& binds, Use use)
    : connection_(connection), sql_(sql), binds_(binds) {
    if (sqlite3* handle = connection.sqliteHandle()) {
        connection.traceStatement(sql);
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement_, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(statement_);
            statement_ = nullptr;
            throw connection.sqliteFailure(QStringLiteral("open"), sql);
        }
        fieldCount_ = sqlite3_column_count(statement_);
        bindOnSqlite(binds);
    } else if (pg_conn* session =
                   connection.inTransaction() ? connection.postgresHandle() : nullptr) {
        connection.traceStatement(sql);
        server_ = session;
        if (use == Use::Alone) {
            // One statement whose rows arrive as the server makes them: unlike a cursor's, its
            // plan may read in parallel.
            streaming_ = true;
            sendStreamed(binds);
        } else {
            // A cursor lives only inside a transaction.
            cursor_ = "quorvel_rows_" + QByteArray::number(cursorCounter.fetchAndAddRelaxed(1) + 1);
            // Planned for reading every row, not for the first few.
            runOnServer("SET LOCAL cursor_tuple_fraction = 1", QStringLiteral("open"));
            runOnServer("DECLARE " + cursor_ + " NO SCROLL CURSOR FOR " +
                            withNumberedPlaceholders(sql),
                        QStringLiteral("open"), binds);
        }
        fetchBatch();
        fieldCount_ = PQnfields(batch_);
    } else {
        query_ = connection.run(QStringLiteral("open"), sql, binds);
        fieldCount_ = query_.record().count();
    }
    texts_.resize(static_cast<size_t>(fieldCount_));
    bytes_.resize(static_cast<size_t>(fieldCount_));
}

RowStream::~RowStream() {
    sqlite3_finalize(statement_);
    PQclear(batch_);
    // Rows not taken are let go by: the connection is ready for its next statement, in the
    // same transaction. Whoever wants the server to stop sooner interrupts the statement.
    if (streaming_ && !lastBatch_)
        while (pg_result* rest = PQgetResult(server_))
            PQclear(rest);
    // The cursor would last until the transaction ends; an aborted transaction has none left.
    if (!cursor_.isEmpty() && PQtransactionStatus(server_) == PQTRANS_INTRANS)
        PQclear(PQexec(server_, ("CLOSE " + cursor_).constData()));
}

void RowStream::bindOnSqlite(const QVariantList& binds) {
    for (int i = 0; i < binds.size(); ++i) {
        const QVariant& value = binds[i];
        int code = SQLITE_OK;
        if (value.isNull()) {
            code = sqlite3_bind_null(statement_, i + 1);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            code = sqlite3_bind_int64(statement_, i + 1, value.toLongLong());
        } else {
            const QByteArray text = value.toString().toUtf8();
            code = sqlite3_bind_text(statement_, i + 1, text.constData(), int(text.size()),
                                     SQLITE_TRANSIENT);
        }
        if (code != SQLITE_OK) {
            const DbError error = connection_.sqliteFailure(QStringLiteral("open"), sql_, binds);
            sqlite3_finalize(statement_);
            statement_ = nullptr;
            throw error;
        }
    }
}

namespace {

// The bound values as libpq takes them: texts kept alive beside pointers to them (null for null).
struct ServerBinds {
    explicit ServerBinds(const QVariantList& binds) {
        texts.reserve(static_cast<size_t>(binds.size()));
        for (const QVariant& value : binds) {
            texts.push_back(serverBindText(value).value_or(value.toString().toUtf8()));
            values.push_back(value.isNull() ? nullptr : texts.back().constData());
        }
    }
    std::vector<QByteArray> texts;
    std::vector<const char*> values;
};

} // namespace

void RowStream::sendStreamed(const QVariantList& binds) {
    const ServerBinds server(binds);
    const QByteArray statement = withNumberedPlaceholders(sql_);
    if (!PQsendQueryParams(server_, statement.constData(), int(server.values.size()), nullptr,
                           server.values.data(), nullptr, nullptr, 0) ||
        !PQsetSingleRowMode(server_)) {
        // Nothing may be left pending on the connection.
        while (pg_result* rest = PQgetResult(server_))
            PQclear(rest);
        throw serverFailure(nullptr, QStringLiteral("open"));
    }
}

void RowStream::runOnServer(const QByteArray& statement, const QString& operation,
                            const QVariantList& binds) {
    const ServerBinds server(binds);
    const std::vector<const char*>& values = server.values;
    pg_result* result = binds.isEmpty()
                            ? PQexec(server_, statement.constData())
                            : PQexecParams(server_, statement.constData(), int(values.size()),
                                           nullptr, values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw serverFailure(result, operation);
    PQclear(result);
}

DbError RowStream::serverFailure(pg_result* result, const QString& operation) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString text =
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(server_));
    PQclear(result);
    return connection_.failure(QSqlError(QStringLiteral("Unable to read the rows"), text,
                                         QSqlError::StatementError,
                                         state ? QString::fromLatin1(state) : QString()),
                               operation, sql_);
}

bool RowStream::fetchBatch() {
    PQclear(batch_);
    batch_ = nullptr;
    batchRow_ = -1;
    if (streaming_) {
        pg_result* result = PQgetResult(server_);
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE) {
            batch_ = result;
            return true;
        }
        // The end (a result with no rows, which still names the columns) or a failure: the
        // connection takes its next statement only once every result is taken.
        lastBatch_ = true;
        while (pg_result* more = PQgetResult(server_))
            PQclear(more);
        if (status != PGRES_TUPLES_OK)
            throw serverFailure(result, QStringLiteral("moveNext"));
        batch_ = result;
        return false;
    }
    pg_result* result = PQexec(
        server_,
        ("FETCH FORWARD " + QByteArray::number(kBatchRows) + " FROM " + cursor_).constData());
    if (PQresultStatus(result) != PGRES_TUPLES_OK)
        throw serverFailure(result, QStringLiteral("moveNext"));
    batch_ = result;
    lastBatch_ = PQntuples(batch_) < kBatchRows;
    return PQntuples(batch_) > 0;
}

bool RowStream::next() {
    if (server_) {
        if (++batchRow_ < PQntuples(batch_))
            return true;
        if (lastBatch_ || !fetchBatch())
            return false;
        batchRow_ = 0;
        return true;
    }
    if (!statement_) {
        if (query_.next())
            return true;
        if (query_.lastError().isValid())
            throw connection_.failure(query_.lastError(), QStringLiteral("moveNext"), sql_, binds_);
        return false;
    }
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW)
        return true;
    if (code != SQLITE_DONE)
        throw connection_.sqliteFailure(QStringLiteral("moveNext"), sql_, binds_);
    return false;
}

bool RowStream::isNull(int index) const {
    if (server_)
        return PQgetisnull(batch_, batchRow_, index);
    return statement_ ? sqlite3_column_type(statement_, index) == SQLITE_NULL
                      : query_.isNull(index);
}

QStringView RowStream::widened(QString& text, const unsigned char* bytes, int size) {
    // Most cells are plain ASCII: widened into the field's own buffer, which keeps its room
    // from row to row.
    // An empty field is an empty text, not a null one.
    if (size == 0)
        return u"";
    text.resize(size);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (int i = 0; i < size; ++i) {
        if (bytes[i] >= 0x80) {
            text = QString::fromUtf8(reinterpret_cast<const char*>(bytes), size);
            return text;
        }
        out[i] = bytes[i];
    }
    return text;
}

QStringView RowStream::text(int index) {
    QString& text = texts_[static_cast<size_t>(index)];
    if (server_) {
        if (PQgetisnull(batch_, batchRow_, index))
            return {};
        const char* value = PQgetvalue(batch_, batchRow_, index);
        switch (PQftype(batch_, index)) {
        case kBoolType:
            text = textOf(value[0] == 't');
            return text;
        case kFloat4Type:
        case kFloat8Type:
        case kNumericType:
            text = textOf(QByteArray(value).toDouble());
            return text;
        case kTimestampType:
        case kTimestampTzType:
            text = textOf(QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate));
            return text;
        default:
            return widened(text, reinterpret_cast<const unsigned char*>(value),
                           PQgetlength(batch_, batchRow_, index));
        }
    }
    if (!statement_) {
        text = textOf(query_.value(index));
        return text;
    }
    // The field's value taken once: each sqlite3_column_ call takes the connection's lock, and
    // a million-row register asks for tens of millions of fields. The value is read at once, on
    // the one thread that uses this connection.
    sqlite3_value* value = sqlite3_column_value(statement_, index);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER: {
        char digits[24];
        const auto [end, error] =
            std::to_chars(std::begin(digits), std::end(digits), sqlite3_value_int64(value));
        return widened(text, reinterpret_cast<const unsigned char*>(digits),
                       static_cast<int>(end - digits));
    }
    case SQLITE_FLOAT:
        text = textOf(sqlite3_value_double(value));
        return text;
    default:
        break;
    }
    // The text first, then its length: asking for the length may convert the value.
    const unsigned char* bytes = sqlite3_value_text(value);
    return widened(text, bytes, sqlite3_value_bytes(value));
}

std::optional<qint64> RowStream::integer(int index) const {
    if (server_) {
        if (PQgetisnull(batch_, batchRow_, index))
            return std::nullopt;
        return serverNumber<qint64>(batch_, batchRow_, index);
    }
    if (statement_) {
        if (sqlite3_column_type(statement_, index) != SQLITE_INTEGER)
            return std::nullopt;
        return sqlite3_column_int64(statement_, index);
    }
    const QVariant value = query_.value(index);
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    return !value.isNull() && ok ? std::optional<qint64>(number) : std::nullopt;
}

qint64 RowStream::wholeNumber(int index) {
    if (const std::optional<qint64> value = integer(index))
        return *value;
    return text(index).toLongLong();
}

std::optional<double> RowStream::real(int index) const {
    if (server_) {
        if (PQgetisnull(batch_, batchRow_, index))
            return std::nullopt;
        return serverNumber<double>(batch_, batchRow_, index);
    }
    if (statement_) {
        const int type = sqlite3_column_type(statement_, index);
        if (type != SQLITE_FLOAT && type != SQLITE_INTEGER)
            return std::nullopt;
        return sqlite3_column_double(statement_, index);
    }
    const QVariant value = query_.value(index);
    bool ok = false;
    const double number = value.toDouble(&ok);
    return !value.isNull() && ok ? std::optional<double>(number) : std::nullopt;
}

QDate RowStream::date(int index) {
    if (server_) {
        if (PQgetisnull(batch_, batchRow_, index))
            return {};
        const auto* value =
            reinterpret_cast<const unsigned char*>(PQgetvalue(batch_, batchRow_, index));
        if (const auto date = isoDateAt(value, PQgetlength(batch_, batchRow_, index)))
            return *date;
        return QDate::fromString(text(index).left(10).toString(), Qt::ISODate);
    }
    if (!statement_)
        return dateOf(query_.value(index));
    if (sqlite3_column_type(statement_, index) == SQLITE_TEXT) {
        if (const auto date = isoDateAt(sqlite3_column_text(statement_, index),
                                        sqlite3_column_bytes(statement_, index)))
            return *date;
    }
    return QDate::fromString(text(index).left(10).toString(), Qt::ISODate);
}

QByteArrayView RowStream::utf8(int index) {
    if (server_) {
        if (PQgetisnull(batch_, batchRow_, index))
            return {};
        return {PQgetvalue(batch_, batchRow_, index), PQgetlength(batch_, batchRow_, index)};
    }
    if (statement_) {
        // The text first, then its length: asking for the length may convert the value.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, index));
        return {text, sqlite3_column_bytes(statement_, index)};
    }
    QByteArray& bytes = bytes_[static_cast<size_t>(index)];
    bytes = query_.value(index).toString().toUtf8();
    return bytes;
}

StoredAmount RowStream::amount(int index) {
    if (statement_) {
        switch (sqlite3_column_type(statement_, index)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return StoredAmount::fromValue(sqlite3_column_int64(statement_, index));
        case SQLITE_FLOAT:
            return StoredAmount::fromValue(sqlite3_column_double(statement_, index));
        default:
            return StoredAmount::fromValue(text(index).toString());
        }
    }
    if (server_) {
        if (PQgetisnull(batch_, batchRow_, index))
            return {};
        // A numeric arrives as its exact decimal; plain cents are read without the general
        // parse.
        const QByteArrayView value = utf8(index);
        const qsizetype point = value.indexOf('.');
        const bool plain =
            !value.isEmpty() && value.size() <= 16 && (point < 0 || value.size() - point == 3) &&
            std::all_of(value.begin(), value.end(),
                        [&](char c) { return (c >= '0' && c <= '9') || c == '.'; }) &&
            value.count('.') <= 1 && point != 0;
        if (plain) {
            qint64 cents = 0;
            for (const char c : value)
                if (c != '.')
                    cents = cents * 10 + (c - '0');
            if (const std::optional<Money> money =
                    Money::fromCents(point < 0 ? cents * 100 : cents))
                return StoredAmount::of(*money);
        }
        if (PQftype(batch_, index) == kFloat4Type || PQftype(batch_, index) == kFloat8Type)
            return StoredAmount::fromValue(value.toByteArray().toDouble());
        return StoredAmount::fromValue(QString::fromUtf8(value));
    }
    return StoredAmount::fromValue(query_.value(index));
}

} // namespace data
