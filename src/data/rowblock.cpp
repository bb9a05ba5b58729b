#include "data/rowblock.h"

#include "data/rowstream.h"

namespace data {

void RowBlock::appendCell(QStringView text, bool null) {
    chars_.append(text);
    ends_.push_back(chars_.size());
    nulls_.push_back(null);
}

void RowBlock::append(RowStream& rows) {
    for (int field = 0; field < fields_; ++field) {
        // Asked only when the text does not already say it: one call a field on a long read.
        const QStringView text = rows.text(field);
        appendCell(text, text.isNull() && rows.isNull(field));
    }
}

QStringView RowBlock::text(int row, int field) const {
    const size_t cell = at(row, field);
    const qint64 start = cell == 0 ? 0 : ends_[cell - 1];
    return QStringView(chars_).mid(start, ends_[cell] - start);
}

QDate RowBlock::date(int row, int field) const {
    const QStringView text = this->text(row, field);
    const auto digits = [&text](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    if (text.size() >= 10 && text[4] == u'-' && text[7] == u'-') {
        const int year = digits(0, 4);
        const int month = digits(5, 2);
        const int day = digits(8, 2);
        if (year >= 0 && month >= 0 && day >= 0)
            return QDate(year, month, day);
    }
    return QDate::fromString(text.left(10).toString(), Qt::ISODate);
}

RowBlock RowBlock::reversed() const {
    RowBlock block(fields_);
    for (int row = rowCount() - 1; row >= 0; --row)
        for (int field = 0; field < fields_; ++field)
            block.appendCell(text(row, field), isNull(row, field));
    return block;
}

} // namespace data
