#include "report/reportfile.h"

#include "data/dberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace report {

namespace {

constexpr int kErrFileNotFound = 53;

data::DbError malformed(const QString& path, int line, const QString& what) {
    return data::DbError(data::kErrGeneric, QStringLiteral("ReportFile"),
                         QStringLiteral("%1, line %2: %3").arg(path).arg(line).arg(what));
}

QPageSize::PageSizeId paperNamed(const QString& name, const QString& path, int line) {
    static const std::pair<const char*, QPageSize::PageSizeId> known[] = {
        {"a4", QPageSize::A4},
        {"a5", QPageSize::A5},
        {"letter", QPageSize::Letter},
        {"legal", QPageSize::Legal}};
    for (const auto& [text, id] : known) {
        if (name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0)
            return id;
    }
    throw malformed(path, line, QStringLiteral("unknown paper \"%1\"").arg(name));
}

void readReportLine(ReportFile& file, const QString& line, int lineNo) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        throw malformed(file.path, lineNo, QStringLiteral("expected \"key = value\""));
    const QString key = line.left(eq).trimmed().toLower();
    const QString value = line.mid(eq + 1).trimmed();
    if (key == QLatin1String("name")) {
        file.name = value;
    } else if (key == QLatin1String("paper")) {
        file.paper = paperNamed(value, file.path, lineNo);
    } else if (key == QLatin1String("orientation")) {
        file.orientation = value.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0
                               ? QPageLayout::Landscape
                               : QPageLayout::Portrait;
    } else if (key == QLatin1String("margins")) {
        const QStringList parts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok = parts.size() == 4;
        double mm[4] = {};
        for (int i = 0; ok && i < 4; ++i)
            mm[i] = parts[i].toDouble(&ok);
        if (!ok)
            throw malformed(file.path, lineNo,
                            QStringLiteral("margins are four numbers: left top right bottom"));
        file.marginsMm = QMarginsF(mm[0], mm[1], mm[2], mm[3]);
    } else {
        throw malformed(file.path, lineNo, QStringLiteral("unknown setting \"%1\"").arg(key));
    }
}

void readParameterLine(ReportFile& file, const QString& line, int lineNo) {
    static const QRegularExpression form(QStringLiteral(R"(^(@?\w+)\s+(number|text)(?:\s+(.*))?$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(line);
    if (!match.hasMatch())
        throw malformed(file.path, lineNo,
                        QStringLiteral("expected \"name number|text [default]\""));
    ParameterDefinition definition;
    definition.name = match.captured(1);
    definition.type = match.captured(2).toLower() == QLatin1String("number")
                          ? ParameterDefinition::Type::Number
                          : ParameterDefinition::Type::Text;
    definition.hasDefault = match.capturedLength(3) > 0;
    definition.defaultValue = match.captured(3).trimmed();
    file.parameters.push_back(definition);
}

} // namespace

const ParameterDefinition* ReportFile::parameter(const QString& name) const {
    for (const ParameterDefinition& definition : parameters) {
        if (definition.name.compare(name, Qt::CaseInsensitive) == 0)
            return &definition;
    }
    return nullptr;
}

ReportFile ReportFile::load(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw data::DbError(kErrFileNotFound, QStringLiteral("ReportFile"),
                            QStringLiteral("The report file %1 cannot be found.")
                                .arg(QDir::toNativeSeparators(path)));
    return parse(QString::fromUtf8(file.readAll()), path);
}

ReportFile ReportFile::parse(const QString& text, const QString& path) {
    static const QRegularExpression sectionHeader(QStringLiteral(R"(^\[(\w+)(?:\s+(\w+))?\]\s*$)"));
    ReportFile file;
    file.path = path;
    QString section;
    QString* body = nullptr; // the section whose lines are kept as they stand
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QRegularExpressionMatch header = sectionHeader.match(line);
        if (header.hasMatch()) {
            section = header.captured(1).toLower();
            body = nullptr;
            if (section == QLatin1String("query")) {
                if (header.captured(2).isEmpty())
                    throw malformed(path, lineNo, QStringLiteral("a query needs a name"));
                file.queries.push_back({header.captured(2), {}});
                body = &file.queries.back().sql;
            } else if (section == QLatin1String("layout")) {
                body = &file.layout;
                file.layoutFirstLine = lineNo + 1;
            } else if (section == QLatin1String("footer")) {
                body = &file.footer;
                file.footerFirstLine = lineNo + 1;
            } else if (section != QLatin1String("report") &&
                       section != QLatin1String("parameters")) {
                throw malformed(path, lineNo,
                                QStringLiteral("unknown section [%1]").arg(header.captured(1)));
            }
            continue;
        }
        const bool keptVerbatim =
            section == QLatin1String("layout") || section == QLatin1String("footer");
        const QString trimmed = line.trimmed();
        if (!keptVerbatim && (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))))
            continue;
        if (body) {
            body->append(line).append(QLatin1Char('\n'));
        } else if (section == QLatin1String("report")) {
            readReportLine(file, trimmed, lineNo);
        } else if (section == QLatin1String("parameters")) {
            readParameterLine(file, trimmed, lineNo);
        } else {
            throw malformed(path, lineNo, QStringLiteral("text outside any section"));
        }
    }
    if (file.layout.trimmed().isEmpty())
        throw malformed(path, static_cast<int>(lines.size()),
                        QStringLiteral("no [layout] section"));
    return file;
}

} // namespace report
