#include "letters/letterrun.h"

#include "letters/revisionletter.h"
#include "report/engine.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <memory>

namespace letters {

namespace {

// At most this many characters of each part, so that a name stays within what file systems take.
constexpr qsizetype kPartLength = 100;

QString safePart(const QString& text) {
    QString part = text.trimmed().left(kPartLength);
    for (QChar& c : part) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                           (u >= '0' && u <= '9') || u == '-' || u == '_';
        if (!plain)
            c = QLatin1Char('_');
    }
    return part;
}

// A name not yet given in this run (in any case, for file systems that ignore it).
QString uniqueName(const QString& base, QSet<QString>& used) {
    QString name = base;
    for (int n = 2; used.contains(name.toLower()); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    used.insert(name.toLower());
    return name + QStringLiteral(".pdf");
}

struct NumberParts {
    QString prefix;
    qint64 running = 0;
};

// A job change number split into its prefix and the digits at its end.
std::optional<NumberParts> numberParts(const QString& text) {
    qsizetype start = text.size();
    while (start > 0 && text[start - 1] >= QLatin1Char('0') && text[start - 1] <= QLatin1Char('9'))
        --start;
    const qsizetype digits = text.size() - start;
    if (digits == 0 || digits > 18)
        return std::nullopt;
    return NumberParts{text.left(start), text.mid(start).toLongLong()};
}

void prepareFolder(const QString& path) {
    const QFileInfo folder(path);
    if (folder.exists() && !folder.isDir())
        throw data::DbError(
            data::kErrGeneric, QStringLiteral("Letters"),
            QStringLiteral("%1 is not a folder.").arg(QDir::toNativeSeparators(path)));
    if (folder.exists())
        return;
    // A folder made for letters holds pay: its owner's alone.
    if (!QDir().mkpath(path) ||
        !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        throw data::DbError(
            data::kErrGeneric, QStringLiteral("Letters"),
            QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(path)));
}

} // namespace

QString letterFileName(const QString& employeeNo, const QString& number) {
    const QString employee = safePart(employeeNo);
    const QString jobChange = safePart(number);
    if (employee.isEmpty())
        return jobChange.isEmpty() ? QStringLiteral("letter") : jobChange;
    return jobChange.isEmpty() ? employee : employee + QLatin1Char('_') + jobChange;
}

LettersWritten writeLetters(const jobchange::LetterReads& reads, const std::vector<qint32>& ids,
                            const report::ReportFile& letterTemplate, const LetterOutput& output,
                            const QDate& letterDate) {
    const bool folder = output.kind == LetterOutput::Kind::Folder;
    LettersWritten written;
    std::unique_ptr<report::PdfFile> single;
    QSet<QString> used;
    try {
        for (const qint32 id : ids) {
            const std::optional<jobchange::LetterJobChange> letter = reads.read(id);
            if (!letter)
                continue;
            if (letter->stored.cancelled) {
                written.cancelled << letter->stored.number.trimmed();
                continue;
            }
            const report::RenderedReport rendered =
                report::renderValues(letterTemplate, letterValues(*letter, letterDate));
            if (folder) {
                if (written.letters == 0)
                    prepareFolder(output.path);
                const QString path =
                    QDir(output.path)
                        .filePath(uniqueName(
                            letterFileName(letter->employeeNo, letter->stored.number), used));
                rendered.writePdf(path);
                written.files << path;
            } else {
                if (!single)
                    single = std::make_unique<report::PdfFile>(output.path, rendered.name,
                                                               rendered.pageLayout);
                single->add(rendered);
            }
            ++written.letters;
        }
        if (single) {
            single->finish();
            written.files << output.path;
        }
    } catch (const data::DbError& error) {
        if (!folder || written.files.isEmpty())
            throw;
        data::DbError told = error;
        told.setDescription(error.description() +
                            QStringLiteral(" %1 letters were written to %2 before this.")
                                .arg(written.files.size())
                                .arg(QDir::toNativeSeparators(output.path)));
        throw told;
    }
    return written;
}

QString lettersSummary(const LettersWritten& written, const LetterOutput& output) {
    QString text = written.letters == 0 ? QStringLiteral("No letter was written.")
                                        : QStringLiteral("Wrote %1 %2 to %3.")
                                              .arg(written.letters)
                                              .arg(written.letters == 1 ? QStringLiteral("letter")
                                                                        : QStringLiteral("letters"))
                                              .arg(QDir::toNativeSeparators(output.path));
    if (!written.cancelled.isEmpty())
        text += QStringLiteral(" Cancelled, so left out: %1.")
                    .arg(written.cancelled.join(QStringLiteral(", ")));
    return text;
}

std::optional<jobchange::NumberRange> parseNumberRange(const QString& text) {
    const QString range = text.trimmed();
    for (qsizetype dash = range.indexOf(QLatin1Char('-')); dash > 0;
         dash = range.indexOf(QLatin1Char('-'), dash + 1)) {
        const std::optional<NumberParts> from = numberParts(range.left(dash).trimmed());
        const std::optional<NumberParts> to = numberParts(range.mid(dash + 1).trimmed());
        if (!from || !to ||
            !(to->prefix.isEmpty() || to->prefix.compare(from->prefix, Qt::CaseInsensitive) == 0))
            continue;
        if (from->running > to->running)
            return std::nullopt;
        return jobchange::NumberRange{from->prefix, from->running, to->running};
    }
    const std::optional<NumberParts> one = numberParts(range);
    if (!one)
        return std::nullopt;
    return jobchange::NumberRange{one->prefix, one->running, one->running};
}

} // namespace letters
