#include "jobchange/numbering.h"

#include "jobchange/workspace.h"

#include <QStringView>
#include <limits>
#include <optional>

namespace {

// The stored prefix is data, not typed here, but a quote in it must not end the literal.
QString quoted(QString text) {
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

} // namespace

QString gradeNoMaxSql(const data::Dialect& dialect, const QString& gradeChangeTable,
                      qint16 companyId, const QString& prefix) {
    const QString number = dialect.right(QStringLiteral("egcNo"),
                                         dialect.len(QStringLiteral("egcNo")) + QLatin1Char('-') +
                                             QString::number(prefix.size()));
    return QStringLiteral("SELECT ") +
           dialect.isNull(QStringLiteral("max(") + dialect.toInt(number) + QLatin1Char(')'),
                          QStringLiteral("0")) +
           QStringLiteral(" FROM ") + gradeChangeTable + QStringLiteral(" WHERE egcCompanyID=") +
           QString::number(companyId) + QStringLiteral(" and egcNo like '") +
           quoted(prefix.trimmed()) + QStringLiteral("%'");
}

namespace jobchange {

namespace {

constexpr int kErrOverflow = 6;
// Numbers are at most this long; longer ones are not worth probing length by length.
constexpr int kMaxProbedLength = 64;
// Digits a 64-bit running number surely holds.
constexpr int kMaxDigits = 18;

// The prefix as the index holds its key: upper-cased, ASCII only, as SQLite's upper() does.
std::optional<QString> asciiUpper(const QString& text) {
    QString upper;
    upper.reserve(text.size());
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x7f || ch.unicode() < 0x20)
            return std::nullopt;
        upper += ch.toUpper();
    }
    return upper;
}

// Whether a stored number lies in the series as the statement's "like" sees it: SQLite's like
// ignores ASCII case, PostgreSQL's does not.
bool inSeries(QStringView number, const QString& prefix, bool ignoreCase) {
    return number.left(prefix.size())
               .compare(prefix, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

// Plain digits without a leading zero: the running number they spell, else none.
std::optional<qint64> runningNumber(QStringView digits) {
    if (digits.isEmpty() || digits.size() > kMaxDigits || digits[0] == QLatin1Char('0'))
        return std::nullopt;
    qint64 value = 0;
    for (const QChar ch : digits) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (ch.unicode() - '0');
    }
    return value;
}

class IndexedSeries {
public:
    IndexedSeries(data::Connection& db, const QString& table, qint16 companyId)
        : db_(db), table_(table), companyId_(companyId),
          postgres_(db.dialect().kind() == data::Dialect::Kind::Postgres),
          key_(postgres_ ? QStringLiteral("upper(egcNo) collate \"C\"")
                         : QStringLiteral("upper(egcNo)")) {}

    // The highest running number, or none when only the full statement can tell. The "like"
    // keeps out, on a server whose "like" minds case, numbers the upper-cased key lets in.
    //
    // The index orders a company's numbers by length, then text. The longest number of the
    // series, greatest of its length, is the candidate. When its tail is plain digits without a
    // leading zero (k of them), it is the highest: every other number of the series is either
    // shorter, so its tail reads fewer than k digits, or as long and not greater as text, so its
    // tail is digits not greater or reads at most k - 1 digits before something else.
    std::optional<qint64> highest(const QString& prefix) {
        const std::optional<QString> low = asciiUpper(prefix);
        if (prefix.isEmpty() || prefix != prefix.trimmed() || !low ||
            prefix.contains(QLatin1Char('%')) || prefix.contains(QLatin1Char('_')) ||
            low->back().unicode() >= 0x7e)
            return std::nullopt;
        QString high = *low;
        high.back() = QChar(high.back().unicode() + 1);

        data::Recordset longest =
            db_.open(QStringLiteral("select length(egcNo) from ") + table_ +
                         QStringLiteral(" where egcCompanyID = ? and length(egcNo) is not null"
                                        " order by length(egcNo) desc limit 1"),
                     {companyId_});
        if (longest.eof())
            return 0;
        const int longestLength = longest.field(0).toInt();
        const int prefixLength = static_cast<int>(prefix.size());
        if (longestLength - prefixLength > kMaxProbedLength)
            return std::nullopt;
        for (int length = longestLength; length >= prefixLength; --length) {
            data::Recordset rs =
                db_.open(QStringLiteral("select egcNo from ") + table_ +
                             QStringLiteral(" where egcCompanyID = ? and length(egcNo) = ? and ") +
                             key_ + QStringLiteral(" >= ? and ") + key_ +
                             QStringLiteral(" < ? and egcNo like ? order by ") + key_ +
                             QStringLiteral(" desc limit 1"),
                         {companyId_, length, *low, high, prefix + QLatin1Char('%')});
            if (rs.eof())
                continue;
            const QString number = rs.text(0);
            if (length == prefixLength || !inSeries(number, prefix, !postgres_))
                return std::nullopt;
            return runningNumber(QStringView(number).mid(prefix.size()));
        }
        return 0; // nothing in the series
    }

private:
    data::Connection& db_;
    const QString& table_;
    qint16 companyId_;
    bool postgres_;
    QString key_;
};

} // namespace

std::optional<qint64> indexedHighestRunningNumber(data::Connection& db,
                                                  const QString& gradeChangeTable, qint16 companyId,
                                                  const QString& prefix) {
    if (db.dialect().kind() == data::Dialect::Kind::TSql)
        return std::nullopt;
    return IndexedSeries(db, gradeChangeTable, companyId).highest(prefix);
}

qint64 highestRunningNumber(data::Connection& db, const QString& gradeChangeTable, qint16 companyId,
                            const QString& prefix) {
    if (const auto highest = indexedHighestRunningNumber(db, gradeChangeTable, companyId, prefix))
        return *highest;
    data::Recordset rs = db.open(gradeNoMaxSql(db.dialect(), gradeChangeTable, companyId, prefix));
    const QString highest = rs.eof() ? QStringLiteral("0") : rs.text(0);
    return highest == QLatin1String("0") ? 0 : static_cast<qint64>(data::leadingNumber(highest));
}

NumberSeries numberSeries(const Workspace& ws) {
    NumberSeries series;
    series.prefix = data::textOf(data::firstField(
        ws.db(), QStringLiteral("SELECT Prefix FROM ") + ws.tables.pPrefix +
                     QStringLiteral(" WHERE CompanyID = ") + ws.company() +
                     QStringLiteral(" and InterfaceID = ") + QString::number(ws.interfaceId)));
    series.next =
        highestRunningNumber(ws.db(), ws.tables.pEmployeegradeChange, ws.companyId, series.prefix) +
        1;
    if (series.next > std::numeric_limits<qint32>::max())
        throw data::DbError(kErrOverflow, QStringLiteral("frmGrade"), QStringLiteral("Overflow"));
    return series;
}

} // namespace jobchange
