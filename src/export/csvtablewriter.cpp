#include "export/safetext.h"
#include "export/tablewriters_p.h"

namespace tableexport::detail {
namespace {

// RFC 4180: CRLF between records; a field holding a comma, a quote or a line break is quoted,
// its quotes doubled. Texts (titles among them) are made safe to open in a spreadsheet.
class CsvTableWriter : public TableWriter {
public:
    CsvTableWriter(const QString& path, const QStringList& titles,
                   std::vector<ExportColumnKind> kinds)
        : target_(path), kinds_(std::move(kinds)) {
        QStringList fields;
        for (const QString& title : titles)
            fields << quoted(csvSafeCell(title));
        writeRecord(fields);
    }

    void addRow(const ExportRow& row) override {
        checkRow(row, kinds_);
        QStringList fields;
        for (const ExportCell& cell : row)
            fields << quoted(text(cell));
        writeRecord(fields);
    }

    void finish() override { target_.commit(); }

private:
    static QString text(const ExportCell& cell) {
        if (const auto* value = std::get_if<QString>(&cell))
            return csvSafeCell(*value);
        if (const auto* value = std::get_if<qint64>(&cell))
            return QString::number(*value);
        if (const auto* value = std::get_if<Cents>(&cell))
            return amountText(*value);
        if (const auto* value = std::get_if<QDate>(&cell))
            return value->isValid() ? value->toString(Qt::ISODate) : QString();
        if (const auto* value = std::get_if<bool>(&cell))
            return *value ? QStringLiteral("Yes") : QStringLiteral("No");
        return {};
    }

    static QString quoted(const QString& field) {
        static const QString special = QStringLiteral(",\"\r\n");
        const bool needsQuotes =
            std::any_of(field.begin(), field.end(), [](QChar c) { return special.contains(c); });
        if (!needsQuotes)
            return field;
        QString result = field;
        result.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + result + QLatin1Char('"');
    }

    void writeRecord(const QStringList& fields) {
        target_.write((fields.join(QLatin1Char(',')) + QLatin1String("\r\n")).toUtf8());
    }

    OwnerOnlyFile target_;
    std::vector<ExportColumnKind> kinds_;
};

} // namespace

std::unique_ptr<TableWriter> openCsv(const QString& path, const QStringList& titles,
                                     const std::vector<ExportColumnKind>& kinds) {
    return std::make_unique<CsvTableWriter>(path, titles, kinds);
}

} // namespace tableexport::detail
