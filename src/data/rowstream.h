#pragma once

#include "data/connection.h"
#include "data/money.h"

#include <QByteArray>
#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QStringView>
#include <QVariantList>
#include <optional>
#include <vector>

struct pg_result;
struct sqlite3_stmt;

namespace data {

// The rows of a long query read one after another, each field as text without a QVariant per
// field: a register of a million rows spends most of its load in the driver otherwise. With Qt's
// SQLite driver the statement runs through SQLite's C library under the handle Qt opened; with
// Qt's PostgreSQL driver inside a transaction, through a cursor read a batch at a time with
// libpq under Qt's handle (Qt would hold the whole result, each field a QVariant), or, read alone,
// row by row as the server sends them; on every other
// driver through a forward-only QSqlQuery. What a field gives holds until next().
class RowStream {
public:
    enum class Use {
        // Other statements may run on the connection between rows.
        Shared,
        // Nothing else runs on the connection until the stream ends: a server sends every row
        // as it makes them, from one statement it may read in parallel.
        Alone,
    };

    // binds: the values of the statement's ? placeholders, in order (none inside literals).
    RowStream(Connection& connection, const QString& sql, const QVariantList& binds = {},
              Use use = Use::Shared);
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // Moves to the first row, then to each next one; false once past the last.
    bool next();
    int fieldCount() const { return fieldCount_; }
    bool isNull(int index) const;
    // The field as textOf gives it: numbers in plain decimal, dates yyyy-MM-dd; a null view for
    // null, an empty one for an empty text.
    QStringView text(int index);
    // The field's value when it is held as a whole number.
    std::optional<qint64> integer(int index) const;
    // The field as a whole number: held as one, or read from its text; 0 for null.
    qint64 wholeNumber(int index);
    // The field's value when it is held as a number (whole or not); nothing for null or text.
    std::optional<double> real(int index) const;
    // The field as dateOf gives it.
    QDate date(int index);
    // A text field's UTF-8 bytes as the database holds them, without a round trip through
    // UTF-16; empty for null.
    QByteArrayView utf8(int index);
    // The amount in the field, read exactly, as amountField reads it.
    StoredAmount amount(int index);

private:
    // The PostgreSQL cursor's next batch; false when it holds no row.
    bool fetchBatch();
    void sendStreamed(const QVariantList& binds);
    void runOnServer(const QByteArray& statement, const QString& operation,
                     const QVariantList& binds = {});
    DbError serverFailure(pg_result* result, const QString& operation);
    QStringView widened(QString& text, const unsigned char* bytes, int size);
    void bindOnSqlite(const QVariantList& binds);

    Connection& connection_;
    QString sql_;
    QVariantList binds_;
    sqlite3_stmt* statement_ = nullptr;
    pg_conn* server_ = nullptr;
    QByteArray cursor_;
    pg_result* batch_ = nullptr;
    int batchRow_ = -1;
    bool lastBatch_ = false;
    // The rows come one at a time from one statement (libpq's single-row mode), not a cursor.
    bool streaming_ = false;
    QSqlQuery query_;
    int fieldCount_ = 0;
    std::vector<QString> texts_;
    std::vector<QByteArray> bytes_;
};

} // namespace data
