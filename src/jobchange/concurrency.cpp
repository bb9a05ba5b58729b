// Several clerks on one database: what a window reads once, the writers' lock on an employee,
// the numbering lock, the user's rights, and the re-check of what a clerk's window showed before
// a write goes through.

#include "jobchange/jobchangeservice.h"

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

const char* rightLetter(Right right) {
    switch (right) {
    case Right::Create:
        return "N";
    case Right::Edit:
        return "E";
    case Right::Cancel:
        return "D";
    }
    return "";
}

QString rightVerb(Right right) {
    switch (right) {
    case Right::Create:
        return QStringLiteral("create");
    case Right::Edit:
        return QStringLiteral("edit");
    case Right::Cancel:
        return QStringLiteral("cancel");
    }
    return {};
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

bool rightsGrant(const QString& rights, const QString& letter) {
    const QString held = rights.trimmed().toUpper();
    // The word is not read as a list of letters.
    if (held == QLatin1String("ADMIN"))
        return false;
    return held.contains(letter.trimmed().toUpper());
}

std::optional<QString> JobChangeService::userRights() const {
    const Workspace& ws = *workspace_;
    if (ws.userId == 1)
        return QStringLiteral("NEDUP");
    data::Recordset rs = ws.db().open(
        QStringLiteral("select functionrights from ") + ws.tables.puserrights +
        QStringLiteral(" where userid = ") + QString::number(ws.userId) +
        QStringLiteral(" and interfaceid = ") + QString::number(kJobChangeInterfaceId));
    if (rs.eof())
        return std::nullopt;
    if (rs.isNull(0))
        throw data::DbError(94, QStringLiteral("FrmMaster"), QStringLiteral("Invalid use of Null"));
    return rs.text(0);
}

std::optional<QString> JobChangeService::missingRight(Right right) const {
    const QString letter = QString::fromLatin1(rightLetter(right));
    const std::optional<QString> rights = userRights();
    if (rights ? rightsGrant(*rights, letter) : right == Right::Create)
        return std::nullopt;
    return QStringLiteral("User %1 has no right to %2 job changes (%3)")
        .arg(workspace_->userId)
        .arg(rightVerb(right), letter);
}

void JobChangeService::requireRight(Right right) const {
    if (const std::optional<QString> missing = missingRight(right))
        throw Refusal{*missing};
}

std::vector<StandingLine> JobChangeService::standingLines(LineKind kind, qint32 employeeId) const {
    const LineTable& l = lineTable(kind);
    std::vector<StandingLine> lines;
    data::Recordset rs = workspace_->db().open(
        l.standingSelect + table(l.typeTable) + l.standingAlias + table(l.empTable) +
        l.standingJoin + l.standingEmp + QString::number(employeeId));
    for (; !rs.eof(); rs.moveNext())
        lines.push_back({rs.field(0).toLongLong(), rs.text(1), data::amountField(rs, 2)});
    return lines;
}

// The master, then each kind's standing lines, each result closed before the next statement: a
// clerk committing meanwhile on SQLite waits for no reader of this one.
EmployeeState JobChangeService::employeeState(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    EmployeeState state;
    {
        data::Recordset rs = ws.db().open(
            QStringLiteral("select eDesigID,eBasic,eGradeID from ") + ws.tables.pemployee +
            QStringLiteral(" where eCompanyID = ") + ws.company() +
            QStringLiteral(" and eEmpID = ") + QString::number(employeeId));
        if (rs.eof())
            return state;
        state.found = true;
        state.designationId = rs.field(0).toInt();
        state.basic = data::amountField(rs, 1);
        state.gradeId = rs.field(2).toInt();
    }
    for (LineKind kind : kLineKinds)
        state.lines[static_cast<size_t>(kind)] = standingLines(kind, employeeId);
    return state;
}

ShownState JobChangeService::readForNew(qint32 employeeId) const {
    return {employeeState(employeeId), std::nullopt};
}

std::optional<ShownState> JobChangeService::readForEdit(qint32 id) const {
    std::optional<StoredJobChange> stored = jobChange(id);
    if (!stored)
        return std::nullopt;
    EmployeeState employee = employeeState(stored->employeeId);
    return ShownState{std::move(employee), std::move(stored)};
}

void JobChangeService::lockEmployee(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    ws.db().open(ws.dialect().lockingSelect(QStringLiteral("eEmpID"), ws.tables.pemployee,
                                            QStringLiteral("eCompanyID = ") + ws.company() +
                                                QStringLiteral(" and eEmpID = ") +
                                                QString::number(employeeId)));
}

void JobChangeService::lockNumbering() const {
    const Workspace& ws = *workspace_;
    const QString sql = ws.dialect().numberingLock(ws.tables.pPrefix, ws.companyId);
    if (!sql.isEmpty())
        ws.db().open(sql);
}

// Active, and without an uncancelled job change dated after the process date: the employees
// the entry window offers for a new job change.
bool JobChangeService::eligible(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    return firstField(QStringLiteral("select count(*) from ") + ws.tables.pemployee +
                      QStringLiteral(" e where e.eCompanyID = ") + ws.company() +
                      QStringLiteral(" and e.eEmpID = ") + QString::number(employeeId) +
                      QStringLiteral(" and e.eActive = 1 and not exists (select egcId from ") +
                      ws.tables.pEmployeegradeChange +
                      QStringLiteral(" egc where egc.egcCompanyID = e.eCompanyID and "
                                     "egc.egcEmpID = e.eEmpID and egc.egcCancelled = 0 and "
                                     "egc.egcDate > ") +
                      ws.dialect().dateLiteral(ws.processDate, QStringLiteral("yyyy/MM/dd")) +
                      QLatin1Char(')'))
               .toLongLong() > 0;
}

bool JobChangeService::designationOffered(qint32 designationId) const {
    const Workspace& ws = *workspace_;
    return firstField(QStringLiteral("select count(*) from ") + ws.tables.pDesignation +
                      QStringLiteral(" where dCompanyID = ") + ws.company() +
                      QStringLiteral(" and dDesigID = ") + QString::number(designationId) +
                      QStringLiteral(" and dActive = 1"))
               .toLongLong() > 0;
}

void JobChangeService::recheckUnderLock(Write kind, qint32 id, const JobChangeDraft* draft,
                                        const ShownState& shown) const {
    if (kind == Write::New) {
        lockEmployee(draft->employeeId);
        requireRight(Right::Create);
        if (!eligible(draft->employeeId))
            throw Refusal{kEmployeeChangedMessage};
        const EmployeeState now = employeeState(draft->employeeId);
        if (shown.employee && !sameEmployee(*shown.employee, now))
            throw Refusal{kEmployeeChangedMessage};
        // What the save stores as old is what the employee has now. The old job is the one
        // exception the window allows: chosen by the clerk when the employee's own is not
        // offered.
        OldValues stored = oldValuesOf(now.designationId, now.basic, now.lines);
        OldValues saving = oldValuesOf(*draft);
        if (!designationOffered(now.designationId))
            saving.designationId = stored.designationId;
        if (saving != stored)
            throw Refusal{kEmployeeChangedMessage};
        return;
    }
    const Workspace& ws = *workspace_;
    const QString header = QStringLiteral(" from ") + ws.tables.pEmployeegradeChange +
                           QStringLiteral(" where egcCompanyId = ") + ws.company() +
                           QStringLiteral(" and egcId = ") + QString::number(id);
    // A job change keeps its employee, so it may be read before the lock.
    lockEmployee(firstField(QStringLiteral("select egcEmpID") + header).toInt());
    requireRight(kind == Write::Edit ? Right::Edit : Right::Cancel);
    if (firstField(QStringLiteral("select egcCancelled") + header).toInt() != 0)
        throw Refusal{kAlreadyCancelledMessage};
    if (laterUncancelledExists(id))
        throw Refusal{kind == Write::Edit ? kCannotSaveLaterMessage : kCannotDeleteLaterMessage};
    if (kind != Write::Edit)
        return;
    const std::optional<StoredJobChange> now = jobChange(id);
    if (!now || (shown.jobChange && !sameJobChange(*shown.jobChange, *now)) ||
        (shown.employee && !sameEmployee(*shown.employee, employeeState(now->employeeId))))
        throw Refusal{kJobChangeChangedMessage};
    // An edit keeps the old job and writes the old basic and the lines' old amounts again: they
    // must be the stored ones, for the stored employee.
    OldValues saving = oldValuesOf(*draft);
    saving.designationId = now->oldDesignationId;
    if (draft->employeeId != now->employeeId || saving != oldValuesOf(*now))
        throw Refusal{kJobChangeChangedMessage};
}

} // namespace jobchange
