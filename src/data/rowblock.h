#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <vector>

namespace data {

class RowStream;

// Rows copied out of a RowStream to be handed to another thread: each field as the stream's
// text, all of them end to end in one buffer.
class RowBlock {
public:
    explicit RowBlock(int fieldCount = 0) : fields_(fieldCount) {}

    int fieldCount() const { return fields_; }
    int rowCount() const { return fields_ ? static_cast<int>(ends_.size()) / fields_ : 0; }
    // Appends the row the stream stands on.
    void append(RowStream& rows);
    bool isNull(int row, int field) const { return nulls_[at(row, field)]; }
    QStringView text(int row, int field) const;
    // The field's text read as dateOf reads it (yyyy-MM-dd at its start); invalid otherwise.
    QDate date(int row, int field) const;
    // The block with its rows in the opposite order.
    RowBlock reversed() const;

private:
    size_t at(int row, int field) const {
        return static_cast<size_t>(row) * static_cast<size_t>(fields_) + static_cast<size_t>(field);
    }
    void appendCell(QStringView text, bool null);

    int fields_;
    QString chars_;
    std::vector<qint64> ends_;
    std::vector<bool> nulls_;
};

} // namespace data
