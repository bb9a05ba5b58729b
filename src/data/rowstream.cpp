#include "data/rowstream.h"

#include <QSqlError>
#include <QSqlRecord>
#include <sqlite3.h>

namespace data {

namespace {

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

} // namespace

RowStream::RowStream(Connection& connection, const QString& sql)
    : connection_(connection), sql_(sql) {
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
    } else {
        query_ = connection.run(QStringLiteral("open"), sql, {});
        fieldCount_ = query_.record().count();
    }
    texts_.resize(static_cast<size_t>(fieldCount_));
}

RowStream::~RowStream() {
    sqlite3_finalize(statement_);
}

bool RowStream::next() {
    if (!statement_) {
        if (query_.next())
            return true;
        if (query_.lastError().isValid())
            throw connection_.failure(query_.lastError(), QStringLiteral("moveNext"), sql_);
        return false;
    }
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW)
        return true;
    if (code != SQLITE_DONE)
        throw connection_.sqliteFailure(QStringLiteral("moveNext"), sql_);
    return false;
}

bool RowStream::isNull(int index) const {
    return statement_ ? sqlite3_column_type(statement_, index) == SQLITE_NULL
                      : query_.isNull(index);
}

QStringView RowStream::text(int index) {
    QString& text = texts_[static_cast<size_t>(index)];
    if (!statement_) {
        text = textOf(query_.value(index));
        return text;
    }
    switch (sqlite3_column_type(statement_, index)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        text = QString::number(sqlite3_column_int64(statement_, index));
        return text;
    case SQLITE_FLOAT:
        text = textOf(sqlite3_column_double(statement_, index));
        return text;
    default:
        break;
    }
    const auto* bytes = sqlite3_column_text(statement_, index);
    const int size = sqlite3_column_bytes(statement_, index);
    // Most cells are plain ASCII: widened into the field's own buffer, which keeps its room
    // from row to row.
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

std::optional<qint64> RowStream::integer(int index) const {
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

QDate RowStream::date(int index) {
    if (!statement_)
        return dateOf(query_.value(index));
    if (sqlite3_column_type(statement_, index) == SQLITE_TEXT) {
        if (const auto date = isoDateAt(sqlite3_column_text(statement_, index),
                                        sqlite3_column_bytes(statement_, index)))
            return *date;
    }
    return QDate::fromString(text(index).left(10).toString(), Qt::ISODate);
}

} // namespace data
