#include "jobchange/proposals.h"

#include "data/datetext.h"
#include "jobchange/bulkreads.h"
#include "jobchange/linetable.h"

#include <QHash>

namespace jobchange {

namespace {

BatchStatus statusOf(const QString& letter) {
    const QString trimmed = letter.trimmed().toUpper();
    if (trimmed == QLatin1String("A"))
        return BatchStatus::Approved;
    if (trimmed == QLatin1String("R"))
        return BatchStatus::Rejected;
    return BatchStatus::Pending;
}

QString adjustmentText(const bulk::Adjustment& adjustment) {
    switch (adjustment.mode) {
    case bulk::Mode::Unchanged:
        return QStringLiteral("unchanged");
    case bulk::Mode::PlusPercent: {
        const qint64 value = adjustment.percent.tenThousandths();
        const qint64 magnitude = value < 0 ? -value : value;
        QString fraction =
            QStringLiteral("%1").arg(magnitude % bulk::Percent::kScale, 4, 10, QLatin1Char('0'));
        while (fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
        return (value < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
               QString::number(magnitude / bulk::Percent::kScale) +
               (fraction.isEmpty() ? QString() : QLatin1Char('.') + fraction) + QLatin1Char('%');
    }
    case bulk::Mode::PlusAmount:
        return QStringLiteral("+") + adjustment.amount.toString();
    case bulk::Mode::SetTo:
        return QStringLiteral("=") + adjustment.amount.toString();
    case bulk::Mode::Drop:
        return QStringLiteral("drop");
    }
    return {};
}

QString kindText(LineKind kind) {
    return kind == LineKind::Allowance ? QStringLiteral("allowance") : QStringLiteral("deduction");
}

} // namespace

QString statusText(BatchStatus status) {
    switch (status) {
    case BatchStatus::Pending:
        return QStringLiteral("pending");
    case BatchStatus::Approved:
        return QStringLiteral("approved");
    case BatchStatus::Rejected:
        return QStringLiteral("rejected");
    }
    return {};
}

QString describeRules(const bulk::Filters& filters, const bulk::Rules& rules) {
    QStringList who;
    if (filters.designationId)
        who << QStringLiteral("designation %1").arg(*filters.designationId);
    if (filters.gradeId)
        who << QStringLiteral("grade %1").arg(*filters.gradeId);
    if (!filters.currency.isEmpty())
        who << QStringLiteral("currency ") + filters.currency;
    if (!filters.search.isEmpty())
        who << QStringLiteral("search \"%1\"").arg(filters.search);
    QStringList what{QStringLiteral("basic ") + adjustmentText(rules.basic)};
    if (rules.basic.mode == bulk::Mode::PlusPercent)
        what.last() += QStringLiteral(" rounded to ") +
                       data::Money::fromCents(static_cast<qint64>(rules.rounding))->toString();
    if (rules.newJob)
        what << QStringLiteral("new job ") + (rules.newJob->text.isEmpty()
                                                  ? QString::number(rules.newJob->designationId)
                                                  : rules.newJob->text);
    for (const bulk::LineRule& rule : rules.lines)
        what << QStringLiteral("%1 %2 %3%4")
                    .arg(kindText(rule.kind),
                         rule.typeName.isEmpty() ? QString::number(rule.typeId) : rule.typeName,
                         adjustmentText(rule.adjustment),
                         rule.addWhereMissing ? QStringLiteral(" (added where missing)")
                                              : QString());
    return (who.isEmpty() ? QStringLiteral("Everyone") : who.join(QStringLiteral(", "))) +
           QStringLiteral(": ") + what.join(QStringLiteral("; "));
}

tableexport::ExportTable proposalTable(const Proposal& proposal,
                                       const std::vector<RowReview>& reviews) {
    using Kind = tableexport::ExportColumnKind;
    tableexport::ExportTable table;
    table.titles = {QStringLiteral("Employee No"),   QStringLiteral("Employee Name"),
                    QStringLiteral("Old Job"),       QStringLiteral("New Job"),
                    QStringLiteral("Old Basic"),     QStringLiteral("New Basic"),
                    QStringLiteral("Changed Since"), QStringLiteral("Applied"),
                    QStringLiteral("Job No")};
    table.kinds = {Kind::Text,   Kind::Text, Kind::Text,  Kind::Text, Kind::Amount,
                   Kind::Amount, Kind::Text, Kind::YesNo, Kind::Text};
    for (size_t i = 0; i < proposal.rows.size(); ++i) {
        const ProposalRow& row = proposal.rows[i];
        table.rows.push_back(
            {row.employee.number, row.employee.name, row.employee.job(), row.newJob,
             tableexport::Cents{row.draft.oldBasic.cents()},
             tableexport::Cents{row.draft.newBasic.cents()},
             i < reviews.size() ? reviews[i].changes.join(QStringLiteral("; ")) : QString(),
             row.applied, row.jobChangeNumber});
    }
    return table;
}

bool ProposalReads::installed() const {
    const data::ResolvedTableNames& t = workspace_->tables;
    return !t.pJobChangeSettings.isEmpty() && !t.pBulkBatch.isEmpty() &&
           !t.pBulkBatchRows.isEmpty() && !t.pBulkBatchLines.isEmpty();
}

bool ProposalReads::approvalRequired() const {
    if (!installed())
        return false;
    const Workspace& ws = *workspace_;
    return data::firstField(ws.db(), QStringLiteral("select jsBulkApproval from ") +
                                         ws.tables.pJobChangeSettings +
                                         QStringLiteral(" where jsCompanyID = ") + ws.company())
               .toInt() != 0;
}

int ProposalReads::pendingCount() const {
    if (!installed())
        return 0;
    const Workspace& ws = *workspace_;
    return data::firstField(ws.db(), QStringLiteral("select count(*) from ") +
                                         ws.tables.pBulkBatch +
                                         QStringLiteral(" where bbCompanyID = ") + ws.company() +
                                         QStringLiteral(" and bbStatus = 'P'"))
        .toInt();
}

QString ProposalReads::userName(qint16 userId) const {
    if (userId == 0)
        return {};
    const Workspace& ws = *workspace_;
    const QString name =
        data::firstField(ws.db(), QStringLiteral("select username from ") + ws.tables.pusers +
                                      QStringLiteral(" where companyid = ") + ws.company() +
                                      QStringLiteral(" and userid = ") + QString::number(userId))
            .toString()
            .trimmed();
    return name.isEmpty() ? QStringLiteral("user %1").arg(userId) : name;
}

namespace {

const QString kHeaderColumns =
    QStringLiteral("bbBatchID, bbStatus, bbJobDate, bbRemarks, bbRules, bbRows, bbProposedBy, "
                   "bbProposedOn, bbDecidedBy, bbDecidedOn, bbReason");

Proposal headerOf(const data::Recordset& rs) {
    Proposal proposal;
    proposal.batchId = rs.field(0).toInt();
    proposal.status = statusOf(rs.text(1));
    proposal.jobDate = data::dateOf(rs.field(2));
    proposal.remarks = rs.text(3);
    proposal.rules = rs.text(4);
    proposal.rowCount = rs.field(5).toInt();
    proposal.proposedBy = static_cast<qint16>(rs.field(6).toInt());
    proposal.proposedOn = rs.text(7);
    proposal.decidedBy = static_cast<qint16>(rs.field(8).toInt());
    proposal.decidedOn = rs.text(9);
    proposal.reason = rs.text(10);
    return proposal;
}

} // namespace

std::vector<Proposal> ProposalReads::list() const {
    std::vector<Proposal> all;
    if (!installed())
        return all;
    const Workspace& ws = *workspace_;
    data::Recordset rs = ws.db().open(
        QStringLiteral("select ") + kHeaderColumns + QStringLiteral(" from ") +
        ws.tables.pBulkBatch + QStringLiteral(" where bbCompanyID = ") + ws.company() +
        QStringLiteral(" order by case when bbStatus = 'P' then 0 else 1 end, bbBatchID desc"));
    for (; !rs.eof(); rs.moveNext())
        all.push_back(headerOf(rs));
    QHash<qint16, QString> names;
    for (Proposal& proposal : all) {
        for (qint16 user : {proposal.proposedBy, proposal.decidedBy})
            if (!names.contains(user))
                names.insert(user, userName(user));
        proposal.proposedByName = names.value(proposal.proposedBy);
        proposal.decidedByName = names.value(proposal.decidedBy);
    }
    return all;
}

std::optional<Proposal> ProposalReads::proposal(qint32 batchId) const {
    if (!installed())
        return std::nullopt;
    const Workspace& ws = *workspace_;
    const data::ResolvedTableNames& t = ws.tables;
    const QString batch = QStringLiteral(" = ") + ws.company() + QStringLiteral(" and %1 = ") +
                          QString::number(batchId);
    Proposal proposal;
    {
        data::Recordset rs = ws.db().open(
            QStringLiteral("select ") + kHeaderColumns + QStringLiteral(" from ") + t.pBulkBatch +
            QStringLiteral(" where bbCompanyID") + batch.arg(QStringLiteral("bbBatchID")));
        if (rs.eof())
            return std::nullopt;
        proposal = headerOf(rs);
    }
    proposal.proposedByName = userName(proposal.proposedBy);
    proposal.decidedByName = userName(proposal.decidedBy);

    QHash<int, size_t> position;
    {
        data::Recordset rs = ws.db().open(
            QStringLiteral("select r.bbrRowNo, r.bbrEmpID, r.bbrOldDesigID, r.bbrOldGradeID, "
                           "r.bbrOldBasic, r.bbrNewDesigID, r.bbrNewBasic, r.bbrRemarks, "
                           "r.bbrApplied, r.bbrJobChangeID, e.eempno, e.eName, od.dDescription, "
                           "og.gDescription, nd.dDescription, ng.gDescription, j.egcNo from ") +
            t.pBulkBatchRows + QStringLiteral(" r left outer join ") + t.pemployee +
            QStringLiteral(" e on e.eCompanyID = r.bbrCompanyID and e.eEmpID = r.bbrEmpID "
                           "left outer join ") +
            t.pDesignation +
            QStringLiteral(" od on od.dCompanyID = r.bbrCompanyID and od.dDesigID = "
                           "r.bbrOldDesigID left outer join ") +
            t.pGrades +
            QStringLiteral(" og on og.gCompanyID = r.bbrCompanyID and og.gID = r.bbrOldGradeID "
                           "left outer join ") +
            t.pDesignation +
            QStringLiteral(" nd on nd.dCompanyID = r.bbrCompanyID and nd.dDesigID = "
                           "r.bbrNewDesigID left outer join ") +
            t.pGrades +
            QStringLiteral(" ng on ng.gCompanyID = r.bbrCompanyID and ng.gID = nd.dGradeID "
                           "left outer join ") +
            t.pEmployeegradeChange +
            QStringLiteral(" j on j.egcCompanyID = r.bbrCompanyID and j.egcId = "
                           "r.bbrJobChangeID where r.bbrCompanyID") +
            batch.arg(QStringLiteral("r.bbrBatchID")) + QStringLiteral(" order by r.bbrRowNo"));
        for (; !rs.eof(); rs.moveNext()) {
            ProposalRow row;
            row.rowNo = rs.field(0).toInt();
            bulk::EmployeeSnapshot& e = row.employee;
            e.employeeId = rs.field(1).toInt();
            e.designationId = rs.field(2).toInt();
            e.gradeId = rs.field(3).toInt();
            e.basic = data::amountField(rs, 4);
            e.number = rs.text(10);
            e.name = rs.text(11);
            e.designation = rs.text(12);
            e.grade = rs.text(13);
            JobChangeDraft& d = row.draft;
            d.employeeId = e.employeeId;
            d.oldDesignationId = e.designationId;
            d.oldBasic = e.basic.money().value_or(data::Money{});
            d.newDesignationId = rs.field(5).toInt();
            d.newBasic = data::amountField(rs, 6).money().value_or(data::Money{});
            d.date = proposal.jobDate;
            d.remarks = rs.text(7);
            row.newJob = rs.text(15) + QStringLiteral(" - ") + rs.text(14);
            row.applied = rs.field(8).toInt() != 0;
            row.jobChangeId = rs.field(9).toInt();
            row.jobChangeNumber = rs.text(16);
            position.insert(row.rowNo, proposal.rows.size());
            proposal.rows.push_back(std::move(row));
        }
    }
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        data::Recordset rs = ws.db().open(
            QStringLiteral("select b.bblRowNo, b.bblTypeID, b.bblLetter, b.bblOldAmount, "
                           "b.bblRevAmount, t.") +
            l.typeTextColumn + QStringLiteral(" from ") + t.pBulkBatchLines +
            QStringLiteral(" b left outer join ") + t.*l.typeTable + QStringLiteral(" t on t.") +
            l.typeCompanyColumn + QStringLiteral(" = b.bblCompanyID and t.") + l.typeIdColumn +
            QStringLiteral(" = b.bblTypeID where b.bblCompanyID") +
            batch.arg(QStringLiteral("b.bblBatchID")) + QStringLiteral(" and b.bblKind = ") +
            QString::number(static_cast<int>(kind)) +
            QStringLiteral(" order by b.bblRowNo, b.bblLineNo"));
        for (; !rs.eof(); rs.moveNext()) {
            const auto found = position.constFind(rs.field(0).toInt());
            if (found == position.constEnd())
                continue;
            ProposalRow& row = proposal.rows[*found];
            const QString letterText = rs.text(2).trimmed();
            const QChar letter = letterText.isEmpty() ? QChar() : letterText.front();
            const data::StoredAmount old = data::amountField(rs, 3);
            // The kept and removed lines are the employee's standing lines the preview read.
            if (letter != QLatin1Char('N'))
                row.employee.linesOf(kind).push_back({rs.field(1).toLongLong(), rs.text(5), old});
            row.draft.linesOf(kind).push_back(
                {rs.field(1).toLongLong(), letter, old.money().value_or(data::Money{}),
                 data::amountField(rs, 4).money().value_or(data::Money{})});
        }
    }
    return proposal;
}

std::vector<RowReview> ProposalReads::review(const Proposal& proposal) const {
    const std::vector<bulk::EmployeeSnapshot> now = BulkReads(workspace_).eligibleEmployees();
    QHash<qint32, const bulk::EmployeeSnapshot*> byId;
    for (const bulk::EmployeeSnapshot& employee : now)
        byId.insert(employee.employeeId, &employee);
    std::vector<RowReview> reviews;
    reviews.reserve(proposal.rows.size());
    for (const ProposalRow& row : proposal.rows) {
        RowReview review;
        const bulk::EmployeeSnapshot& then = row.employee;
        const bulk::EmployeeSnapshot* current = byId.value(then.employeeId);
        if (!current) {
            review.changes << QStringLiteral("no longer eligible for a job change");
        } else {
            if (current->designationId != then.designationId || current->gradeId != then.gradeId)
                review.changes << QStringLiteral("job now ") + current->job();
            if (!(current->basic == then.basic))
                review.changes << QStringLiteral("basic %1 now %2")
                                      .arg(then.basic.text(), current->basic.text());
            for (LineKind kind : kLineKinds)
                if (!sameStanding(*current, then) && current->linesOf(kind) != then.linesOf(kind)) {
                    QStringList was;
                    QStringList is;
                    for (const StandingLine& line : then.linesOf(kind))
                        was << line.description + QLatin1Char(' ') + line.amount.text();
                    for (const StandingLine& line : current->linesOf(kind))
                        is << line.description + QLatin1Char(' ') + line.amount.text();
                    review.changes << QStringLiteral("%1s %2 now %3")
                                          .arg(kindText(kind),
                                               was.isEmpty() ? QStringLiteral("none")
                                                             : was.join(QStringLiteral(", ")),
                                               is.isEmpty() ? QStringLiteral("none")
                                                            : is.join(QStringLiteral(", ")));
                }
        }
        reviews.push_back(std::move(review));
    }
    return reviews;
}

} // namespace jobchange
