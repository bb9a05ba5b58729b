#include "jobchange/unitofwork.h"

#include "bulk/sheet.h"
#include "jobchange/auditreads.h"
#include "jobchange/bulkreads.h"
#include "jobchange/registerreads.h"

#include <QHash>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <stdexcept>

namespace jobchange {

UnitOfWork::UnitOfWork(WorkspacePtr workspace, Subject subject, bool numbers)
    : workspace_(std::move(workspace)), subject_(std::move(subject)), numbers_(numbers),
      reads_(workspace_) {}

UnitOutcome UnitOfWork::run(const std::function<void()>& work) {
    UnitOutcome outcome;
    for (int attempt = 1;; ++attempt) {
        numberingLocked_ = false;
        checkedEmployee_.reset();
        checkedJobChange_.reset();
        checkedBatch_.clear();
        try {
            data::TransactionGuard transaction(workspace_->db());
            work();
            transaction.commit();
            outcome.ended = UnitOutcome::Ended::Committed;
            return outcome;
        } catch (const Refusal& refusal) {
            // Rolled back already; the window shows why.
            outcome.ended = UnitOutcome::Ended::Refused;
            outcome.message = refusal.message;
            outcome.forbidden = refusal.forbidden;
            return outcome;
        } catch (const data::DbError& error) {
            outcome.ended = UnitOutcome::Ended::Failed;
            outcome.errorNumber = error.number();
            if (error.connectionLost()) {
                // Not tried again here: the clerk is told, and the next action opens the
                // connection again. A COMMIT cut off may have gone through.
                outcome.outcomeUnknown = error.operation() == QLatin1String("commitTrans");
                outcome.message = lostConnectionMessage(error, subject_.button, subject_.what);
                return outcome;
            }
            const bool lostRace = error.number() == data::kErrLockConflict ||
                                  (numbers_ && error.number() == data::kErrIntegrityViolation);
            if (attempt < kWriteAttempts && lostRace) {
                ++outcome.retries;
                // Clerks that collided spread out before they try again, further each time.
                QThread::msleep(QRandomGenerator::global()->bounded(20u << attempt));
                continue;
            }
            outcome.message = error.description();
            return outcome;
        }
    }
}

void UnitOfWork::lockEmployee(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    ws.db().open(ws.dialect().lockingSelect(QStringLiteral("eEmpID"), ws.tables.pemployee,
                                            QStringLiteral("eCompanyID = ") + ws.company() +
                                                QStringLiteral(" and eEmpID = ") +
                                                QString::number(employeeId)));
}

void UnitOfWork::lockNumbering() {
    if (numberingLocked_)
        return;
    const Workspace& ws = *workspace_;
    const QString sql = ws.dialect().numberingLock(ws.tables.pPrefix, ws.companyId);
    if (!sql.isEmpty())
        ws.db().open(sql);
    numberingLocked_ = true;
}

void UnitOfWork::requireRight(Right right) const {
    if (const std::optional<QString> missing = UserRights(workspace_).missingRight(right))
        throw Refusal{*missing, true};
}

void UnitOfWork::recheckNew(const JobChangeDraft& draft, const ShownState& shown) {
    lockEmployee(draft.employeeId);
    requireRight(Right::Create);
    if (!reads_.offersEmployee(draft.employeeId))
        throw Refusal{kEmployeeChangedMessage};
    checkedEmployeeId_ = draft.employeeId;
    const EmployeeState& now = checkedEmployee_.emplace(reads_.employeeState(draft.employeeId));
    if (shown.employee && !sameEmployee(*shown.employee, now))
        throw Refusal{kEmployeeChangedMessage};
    // What the save stores as old is what the employee has now. The old job is the one
    // exception the window allows: chosen by the clerk when the employee's own is not offered.
    OldValues stored = oldValuesOf(now.designationId, now.basic, now.lines);
    OldValues saving = oldValuesOf(draft);
    if (!reads_.offersOldJob(now.designationId))
        saving.designationId = stored.designationId;
    if (saving != stored)
        throw Refusal{kEmployeeChangedMessage};
}

// What an edit and a cancellation check first: the job change's employee locked (a job change
// keeps its employee, so it may be read before the lock), the right, and the job change neither
// cancelled nor followed by a later one.
qint32 UnitOfWork::recheckStored(qint32 id, Right right, const QString& laterMessage) {
    const Workspace& ws = *workspace_;
    const QString header = QStringLiteral(" from ") + ws.tables.pEmployeegradeChange +
                           QStringLiteral(" where egcCompanyId = ") + ws.company() +
                           QStringLiteral(" and egcId = ") + QString::number(id);
    const qint32 employeeId =
        data::firstField(ws.db(), QStringLiteral("select egcEmpID") + header).toInt();
    lockEmployee(employeeId);
    requireRight(right);
    if (data::firstField(ws.db(), QStringLiteral("select egcCancelled") + header).toInt() != 0)
        throw Refusal{kAlreadyCancelledMessage};
    if (RegisterReads(workspace_).laterUncancelledExists(id))
        throw Refusal{laterMessage};
    return employeeId;
}

qint32 UnitOfWork::recheckEdit(qint32 id, const JobChangeDraft& draft, const ShownState& shown) {
    const qint32 employeeId = recheckStored(id, Right::Edit, kCannotSaveLaterMessage);
    const std::optional<StoredJobChange>& now = checkedJobChange_ = reads_.jobChange(id);
    if (!now)
        throw Refusal{kJobChangeChangedMessage};
    checkedEmployeeId_ = now->employeeId;
    const EmployeeState& employee = checkedEmployee_.emplace(reads_.employeeState(now->employeeId));
    if ((shown.jobChange && !sameJobChange(*shown.jobChange, *now)) ||
        (shown.employee && !sameEmployee(*shown.employee, employee)))
        throw Refusal{kJobChangeChangedMessage};
    // An edit keeps the old job and writes the old basic and the lines' old amounts again: they
    // must be the stored ones, for the stored employee.
    OldValues saving = oldValuesOf(draft);
    saving.designationId = now->oldDesignationId;
    if (draft.employeeId != now->employeeId || saving != oldValuesOf(*now))
        throw Refusal{kJobChangeChangedMessage};
    return employeeId;
}

qint32 UnitOfWork::recheckCancel(qint32 id) {
    return recheckStored(id, Right::Cancel, kCannotDeleteLaterMessage);
}

void UnitOfWork::recheckBatch(const std::vector<const bulk::EmployeeSnapshot*>& previewed,
                              const std::vector<JobChangeDraft>& drafts,
                              std::vector<qint32>& changed, Right right) {
    // A second job change of one employee would store as old what the first replaces, and the
    // audit would show neither's true before and after: such a batch is refused whole.
    QSet<qint32> named;
    named.reserve(static_cast<qsizetype>(drafts.size()));
    for (size_t i = 0; i < drafts.size(); ++i) {
        if (named.contains(drafts[i].employeeId))
            throw Refusal{QStringLiteral("Employee No %1 is in the batch more than once; nothing "
                                         "was saved.")
                              .arg(bulk::shownText(previewed[i]->number.trimmed()))};
        named.insert(drafts[i].employeeId);
    }
    const BulkReads bulkReads(workspace_);
    bulkReads.lockEmployees();
    const std::vector<bulk::EmployeeSnapshot> now = bulkReads.standing();
    requireRight(right);
    QHash<qint32, size_t> position;
    position.reserve(static_cast<qsizetype>(now.size()));
    for (size_t i = 0; i < now.size(); ++i)
        position.insert(now[i].employeeId, i);
    checkedBatch_.clear();
    checkedBatch_.reserve(static_cast<qsizetype>(previewed.size()));
    for (size_t i = 0; i < previewed.size(); ++i) {
        const bulk::EmployeeSnapshot& employee = *previewed[i];
        const auto found = position.constFind(employee.employeeId);
        if (found == position.constEnd() || !sameStanding(employee, now[*found]) ||
            oldValuesOf(drafts[i]) !=
                oldValuesOf(now[*found].designationId, now[*found].basic, now[*found].lines)) {
            changed.push_back(employee.employeeId);
            continue;
        }
        const bulk::EmployeeSnapshot& stands = now[*found];
        checkedBatch_.insert(employee.employeeId, {true, stands.designationId, stands.gradeId,
                                                   stands.basic, stands.lines});
    }
    if (!changed.empty())
        throw Refusal{QStringLiteral("Employees changed by another user since the preview")};
}

JobChangeState UnitOfWork::stateOf(qint32 id, qint32 employeeId) const {
    return {id == 0 ? std::nullopt : reads_.jobChange(id), reads_.employeeState(employeeId)};
}

void UnitOfWork::write(Action action, qint32 employeeId, qint32 id,
                       const std::function<Written()>& steps) {
    ChangeRecorder* recorder = workspace_->recorder.get();
    if (!recorder) {
        steps();
        return;
    }
    // The state the re-check read, when it read this job change's: nothing has been written
    // since.
    const bool checked =
        checkedEmployee_ && checkedEmployeeId_ == employeeId &&
        (id == 0 ? !checkedJobChange_ : checkedJobChange_ && checkedJobChange_->id == id);
    ChangeRecord change{action,
                        id,
                        {},
                        employeeId,
                        checked ? JobChangeState{checkedJobChange_, *checkedEmployee_}
                                : stateOf(id, employeeId),
                        {}};
    checkedEmployee_.reset();
    checkedJobChange_.reset();
    const Written written = steps();
    change.jobChangeId = written.id;
    change.after = stateOf(written.id, employeeId);
    change.number = !written.number.isEmpty() || !change.after.jobChange
                        ? written.number
                        : change.after.jobChange->number;
    lockNumbering();
    recorder->record(*workspace_, change);
}

void UnitOfWork::writeNew(const std::function<std::vector<Created>()>& steps) {
    ChangeRecorder* recorder = workspace_->recorder.get();
    if (!recorder) {
        steps();
        return;
    }
    const std::vector<Created> created = steps();
    for (const Created& c : created)
        if (!checkedBatch_.contains(c.employeeId))
            throw std::logic_error("a batch's employee written without its re-check");
    lockNumbering();
    // What was written, read back under the same locks, a few statements for each part of the
    // batch: the texts the same reads of one job change give. The parts keep what a whole
    // company's batch holds at once small.
    constexpr size_t kRecordedAtOnce = 500;
    for (size_t from = 0; from < created.size(); from += kRecordedAtOnce) {
        const size_t to = std::min(created.size(), from + kRecordedAtOnce);
        std::vector<qint32> employeeIds;
        qint32 firstId = created[from].written.id, lastId = firstId;
        for (size_t i = from; i < to; ++i) {
            employeeIds.push_back(created[i].employeeId);
            firstId = std::min(firstId, created[i].written.id);
            lastId = std::max(lastId, created[i].written.id);
        }
        const std::map<qint32, EmployeeState> employees =
            AuditReads(workspace_).employeeStates(employeeIds);
        std::map<qint32, StoredJobChange> jobChanges = reads_.jobChanges(firstId, lastId);
        std::vector<ChangeRecord> changes;
        changes.reserve(to - from);
        for (size_t i = from; i < to; ++i) {
            const Created& c = created[i];
            ChangeRecord& change = changes.emplace_back();
            change.action = Action::Create;
            change.jobChangeId = c.written.id;
            change.number = c.written.number;
            change.employeeId = c.employeeId;
            change.before.employee = checkedBatch_.value(c.employeeId);
            const auto employee = employees.find(c.employeeId);
            if (employee != employees.end())
                change.after.employee = employee->second;
            const auto jobChange = jobChanges.find(c.written.id);
            if (jobChange != jobChanges.end())
                change.after.jobChange = std::move(jobChange->second);
        }
        recorder->record(*workspace_, changes);
    }
    checkedBatch_.clear();
}

void UnitOfWork::record(const ActionRecord& action) {
    ChangeRecorder* recorder = workspace_->recorder.get();
    if (!recorder)
        return;
    lockNumbering();
    recorder->record(*workspace_, action);
}

void UnitOfWork::recordBatch(const BatchRecord& batch) {
    static const char* const kNames[] = {"Propose batch", "Approve batch", "Reject batch"};
    const auto ids = [](const std::vector<qint32>& values) {
        QJsonArray array;
        for (const qint32 value : values)
            array.append(value);
        return array;
    };
    ActionRecord action;
    action.action = QString::fromLatin1(kNames[static_cast<int>(batch.action)]);
    action.after = QJsonObject{{QStringLiteral("batch"), batch.batchId},
                               {QStringLiteral("employees"), ids(batch.employeeIds)},
                               {QStringLiteral("jobChanges"), ids(batch.jobChangeIds)}};
    action.remark = batch.reason;
    record(action);
}

} // namespace jobchange
