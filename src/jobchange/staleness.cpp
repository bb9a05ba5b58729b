#include "jobchange/staleness.h"

#include <algorithm>
#include <tuple>

namespace jobchange {

namespace {

using AmountLines = std::vector<std::pair<qint64, QString>>;

AmountLines sorted(AmountLines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

AmountLines amountLines(const std::vector<StandingLine>& lines) {
    AmountLines amounts;
    for (const StandingLine& line : lines)
        amounts.emplace_back(line.typeId, line.amount.text());
    return sorted(std::move(amounts));
}

} // namespace

OldValues oldValuesOf(const JobChangeDraft& draft) {
    OldValues old{draft.oldDesignationId, data::StoredAmount::of(draft.oldBasic), {}};
    for (LineKind kind : kLineKinds) {
        AmountLines lines;
        for (const DraftLine& line : draft.linesOf(kind))
            if (line.letter != QLatin1Char('N'))
                lines.emplace_back(line.typeId, data::StoredAmount::of(line.oldAmount).text());
        old.lines[static_cast<size_t>(kind)] = sorted(std::move(lines));
    }
    return old;
}

OldValues oldValuesOf(const StoredJobChange& jobChange) {
    OldValues old{jobChange.oldDesignationId, jobChange.oldBasic, {}};
    for (LineKind kind : kLineKinds) {
        AmountLines lines;
        for (const StoredLine& line : jobChange.linesOf(kind))
            if (line.letter != QLatin1String("N"))
                lines.emplace_back(line.typeId, line.oldAmount.text());
        old.lines[static_cast<size_t>(kind)] = sorted(std::move(lines));
    }
    return old;
}

OldValues oldValuesOf(qint32 designationId, const data::StoredAmount& basic,
                      const std::array<std::vector<StandingLine>, 2>& lines) {
    return {designationId, basic, {amountLines(lines[0]), amountLines(lines[1])}};
}

bool sameEmployee(const EmployeeState& a, const EmployeeState& b) {
    return a.found == b.found && a.gradeId == b.gradeId &&
           oldValuesOf(a.designationId, a.basic, a.lines) ==
               oldValuesOf(b.designationId, b.basic, b.lines);
}

bool sameJobChange(const StoredJobChange& a, const StoredJobChange& b) {
    const auto lines = [](const StoredJobChange& jobChange, LineKind kind) {
        std::vector<std::tuple<QString, qint64, QString, QString>> all;
        for (const StoredLine& line : jobChange.linesOf(kind))
            all.emplace_back(line.letter, line.typeId, line.oldAmount.text(),
                             line.revisedAmount.text());
        std::sort(all.begin(), all.end());
        return all;
    };
    return static_cast<const JobChangeHeader&>(a) == static_cast<const JobChangeHeader&>(b) &&
           a.oldBasic == b.oldBasic && a.newBasic == b.newBasic &&
           lines(a, LineKind::Allowance) == lines(b, LineKind::Allowance) &&
           lines(a, LineKind::Deduction) == lines(b, LineKind::Deduction);
}

QString lostConnectionMessage(const data::DbError& error, const QString& button,
                              const QString& subject) {
    if (error.operation() == QLatin1String("commitTrans"))
        return QStringLiteral("The connection to the database was lost while saving; %1 may or "
                              "may not have been saved. The register shows what the database "
                              "holds.")
            .arg(subject);
    // It could not be opened again: the reason, or that the register must be opened again.
    if (error.operation() == QLatin1String("reopen"))
        return QStringLiteral("Nothing was saved. ") + error.description();
    return QStringLiteral("The connection to the database was lost; nothing was saved. Press %1 "
                          "to try again.")
        .arg(button);
}

} // namespace jobchange
