#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace data {
class Connection;
}

namespace bench {

// One value of a generated row. Text is only borrowed: a sink copies what it keeps.
class Cell {
public:
    enum class Kind { Null, Integer, Real, Text, Date };

    Cell() = default;
    Cell(qint64 value) : kind_(Kind::Integer), integer_(value) {}
    Cell(int value) : kind_(Kind::Integer), integer_(value) {}
    Cell(double value) : kind_(Kind::Real), real_(value) {}
    Cell(std::string_view text) : kind_(Kind::Text), text_(text) {}
    Cell(const char* text) : kind_(Kind::Text), text_(text) {}
    Cell(const QDate& date) : kind_(Kind::Date), integer_(date.toJulianDay()) {}

    Kind kind() const { return kind_; }
    qint64 integer() const { return integer_; }
    double real() const { return real_; }
    std::string_view text() const { return text_; }
    QDate date() const { return QDate::fromJulianDay(integer_); }

private:
    Kind kind_ = Kind::Null;
    qint64 integer_ = 0;
    double real_ = 0.0;
    std::string_view text_;
};

// Where generated rows go: inserts into named tables, all inside one transaction that
// commit() ends.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Returns the handle of an insert into the table with these columns.
    virtual int table(const QString& name, const QStringList& columns) = 0;
    virtual void insert(int table, std::span<const Cell> row) = 0;
    virtual void commit() = 0;
};

// Straight through the SQLite C library: one prepared statement per table, journal and
// syncing off while it runs (a half-built file is thrown away anyway).
class SqliteSink : public RowSink {
public:
    explicit SqliteSink(const QString& file);
    ~SqliteSink() override;
    SqliteSink(const SqliteSink&) = delete;
    SqliteSink& operator=(const SqliteSink&) = delete;

    int table(const QString& name, const QStringList& columns) override;
    void insert(int table, std::span<const Cell> row) override;
    void commit() override;

private:
    void exec(const char* sql);
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
    bool open_ = false;
};

// Through the data layer, for servers the C library does not reach: bound multi-row inserts,
// in batches, in one transaction.
class ConnectionSink : public RowSink {
public:
    explicit ConnectionSink(data::Connection& connection);
    ~ConnectionSink() override;
    ConnectionSink(const ConnectionSink&) = delete;
    ConnectionSink& operator=(const ConnectionSink&) = delete;

    int table(const QString& name, const QStringList& columns) override;
    void insert(int table, std::span<const Cell> row) override;
    void commit() override;

private:
    struct Pending {
        QString name;
        QStringList columns;
        int rowsPerBatch = 1;
        int rows = 0;
        QVariantList binds;
    };
    void flush(Pending& pending);

    data::Connection& connection_;
    std::vector<Pending> tables_;
    bool open_ = false;
};

// Raises a DbError with SQLite's message when rc is not one of the expected codes.
void checkSqlite(sqlite3* db, int rc, const char* what);

} // namespace bench
