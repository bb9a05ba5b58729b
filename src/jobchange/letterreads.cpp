#include "jobchange/letterreads.h"

#include <algorithm>

namespace jobchange {

namespace {

// The prefix as a LIKE pattern that matches it literally, in every server's dialect.
QString likePrefix(const QString& prefix) {
    QString pattern;
    for (const QChar c : prefix) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_') ||
            c == QLatin1Char('['))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('%');
}

// The running number behind the prefix: digits alone, else nothing.
std::optional<qint64> runningNumber(const QString& number, const QString& prefix) {
    if (!number.startsWith(prefix, Qt::CaseInsensitive))
        return std::nullopt;
    const QString tail = number.mid(prefix.size());
    if (tail.isEmpty() || tail.size() > 18 || !std::all_of(tail.begin(), tail.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        }))
        return std::nullopt;
    return tail.toLongLong();
}

} // namespace

LetterReads::LetterReads(WorkspacePtr workspace)
    : workspace_(workspace), reads_(std::move(workspace)) {}

std::vector<qint32> LetterReads::datedOn(const QDate& day) const {
    const Workspace& ws = *workspace_;
    // A range of the day, so that a date stored with a time of day counts too.
    data::Recordset rs =
        ws.db().open(QStringLiteral("select egcId from ") + ws.tables.pEmployeegradeChange +
                     QStringLiteral(" where egcCompanyID = ") + ws.company() +
                     QStringLiteral(" and egcDate >= ") +
                     ws.dialect().dateLiteral(day, QStringLiteral("yyyyMMdd")) +
                     QStringLiteral(" and egcDate < ") +
                     ws.dialect().dateLiteral(day.addDays(1), QStringLiteral("yyyyMMdd")) +
                     QStringLiteral(" order by ") + ws.dialect().len(QStringLiteral("egcNo")) +
                     QStringLiteral(", egcNo, egcId"));
    std::vector<qint32> ids;
    for (; !rs.eof(); rs.moveNext())
        ids.push_back(rs.field(0).toInt());
    return ids;
}

std::vector<qint32> LetterReads::numbered(const NumberRange& range) const {
    const Workspace& ws = *workspace_;
    data::Recordset rs =
        ws.db().open(QStringLiteral("select egcId, egcNo from ") + ws.tables.pEmployeegradeChange +
                         QStringLiteral(" where egcCompanyID = ") + ws.company() +
                         QStringLiteral(" and upper(egcNo) like ? escape '\\'"),
                     {likePrefix(range.prefix.toUpper())});
    std::vector<std::pair<qint64, qint32>> found;
    for (; !rs.eof(); rs.moveNext()) {
        const std::optional<qint64> running = runningNumber(rs.text(1).trimmed(), range.prefix);
        if (running && *running >= range.first && *running <= range.last)
            found.emplace_back(*running, rs.field(0).toInt());
    }
    std::sort(found.begin(), found.end());
    std::vector<qint32> ids;
    for (const auto& [running, id] : found)
        ids.push_back(id);
    return ids;
}

QHash<qint64, LetterReads::Named> LetterReads::namesOf(const QString& sql) const {
    QHash<qint64, Named> names;
    data::Recordset rs = workspace_->db().open(sql);
    for (; !rs.eof(); rs.moveNext())
        names.insert(rs.field(0).toLongLong(),
                     {rs.text(1).trimmed(), rs.fieldCount() > 2 ? rs.field(2).toInt() : 0});
    return names;
}

void LetterReads::readNames() const {
    if (namesRead_)
        return;
    const Workspace& ws = *workspace_;
    designations_ =
        namesOf(QStringLiteral("select dDesigID, dDescription from ") + ws.tables.pDesignation +
                QStringLiteral(" where dCompanyID = ") + ws.company());
    grades_ = namesOf(QStringLiteral("select gID, gDescription from ") + ws.tables.pGrades +
                      QStringLiteral(" where gCompanyid = ") + ws.company());
    for (const LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        types_[static_cast<size_t>(kind)] =
            namesOf(QStringLiteral("select ") + l.typeIdColumn + QStringLiteral(", ") +
                    l.typeTextColumn + QStringLiteral(", ") + l.typeCurrencyColumn +
                    QStringLiteral(" from ") + ws.tables.*l.typeTable + QStringLiteral(" where ") +
                    l.typeCompanyColumn + QStringLiteral(" = ") + ws.company());
    }
    data::Recordset rs = ws.db().open(
        QStringLiteral("select CurrencyID, CurrencyName, symbol from ") +
        ws.tables.pcurrencymaster + QStringLiteral(" where CompanyID = ") + ws.company());
    for (; !rs.eof(); rs.moveNext())
        currencies_.insert(rs.field(0).toLongLong(), {rs.text(1).trimmed(), rs.text(2).trimmed()});
    namesRead_ = true;
}

std::optional<LetterJobChange> LetterReads::read(qint32 id) const {
    const Workspace& ws = *workspace_;
    LetterJobChange letter;
    std::optional<StoredJobChange> found = reads_.jobChange(id);
    if (!found)
        return std::nullopt;
    letter.stored = std::move(*found);
    readNames();
    const StoredJobChange& stored = letter.stored;
    qint64 currencyId = 0;
    {
        data::Recordset rs = ws.db().open(
            QStringLiteral("select eempno, eName, ecurrencyid from ") + ws.tables.pemployee +
            QStringLiteral(" where eCompanyID = ") + ws.company() +
            QStringLiteral(" and eEmpID = ") + QString::number(stored.employeeId));
        if (!rs.eof()) {
            letter.employeeNo = rs.text(0).trimmed();
            letter.employeeName = rs.text(1).trimmed();
            currencyId = rs.field(2).toLongLong();
        }
    }
    letter.oldDesignation = designations_.value(stored.oldDesignationId).name;
    letter.newDesignation = designations_.value(stored.newDesignationId).name;
    letter.oldGrade = grades_.value(stored.oldGradeId).name;
    letter.newGrade = grades_.value(stored.newGradeId).name;
    letter.currency = currencies_.value(currencyId).name;
    letter.symbol = currencies_.value(currencyId).symbol;
    for (const LineKind kind : kLineKinds) {
        for (const StoredLine& line : stored.linesOf(kind)) {
            const Named type = types_[static_cast<size_t>(kind)].value(line.typeId);
            const Currency currency = currencies_.value(type.currencyId);
            letter.lines.push_back({kind, line.letter.trimmed().toUpper(), type.name,
                                    line.oldAmount, line.revisedAmount, currency.name,
                                    currency.symbol});
        }
    }
    return letter;
}

} // namespace jobchange
