#include "jobchange/writer.h"

#include "bulk/jobdate.h"
#include "jobchange/batchunit_p.h"
#include "jobchange/bulkreads.h"
#include "jobchange/numbering.h"
#include "jobchange/proposals.h"
#include "jobchange/unitofwork.h"
#include "jobchange/writesteps.h"

#include <algorithm>
#include <limits>

namespace jobchange {

namespace {

constexpr int kErrOverflow = 6;

const UnitOfWork::Subject kJobChange{QStringLiteral("Ok"), QStringLiteral("the job change")};
const UnitOfWork::Subject kCancellation{QStringLiteral("OK"), QStringLiteral("the cancellation")};
const UnitOfWork::Subject kBatch{QStringLiteral("Apply"), QStringLiteral("the job changes")};

// What a single write returns: what its last run wrote when it committed (or when the COMMIT was
// cut off, which may have gone through under that id), else why not.
WriteResult resultOf(const UnitOutcome& outcome, const WriteResult& written) {
    WriteResult result;
    switch (outcome.ended) {
    case UnitOutcome::Ended::Committed:
        result = written;
        result.ok = true;
        break;
    case UnitOutcome::Ended::Refused:
        result.refused = true;
        result.error = outcome.message;
        break;
    case UnitOutcome::Ended::Failed:
        result.errorNumber = outcome.errorNumber;
        result.error = outcome.message;
        result.outcomeUnknown = outcome.outcomeUnknown;
        result.id = outcome.outcomeUnknown ? written.id : 0;
        break;
    }
    result.retries = outcome.retries;
    return result;
}

} // namespace

WriteResult JobChangeWriter::saveNew(const JobChangeDraft& draft, const ShownState& shown) const {
    UnitOfWork unit(workspace_, kJobChange, true);
    const WriteSteps steps(workspace_);
    WriteResult written;
    const UnitOutcome outcome = unit.run([&] {
        written = {};
        unit.recheckNew(draft, shown);
        unit.write(Action::Create, draft.employeeId, 0, [&]() -> UnitOfWork::Written {
            unit.lockNumbering();
            written.id = steps.nextId();
            written.number = numberSeries(*workspace_).number();
            steps.saveNew({{written.id, written.number, &draft}});
            return {written.id, written.number};
        });
    });
    return resultOf(outcome, written);
}

WriteResult JobChangeWriter::saveEdit(qint32 id, const JobChangeDraft& draft,
                                      const ShownState& shown) const {
    UnitOfWork unit(workspace_, kJobChange, false);
    const WriteSteps steps(workspace_);
    WriteResult written;
    const UnitOutcome outcome = unit.run([&] {
        written = {};
        unit.recheckEdit(id, draft, shown);
        written.id = id;
        unit.write(Action::Edit, draft.employeeId, id, [&]() -> UnitOfWork::Written {
            steps.saveEdit(id, draft);
            return {id, {}};
        });
    });
    return resultOf(outcome, written);
}

WriteResult JobChangeWriter::cancel(qint32 id, const QString& reason) const {
    UnitOfWork unit(workspace_, kCancellation, false);
    const WriteSteps steps(workspace_);
    WriteResult written;
    const UnitOutcome outcome = unit.run([&] {
        written = {};
        const qint32 employeeId = unit.recheckCancel(id);
        written.id = id;
        unit.write(Action::Cancel, employeeId, id, [&]() -> UnitOfWork::Written {
            steps.cancel(id, reason);
            return {id, {}};
        });
    });
    return resultOf(outcome, written);
}

BatchResult JobChangeWriter::apply(const std::vector<bulk::PreviewRow>& rows,
                                   const bulk::Rules& rules, const BatchProgress& progress) const {
    // Checked again here, whatever the rules came from.
    if (QString problem = bulk::batchJobDateProblem(rules.date, workspace_->processDate);
        !problem.isEmpty()) {
        BatchResult refused;
        refused.error = std::move(problem);
        return refused;
    }
    std::vector<const bulk::EmployeeSnapshot*> previewed;
    std::vector<JobChangeDraft> drafts;
    for (const bulk::PreviewRow& row : rows)
        if (row.willApply()) {
            previewed.push_back(&row.employee);
            drafts.push_back(draftOf(*bulk::plannedJobChange(row, rules)));
        }

    UnitOfWork unit(workspace_, kBatch, true);
    BatchResult result;
    try {
        const UnitOutcome outcome = unit.run([&] {
            result = {};
            // Read in the unit: a batch started as the setting is turned on
            // is refused.
            if (ProposalReads(workspace_).approvalRequired())
                throw Refusal{kMustProposeMessage};
            unit.recheckBatch(previewed, drafts, result.changed);
            writeBatch(unit, drafts, result, progress);
        });
        return batchResult(outcome, result);
    } catch (const batchunit::Cancelled&) {
        result.saved.clear();
        result.outcome = BatchResult::Outcome::Cancelled;
        return result;
    }
}

void JobChangeWriter::writeBatch(UnitOfWork& unit, const std::vector<JobChangeDraft>& drafts,
                                 BatchResult& result, const BatchProgress& progress) const {
    const WriteSteps steps(workspace_);
    const int total = static_cast<int>(drafts.size());
    // One read of the numbering under the company's numbering lock, then counted on.
    unit.lockNumbering();
    const qint32 id = steps.nextId();
    const NumberSeries series = numberSeries(*workspace_);
    if (series.next + total - 1 > std::numeric_limits<qint32>::max())
        throw data::DbError(kErrOverflow, QStringLiteral("frmGrade"), QStringLiteral("Overflow"));
    const WriteSteps::DesignationGrades grades = steps.designationGrades();
    unit.writeNew([&] {
        std::vector<UnitOfWork::Created> created;
        created.reserve(drafts.size());
        // A few multi-row statements for each run of employees, then their progress.
        constexpr size_t kEmployeesAtOnce = 64;
        for (size_t from = 0; from < drafts.size(); from += kEmployeesAtOnce) {
            std::vector<WriteSteps::NewJobChange> changes;
            for (size_t i = from; i < std::min(drafts.size(), from + kEmployeesAtOnce); ++i)
                changes.push_back({id + static_cast<qint32>(i),
                                   series.number(static_cast<qint64>(i)), &drafts[i]});
            steps.saveNew(changes, &grades);
            for (const WriteSteps::NewJobChange& change : changes) {
                created.push_back({change.draft->employeeId, {change.id, change.number}});
                result.saved.push_back({change.draft->employeeId, change.id, change.number});
                if (progress && !progress(static_cast<int>(result.saved.size()), total))
                    throw batchunit::Cancelled{};
            }
        }
        return created;
    });
}

BatchResult JobChangeWriter::batchResult(const UnitOutcome& outcome, BatchResult result) {
    switch (outcome.ended) {
    case UnitOutcome::Ended::Committed:
        result.outcome = BatchResult::Outcome::Applied;
        break;
    case UnitOutcome::Ended::Refused:
        result.saved.clear();
        if (outcome.forbidden) {
            result.outcome = BatchResult::Outcome::Forbidden;
            result.error = outcome.message;
        } else if (result.changed.empty()) {
            result.outcome = BatchResult::Outcome::Declined;
            result.error = outcome.message;
        } else {
            result.outcome = BatchResult::Outcome::Refused;
        }
        break;
    case UnitOutcome::Ended::Failed:
        result.saved.clear();
        result.changed.clear();
        result.outcome = BatchResult::Outcome::Failed;
        result.errorNumber = outcome.errorNumber;
        result.error = outcome.message;
        result.outcomeUnknown = outcome.outcomeUnknown;
        break;
    }
    return result;
}

} // namespace jobchange
