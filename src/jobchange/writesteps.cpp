#include "jobchange/writesteps.h"

#include <QLocale>
#include <algorithm>

namespace {

// A number read from the database, written back into a statement in plain decimal whatever the
// user's locale; null stays null.
QString sqlNumber(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("null");
    bool ok = false;
    if (value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float) {
        const qlonglong whole = value.toLongLong(&ok);
        if (ok)
            return QString::number(whole);
    }
    const double number = value.toDouble(&ok);
    if (!ok)
        throw data::DbError(data::kErrGeneric, QStringLiteral("frmCancel"),
                            QStringLiteral("Not a number: ") + data::textOf(value));
    return QString::number(number, 'f', QLocale::FloatingPointShortest);
}

} // namespace

namespace jobchange {

WriteSteps::WriteSteps(WorkspacePtr workspace)
    : workspace_(std::move(workspace)), statements_(workspace_->tables) {}

WriteSteps::DesignationGrades WriteSteps::designationGrades() const {
    data::Recordset rs = workspace_->db().open(QStringLiteral("select dDesigID, dGradeID from ") +
                                                   workspace_->tables.pDesignation +
                                                   QStringLiteral(" where dCompanyID = ?"),
                                               {workspace_->companyId});
    DesignationGrades grades;
    for (; !rs.eof(); rs.moveNext())
        grades.insert(rs.field(0).toInt(), static_cast<qint16>(rs.field(1).toInt()));
    return grades;
}

qint32 WriteSteps::nextId() const {
    const QVariant highest = data::firstField(
        workspace_->db(), QStringLiteral("select max(egcId) from  ") +
                              workspace_->tables.pEmployeegradeChange +
                              QStringLiteral(" where egcCompanyId=") + workspace_->company());
    return highest.isNull() ? 1 : static_cast<qint32>(highest.toLongLong() + 1);
}

void WriteSteps::saveNew(const std::vector<NewJobChange>& changes,
                         const DesignationGrades* grades) const {
    const Workspace& ws = *workspace_;
    RowInserts headers = statements_.headers();
    std::vector<qint16> newGrades;
    newGrades.reserve(changes.size());
    for (const NewJobChange& change : changes) {
        const JobChangeDraft& draft = *change.draft;
        newGrades.push_back(designationGrade(draft.newDesignationId, grades));
        headers.add({ws.companyId, change.id, change.number, draft.date, draft.oldDesignationId,
                     designationGrade(draft.oldDesignationId, grades), draft.employeeId,
                     draft.newDesignationId, newGrades.back(), draft.oldBasic.toBind(),
                     draft.newBasic.toBind(), draft.remarks, 0});
    }
    headers.flush(ws.db());
    for (size_t i = 0; i < changes.size(); ++i)
        updateEmployee(*changes[i].draft, newGrades[i]);
    for (LineKind kind : kLineKinds) {
        RowInserts lines = statements_.of(kind).lines();
        for (const NewJobChange& change : changes)
            addLines(lines, kind, ws.companyId, change.id, *change.draft);
        lines.flush(ws.db());
    }
    for (LineKind kind : kLineKinds) {
        std::vector<std::pair<qint32, std::vector<Standing>>> kept;
        kept.reserve(changes.size());
        for (const NewJobChange& change : changes)
            kept.emplace_back(change.draft->employeeId, keptLines(change.draft->linesOf(kind)));
        rewriteStandingLines(kind, kept);
    }
}

void WriteSteps::saveEdit(qint32 id, const JobChangeDraft& draft) const {
    const Workspace& ws = *workspace_;
    const qint16 newGrade = designationGrade(draft.newDesignationId, nullptr);
    ws.db()
        .edit(ws.tables.pEmployeegradeChange, QStringLiteral("egcCompanyId=") + ws.company() +
                                                  QStringLiteral(" and egcId=") +
                                                  QString::number(id))
        .set(QStringLiteral("egcEmpID"), draft.employeeId)
        .set(QStringLiteral("egcNewDesigID"), draft.newDesignationId)
        .set(QStringLiteral("egcNewGradeID"), newGrade)
        .set(QStringLiteral("egcOldBasic"), draft.oldBasic.toBind())
        .set(QStringLiteral("egcNewBasic"), draft.newBasic.toBind())
        .set(QStringLiteral("egcremarks"), draft.remarks)
        .set(QStringLiteral("egcCancelled"), 0)
        .store();
    updateEmployee(draft, newGrade);
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        fnDeleteRows(ws.db(), workspace_->table(l.gcTable),
                     l.gcDeleteCompany + QLatin1Char('?') + l.gcDeleteId + QLatin1Char('?'),
                     {ws.companyId, id});
        RowInserts lines = statements_.of(kind).lines();
        addLines(lines, kind, ws.companyId, id, draft);
        lines.flush(ws.db());
    }
    for (LineKind kind : kLineKinds)
        rewriteStandingLines(kind, {{draft.employeeId, keptLines(draft.linesOf(kind))}});
}

qint16 WriteSteps::designationGrade(qint32 designationId, const DesignationGrades* grades) const {
    if (grades) {
        const auto found = grades->constFind(designationId);
        if (found != grades->constEnd())
            return *found;
    }
    return static_cast<qint16>(
        data::firstField(workspace_->db(),
                         QStringLiteral("select dGradeID from ") + workspace_->tables.pDesignation +
                             QStringLiteral(" where dCompanyID = ") + workspace_->company() +
                             QStringLiteral(" and dDesigID = ") + QString::number(designationId))
            .toInt());
}

// The write statements bind their numbers as well as their amounts: their text is the same for
// every employee, so a batch prepares each once.
void WriteSteps::updateEmployee(const JobChangeDraft& draft, qint16 newGrade) const {
    const Workspace& ws = *workspace_;
    ws.db().execute(statements_.updateEmployee,
                    {draft.newBasic.toBind(), newGrade, draft.newDesignationId, ws.companyId,
                     draft.employeeId});
}

// The job change's lines are written in list order, detail id the position; the employee keeps
// the lines that are not removed, at their revised amounts and under the same detail ids (so
// removed lines leave gaps).
void WriteSteps::addLines(RowInserts& into, LineKind kind, qint16 company, qint32 id,
                          const JobChangeDraft& draft) {
    const std::vector<DraftLine>& lines = draft.linesOf(kind);
    for (size_t i = 0; i < lines.size(); ++i) {
        const DraftLine& line = lines[i];
        into.add({company, id, static_cast<int>(i) + 1, QString(line.letter), line.typeId,
                  line.revisedAmount.toBind(), line.oldAmount.toBind()});
    }
}

std::vector<WriteSteps::Standing> WriteSteps::keptLines(const std::vector<DraftLine>& lines) {
    std::vector<Standing> kept;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].letter != QLatin1Char('R'))
            kept.push_back({static_cast<int>(i) + 1, lines[i].typeId,
                            data::StoredAmount::of(lines[i].revisedAmount)});
    return kept;
}

void WriteSteps::rewriteStandingLines(
    LineKind kind, const std::vector<std::pair<qint32, std::vector<Standing>>>& employees) const {
    const Workspace& ws = *workspace_;
    const WriteStatements::OfKind& statements = statements_.of(kind);
    // The employees' ids after the company's, as many a statement as may be bound.
    constexpr size_t kPerDelete = kMaxBoundValues - 1;
    for (size_t from = 0; from < employees.size(); from += kPerDelete) {
        const size_t to = std::min(employees.size(), from + kPerDelete);
        QVariantList binds{ws.companyId};
        QString criterion = statements.empCompany + QStringLiteral(" = ? and ") +
                            statements.empEmployee + QStringLiteral(" in (");
        for (size_t i = from; i < to; ++i) {
            criterion += i == from ? QStringLiteral("?") : QStringLiteral(", ?");
            binds << employees[i].first;
        }
        fnDeleteRows(ws.db(), statements.empTable, criterion + QLatin1Char(')'), binds);
    }
    RowInserts standing = statements.standing();
    for (const auto& [employeeId, lines] : employees)
        for (const Standing& line : lines)
            standing.add(
                {ws.companyId, employeeId, line.detailId, line.typeId, line.amount.toBind()});
    standing.flush(ws.db());
}

// The lines a job change replaced: its kept ("O") and removed ("R") lines at their old amounts,
// numbered 1 to n in line order. Lines it added ("N") are not among them.
std::vector<WriteSteps::Standing> WriteSteps::replacedLines(LineKind kind, qint32 id) const {
    const Workspace& ws = *workspace_;
    const LineTable& l = lineTable(kind);
    data::Recordset rs = ws.db().open(
        QStringLiteral("select ") + l.gcTypeIdColumn + QStringLiteral(", ") +
        l.gcColumn("oldamount") + QStringLiteral(" from ") + workspace_->table(l.gcTable) +
        QStringLiteral(" where ") + l.gcColumn("companyid") + QStringLiteral(" = ") + ws.company() +
        QStringLiteral(" and ") + l.gcColumn("gcid") + QStringLiteral(" = ") + QString::number(id) +
        QStringLiteral(" and ") + l.gcColumn("type") + QStringLiteral(" in ('O', 'R') order by ") +
        l.gcColumn("detailid"));
    std::vector<Standing> lines;
    for (; !rs.eof(); rs.moveNext())
        lines.push_back({static_cast<int>(lines.size()) + 1, rs.field(0).toLongLong(),
                         data::amountField(rs, 1)});
    return lines;
}

void WriteSteps::cancel(qint32 id, const QString& reason) const {
    const Workspace& ws = *workspace_;
    const QString& t = ws.tables.pEmployeegradeChange;
    QString remark;
    {
        data::Recordset user =
            ws.db().open(QStringLiteral("select username from ") + ws.tables.pusers +
                         QStringLiteral(" where companyid=") + ws.company() +
                         QStringLiteral(" and userid=") + QString::number(ws.userId));
        // Without a user name the reason still goes in, under the user id.
        const QString who = user.eof() ? QStringLiteral("User ") + QString::number(ws.userId)
                                       : user.text(0).trimmed();
        remark = who + QLatin1Char(':') + reason.trimmed();
    }
    const QString where = QStringLiteral(" where egcId='") + QString::number(id) +
                          QStringLiteral("' and egcCompanyid=") + ws.company();
    ws.db().execute(QStringLiteral("update ") + t + QStringLiteral(" set egccancelled=1,") +
                        QStringLiteral("egcCancelledRemarks=?") + where,
                    {remark});

    QString empId, oldDesigId, oldGradeId;
    data::StoredAmount oldBasic;
    {
        data::Recordset replaced = ws.db().open(
            QStringLiteral("select egcEmpID, egcOldDesigID, egcOldGradeID, egcOldBasic from ") + t +
            where);
        empId = sqlNumber(replaced.field(0));
        oldDesigId = sqlNumber(replaced.field(1));
        oldGradeId = sqlNumber(replaced.field(2));
        oldBasic = data::amountField(replaced, 3);
    }
    ws.db().execute(QStringLiteral("update ") + ws.tables.pemployee +
                        QStringLiteral(" set eBasic = ?") + QStringLiteral(" , eDesigID = ") +
                        oldDesigId + QStringLiteral(" , eGradeID = ") + oldGradeId +
                        QStringLiteral(" where eEmpId = ") + empId +
                        QStringLiteral(" and eCompanyID = ") + ws.company(),
                    {oldBasic.toBind()});
    for (LineKind kind : kLineKinds)
        rewriteStandingLines(kind, {{empId.toInt(), replacedLines(kind, id)}});
}

} // namespace jobchange
