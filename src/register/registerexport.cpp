#include "register/registerexport.h"

#include "data/connection.h"
#include "shared/formroutines.h"

namespace registerexport {

using tableexport::ExportColumnKind;

const std::vector<ExportColumnKind>& columnKinds() {
    static const std::vector<ExportColumnKind> kinds = {
        ExportColumnKind::Text, ExportColumnKind::Date, ExportColumnKind::Text,
        ExportColumnKind::Text, ExportColumnKind::Text, ExportColumnKind::YesNo};
    return kinds;
}

tableexport::ExportRow typedRow(const QVariantList& fields) {
    const auto& kinds = columnKinds();
    tableexport::ExportRow row(kinds.size());
    for (size_t c = 0; c < kinds.size(); ++c) {
        const int field = static_cast<int>(c) + 1;
        const QVariant value = field < fields.size() ? fields.at(field) : QVariant();
        switch (kinds[c]) {
        case ExportColumnKind::Date:
            row[c] = data::dateOf(value);
            break;
        case ExportColumnKind::YesNo:
            row[c] = value.toString().trimmed() == QLatin1String("Yes");
            break;
        default:
            row[c] = RegisterCellText(value, field).trimmed();
            break;
        }
    }
    return row;
}

QHash<qint32, tableexport::ExportRow> typedRowsById(data::Recordset& rs) {
    QHash<qint32, tableexport::ExportRow> rows;
    QVariantList fields;
    for (; !rs.eof(); rs.moveNext()) {
        fields.clear();
        for (int c = 0; c < rs.fieldCount(); ++c)
            fields << rs.field(c);
        rows.insert(fields.value(0).toInt(), typedRow(fields));
    }
    return rows;
}

} // namespace registerexport
