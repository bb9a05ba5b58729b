#include "jobchange/jobchangeservice.h"

#include "jobchange/closedhint.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <limits>

namespace {

constexpr int kErrOverflow = 6;

// The stored prefix is data, not typed here, but a quote in it must not end the literal.
QString quoted(QString text) {
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

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

const QString kJobCriterion =
    QStringLiteral("dCompanyid = gCompanyid and dGradeID = gID and dactive = 1 and ");

} // namespace

QString RegisterQuery(const data::Dialect& dialect, const data::ResolvedTableNames& tables,
                      qint16 companyId) {
    return QStringLiteral("select egcid, egcno, egcdate, ename,") + QLatin1Char(' ') +
           dialect.concatSpace(QStringLiteral("og.gDescription"),
                               QStringLiteral("od.dDescription")) +
           QStringLiteral(", ") +
           dialect.concatSpace(QStringLiteral("ng.gDescription"),
                               QStringLiteral("nd.dDescription")) +
           QStringLiteral(",") +
           QStringLiteral(" case egccancelled when 1 then 'Yes' when 0 then 'No' end") +
           QStringLiteral(" from ") + tables.pEmployeegradeChange + QStringLiteral(", ") +
           tables.pemployee + QStringLiteral(", ") + tables.pGrades + QStringLiteral(" og, ") +
           tables.pGrades + QStringLiteral(" ng, ") + tables.pDesignation +
           QStringLiteral(" od, ") + tables.pDesignation + QStringLiteral(" nd ") +
           QStringLiteral(" where egcCompanyID = eCompanyID and egcEmpID = eEmpID and ") +
           QStringLiteral(" egcCompanyid = od.dCompanyID and egcOldDesigID = od.dDesigID and "
                          "egcCompanyid = nd.dCompanyID and egcNewDesigID = nd.dDesigID and ") +
           QStringLiteral(" od.dGradeID = og.gid and od.dcompanyid = og.gcompanyid and "
                          "nd.dGradeID = ng.gid and nd.dcompanyid = ng.gcompanyid and "
                          "egcCompanyid = ") +
           QString::number(companyId);
}

QString RegisterDateFilter(const data::Dialect& dialect, const QDate& cutoff) {
    return QStringLiteral(" and egcdate >=") +
           dialect.dateLiteral(cutoff, QStringLiteral("yyyyMMdd"));
}

QString RegisterOrder(const data::Dialect& dialect) {
    // A number's running part orders by its length first: JC9 before JC10.
    return QStringLiteral(" order by egcdate, ") + dialect.len(QStringLiteral("egcno")) +
           QStringLiteral(", egcno");
}

QString gradeNoMaxSql(const data::Dialect& dialect, const QString& gradeChangeTable,
                      qint16 companyId, const QString& prefix) {
    const QString number = dialect.right(QStringLiteral("egcNo"),
                                         dialect.len(QStringLiteral("egcNo")) + QLatin1Char('-') +
                                             QString::number(prefix.size()));
    return QStringLiteral("SELECT ") +
           dialect.isNull(QStringLiteral("max(") + dialect.toInt(number) + QLatin1Char(')'),
                          QStringLiteral("0")) +
           QStringLiteral(" FROM ") + gradeChangeTable + QStringLiteral(" WHERE egcCompanyID=") +
           QString::number(companyId) + QStringLiteral(" and egcNo like '") +
           quoted(prefix.trimmed()) + QStringLiteral("%'");
}

namespace jobchange {

JobChangeService::JobChangeService(WorkspacePtr workspace)
    : workspace_(std::move(workspace)), statements_(workspace_->tables) {}

QVariant JobChangeService::firstField(const QString& sql) const {
    data::Recordset rs = workspace_->db().open(sql);
    return rs.eof() ? QVariant() : rs.field(0);
}

// ---------------------------------------------------------------- the register

QString JobChangeService::registerSql(qint16 previousDays) const {
    return registerRowsSql(previousDays) + RegisterOrder(workspace_->dialect());
}

QString JobChangeService::registerRowsSql(qint16 previousDays) const {
    const Workspace& ws = *workspace_;
    QString sql = RegisterQuery(ws.dialect(), ws.tables, ws.companyId);
    if (previousDays > 0)
        sql += RegisterDateFilter(ws.dialect(), ws.processDate.addDays(-previousDays));
    return sql;
}

data::Recordset JobChangeService::registerRows(qint16 previousDays) const {
    return workspace_->db().open(registerSql(previousDays));
}

data::RowStream JobChangeService::registerStream(qint16 previousDays) const {
    return data::RowStream(workspace_->db(), registerSql(previousDays));
}

std::optional<QVariantList> JobChangeService::registerRow(qint16 previousDays, qint32 id) const {
    data::Recordset rs = workspace_->db().open(
        registerRowsSql(previousDays) + QStringLiteral(" and egcId = ") + QString::number(id));
    if (rs.eof())
        return std::nullopt;
    QVariantList fields;
    for (int c = 0; c < rs.fieldCount(); ++c)
        fields << rs.field(c);
    return fields;
}

QStringList JobChangeService::columnTitles() const {
    const data::ResolvedTableNames& t = workspace_->tables;
    data::Recordset rs = workspace_->db().open(
        QStringLiteral("select tc.columnheader,tc.columnname from ") + QStringLiteral(" ") +
            t.ptables + QStringLiteral("  t,") + t.ptablecolumns +
            QStringLiteral(" tc where t.tableid = tc.tableid and ") +
            QStringLiteral("  tablename = ? order by tc.ColumnID"),
        {t.pEmployeegradeChange});
    QStringList titles;
    for (; !rs.eof(); rs.moveNext())
        titles << rs.text(0);
    return titles;
}

qint16 JobChangeService::previousDays() const {
    return static_cast<qint16>(
        firstField(QStringLiteral("select NoOfPreviousDays from ") + workspace_->tables.pSettings +
                   QStringLiteral(" where companyID=") + workspace_->company())
            .toInt());
}

bool JobChangeService::laterUncancelledExists(qint32 id) const {
    const QString t = workspace_->tables.pEmployeegradeChange;
    const QString company = workspace_->company();
    const QString jc = QString::number(id);
    return firstField(QStringLiteral("select count(*) from ") + t + QStringLiteral(" where ") +
                      QStringLiteral("egccompanyid = ") + company +
                      QStringLiteral(" and egcempid = (select egcempid from ") + t +
                      QStringLiteral(" where egccompanyid =") + company +
                      QStringLiteral(" and egcid =") + jc + QStringLiteral(")  and egcid > ") + jc +
                      QStringLiteral(" and egcCancelled =0"))
               .toLongLong() > 0;
}

std::optional<qint32> JobChangeService::findJobChange(const QString& idOrNumber) const {
    const Workspace& ws = *workspace_;
    const QString text = idOrNumber.trimmed();
    const QString select = QStringLiteral("select egcId from ") + ws.tables.pEmployeegradeChange +
                           QStringLiteral(" where egcCompanyID = ? and ");
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    bool fits = false;
    const qint32 id = text.toInt(&fits);
    if (digits && fits) {
        data::Recordset rs =
            ws.db().open(select + QStringLiteral("egcId = ?"), {int(ws.companyId), id});
        if (!rs.eof())
            return rs.field(0).toInt();
    }
    data::Recordset rs = ws.db().open(select + QStringLiteral("upper(egcNo) = ? order by egcId"),
                                      {int(ws.companyId), text.toUpper()});
    if (rs.eof())
        return std::nullopt;
    return rs.field(0).toInt();
}

// ---------------------------------------------------------------- the entry window

std::optional<StoredJobChange> JobChangeService::jobChange(qint32 id) const {
    const Workspace& ws = *workspace_;
    StoredJobChange stored;
    {
        data::Recordset rs =
            ws.db().open(QStringLiteral("select * from ") + ws.tables.pEmployeegradeChange +
                         QStringLiteral(" where egcCompanyId=") + ws.company() +
                         QStringLiteral(" and egcID=") + QString::number(id));
        if (rs.eof())
            return std::nullopt;
        stored.id = id;
        stored.number = rs.text(QStringLiteral("egcNo"));
        stored.date = data::dateOf(rs.field(QStringLiteral("egcDate")));
        stored.employeeId = rs.field(QStringLiteral("egcEmpID")).toInt();
        stored.oldDesignationId = rs.field(QStringLiteral("egcOldDesigID")).toInt();
        stored.oldGradeId = rs.field(QStringLiteral("egcOldGradeID")).toInt();
        stored.newDesignationId = rs.field(QStringLiteral("egcNewDesigID")).toInt();
        stored.newGradeId = rs.field(QStringLiteral("egcNewGradeID")).toInt();
        stored.oldBasic = data::amountField(rs, QStringLiteral("egcOldBasic"));
        stored.newBasic = data::amountField(rs, QStringLiteral("egcNewBasic"));
        stored.remarks = rs.text(QStringLiteral("egcremarks"));
        stored.cancelled = rs.field(QStringLiteral("egcCancelled")).toInt() != 0;
        stored.cancelledRemarks = rs.text(QStringLiteral("egcCancelledRemarks"));
    }
    for (LineKind kind : kLineKinds) {
        const LineTable& l = lineTable(kind);
        data::Recordset rs =
            ws.db().open(l.storedSelect + table(l.typeTable) + l.storedTypeAlias +
                         table(l.gcTable) + l.storedGcAlias + ws.tables.pcurrencymaster +
                         l.storedJoin + QString::number(id) + l.storedCompany + ws.company());
        for (; !rs.eof(); rs.moveNext()) {
            StoredLine& line = stored.lines[static_cast<size_t>(kind)].emplace_back();
            line.letter = rs.text(l.gcColumn("type"));
            line.typeId = rs.field(l.typeIdColumn).toLongLong();
            line.description = rs.text(l.typeTextColumn);
            line.oldAmount = data::amountField(rs, l.gcColumn("oldamount"));
            line.revisedAmount = data::amountField(rs, l.gcColumn("revamount"));
            line.currency = rs.text(QStringLiteral("CurrencyName"));
        }
    }
    return stored;
}

QString JobChangeService::currencySymbol(qint32 employeeId) const {
    const Workspace& ws = *workspace_;
    return data::textOf(firstField(
        QStringLiteral("select Symbol from  ") + ws.tables.pemployee + QStringLiteral(" ,") +
        ws.tables.pcurrencymaster +
        QStringLiteral(" where CompanyID=ecompanyid  and ecurrencyid=CurrencyID and companyid= ") +
        ws.company() + QStringLiteral(" and  eEmpID= ") + QString::number(employeeId)));
}

std::vector<Choice> JobChangeService::eligibleEmployees() const {
    const Workspace& ws = *workspace_;
    data::Recordset rs = ws.db().open(
        QStringLiteral("select eempid, ename from ") + ws.tables.pemployee +
        QStringLiteral(" e left outer join ") + ws.tables.pEmployeegradeChange +
        QStringLiteral(" egc on e.ecompanyid = egc.egccompanyid And  e.eempid = "
                       "egc.egcempid And egc.egccancelled = 0 and egc.egcdate  > ") +
        ws.dialect().dateLiteral(ws.processDate, QStringLiteral("yyyy/MM/dd")) +
        QStringLiteral(" Where e.eactive = 1  And egc.egcempid Is Null And e.ecompanyid = ") +
        ws.company() + QStringLiteral(" order by e.ename, e.eempid"));
    std::vector<Choice> choices;
    for (; !rs.eof(); rs.moveNext())
        choices.push_back({rs.field(0).toLongLong(), rs.text(1)});
    return choices;
}

ComboLookup JobChangeService::employeeLookup() const {
    const Workspace& ws = *workspace_;
    return {
        QStringLiteral("eEmpId"),  QStringLiteral("eName"),
        QStringLiteral("eempno"),  QStringLiteral("E"),
        ws.tables.pemployee,       QStringLiteral("eActive = 1 and eCompanyid =") + ws.company(),
        ws.tables.pcurrencymaster, ws.companyId};
}

ComboLookup JobChangeService::jobLookup(JobList list) const {
    const Workspace& ws = *workspace_;
    // The two criteria differ in a blank.
    const QString company =
        list == JobList::Old ? QStringLiteral("dcompanyid = ") : QStringLiteral(" dcompanyid = ");
    return {QStringLiteral("dDesigID"),
            QStringLiteral("gDescription"),
            QStringLiteral("dDescription"),
            QStringLiteral("G"),
            QStringLiteral(" ") + ws.tables.pGrades + QStringLiteral(",") + ws.tables.pDesignation +
                QStringLiteral(" "),
            kJobCriterion + company + ws.company(),
            ws.tables.pcurrencymaster,
            ws.companyId};
}

std::vector<Choice> JobChangeService::choices(const ComboLookup& lookup) const {
    const bool jobs = lookup.kind == QLatin1String("G");
    if (!jobs && lookup.kind != QLatin1String("E"))
        return {};
    QString sql = QStringLiteral("select ") + lookup.idColumn + QStringLiteral(", ") +
                  lookup.textColumn1 + QStringLiteral(", ") + lookup.textColumn2;
    if (jobs) {
        sql += QStringLiteral(" from ") + lookup.tables;
        if (!lookup.criterion.isEmpty())
            sql += QStringLiteral(" where ") + lookup.criterion;
    } else {
        sql += QStringLiteral(",symbol from ") + lookup.tables + QStringLiteral(",") +
               lookup.currencyTable;
        if (!lookup.criterion.isEmpty())
            sql += QStringLiteral(" where ") + lookup.criterion +
                   QStringLiteral(" and ecurrencyid=currencyid and CompanyID=") +
                   QString::number(lookup.companyId);
        else
            sql += QStringLiteral(" where ecurrencyid=currencyid");
    }
    std::vector<Choice> choices;
    try {
        for (data::Recordset rs = workspace_->db().open(sql); !rs.eof(); rs.moveNext())
            choices.push_back(
                {rs.field(0).toLongLong(), jobs ? rs.text(1) + QStringLiteral(" - ") + rs.text(2)
                                                : rs.text(1) + QStringLiteral("-") + rs.text(2) +
                                                      QStringLiteral(" - ") + rs.text(3)});
    } catch (const data::DbError& error) {
        passOnWithHint(error);
    }
    return choices;
}

QString JobChangeService::nextNumber() const {
    return numberSeries().number();
}

// ---------------------------------------------------------------- the line editor

std::vector<Choice> JobChangeService::lineTypes(LineKind kind) const {
    const LineTable& l = lineTable(kind);
    data::Recordset rs =
        workspace_->db().open(QStringLiteral("select ") + l.typeIdColumn + QStringLiteral(", ") +
                              l.typeTextColumn + QStringLiteral(" from ") + table(l.typeTable) +
                              QStringLiteral(" where ") + l.activeFilter + workspace_->company());
    std::vector<Choice> choices;
    for (; !rs.eof(); rs.moveNext())
        choices.push_back({rs.field(0).toLongLong(), rs.text(1)});
    return choices;
}

std::optional<TypeCurrency> JobChangeService::typeCurrency(LineKind kind, qint64 typeId) const {
    const LineTable& l = lineTable(kind);
    data::Recordset rs = workspace_->db().open(
        l.currencySelect + workspace_->tables.pcurrencymaster + QStringLiteral(" a,") +
        table(l.typeTable) + QStringLiteral(" b where a.companyid=b.") + l.typeCompanyColumn +
        QStringLiteral(" and a.currencyID=b.") + l.typeCurrencyColumn + QStringLiteral(" and ") +
        QStringLiteral(" b.") + l.typeCompanyColumn + QStringLiteral("=") + workspace_->company() +
        QStringLiteral(" and b.") + l.typeIdColumn + QStringLiteral("=") + QString::number(typeId));
    if (rs.eof())
        return std::nullopt;
    return TypeCurrency{rs.text(QStringLiteral("currencyname")).trimmed(),
                        rs.text(QStringLiteral("symbol")).trimmed()};
}

// ---------------------------------------------------------------- writes

WriteResult JobChangeService::write(Write kind, qint32 id, const JobChangeDraft* draft,
                                    const ShownState& shown,
                                    const std::function<void(WriteResult&)>& steps) const {
    WriteResult result;
    for (int attempt = 1;; ++attempt) {
        WriteResult done = result;
        try {
            data::TransactionGuard transaction(workspace_->db());
            recheckUnderLock(kind, id, draft, shown);
            steps(done);
            transaction.commit();
            done.ok = true;
            return done;
        } catch (const Refusal& refusal) {
            // Rolled back already; the window shows why.
            result.refused = true;
            result.error = refusal.message;
            return result;
        } catch (const data::DbError& error) {
            if (error.connectionLost()) {
                // Not tried again here: the clerk is told, and the next Ok opens the connection
                // again. A COMMIT cut off may have gone through, under the id it was given.
                result.errorNumber = error.number();
                result.outcomeUnknown = error.operation() == QLatin1String("commitTrans");
                result.id = result.outcomeUnknown ? done.id : result.id;
                result.error = lostConnectionMessage(
                    error, kind == Write::Cancel ? QStringLiteral("OK") : QStringLiteral("Ok"),
                    kind == Write::Cancel ? QStringLiteral("the cancellation")
                                          : QStringLiteral("the job change"));
                return result;
            }
            // Lost races: the database stayed locked, or (only a new job change is numbered)
            // its id or number was taken meanwhile by another clerk's save.
            const bool lostRace =
                error.number() == data::kErrLockConflict ||
                (kind == Write::New && error.number() == data::kErrIntegrityViolation);
            if (attempt < kWriteAttempts && lostRace) {
                ++result.retries;
                // Clerks that collided spread out before they try again, further each time.
                QThread::msleep(QRandomGenerator::global()->bounded(20u << attempt));
                continue;
            }
            result.errorNumber = error.number();
            result.error = error.description();
            return result;
        }
    }
}

WriteResult JobChangeService::saveNew(const JobChangeDraft& draft, const ShownState& shown) const {
    return write(Write::New, 0, &draft, shown,
                 [&](WriteResult& result) { save(result, draft, true); });
}

WriteResult JobChangeService::saveEdit(qint32 id, const JobChangeDraft& draft,
                                       const ShownState& shown) const {
    return write(Write::Edit, id, &draft, shown, [&](WriteResult& result) {
        result.id = id;
        save(result, draft, false);
    });
}

void JobChangeService::saveNewSteps(const JobChangeDraft& draft, qint32 id, const QString& number,
                                    const DesignationGrades* grades) const {
    WriteResult result;
    result.id = id;
    result.number = number;
    save(result, draft, true, grades);
}

void JobChangeService::save(WriteResult& result, const JobChangeDraft& draft, bool isNew,
                            const DesignationGrades* grades) const {
    DraftGrades draftGrades;
    if (isNew)
        draftGrades.oldGrade = designationGrade(draft.oldDesignationId, grades);
    draftGrades.newGrade = designationGrade(draft.newDesignationId, grades);
    saveHeader(result, draft, isNew, draftGrades);
    updateEmployee(draft, draftGrades);
    for (LineKind kind : kLineKinds)
        saveLines(kind, result.id, draft, isNew);
    for (LineKind kind : kLineKinds)
        rewriteStandingLines(kind, draft.employeeId, keptLines(draft.linesOf(kind)));
}

qint16 JobChangeService::designationGrade(qint32 designationId) const {
    return static_cast<qint16>(
        firstField(QStringLiteral("select dGradeID from ") + workspace_->tables.pDesignation +
                   QStringLiteral(" where dCompanyID = ") + workspace_->company() +
                   QStringLiteral(" and dDesigID = ") + QString::number(designationId))
            .toInt());
}

qint16 JobChangeService::designationGrade(qint32 designationId,
                                          const DesignationGrades* grades) const {
    if (grades) {
        const auto found = grades->constFind(designationId);
        if (found != grades->constEnd())
            return *found;
    }
    return designationGrade(designationId);
}

JobChangeService::DesignationGrades JobChangeService::designationGrades() const {
    data::Recordset rs = workspace_->db().open(QStringLiteral("select dDesigID, dGradeID from ") +
                                                   workspace_->tables.pDesignation +
                                                   QStringLiteral(" where dCompanyID = ?"),
                                               {workspace_->companyId});
    DesignationGrades grades;
    for (; !rs.eof(); rs.moveNext())
        grades.insert(rs.field(0).toInt(), static_cast<qint16>(rs.field(1).toInt()));
    return grades;
}

qint32 JobChangeService::nextId() const {
    const QVariant highest = firstField(
        QStringLiteral("select max(egcId) from  ") + workspace_->tables.pEmployeegradeChange +
        QStringLiteral(" where egcCompanyId=") + workspace_->company());
    return highest.isNull() ? 1 : static_cast<qint32>(highest.toLongLong() + 1);
}

void JobChangeService::saveHeader(WriteResult& result, const JobChangeDraft& draft, bool isNew,
                                  const DraftGrades& grades) const {
    const Workspace& ws = *workspace_;
    if (isNew) {
        if (result.id == 0) {
            lockNumbering();
            result.id = nextId();
        }
        if (result.number.isEmpty())
            result.number = nextNumber();
        ws.db().execute(statements_.insertHeader,
                        {ws.companyId, result.id, result.number, draft.date, draft.oldDesignationId,
                         grades.oldGrade, draft.employeeId, draft.newDesignationId, grades.newGrade,
                         draft.oldBasic.toBind(), draft.newBasic.toBind(), draft.remarks, 0});
        return;
    }
    ws.db()
        .edit(ws.tables.pEmployeegradeChange, QStringLiteral("egcCompanyId=") + ws.company() +
                                                  QStringLiteral(" and egcId=") +
                                                  QString::number(result.id))
        .set(QStringLiteral("egcEmpID"), draft.employeeId)
        .set(QStringLiteral("egcNewDesigID"), draft.newDesignationId)
        .set(QStringLiteral("egcNewGradeID"), grades.newGrade)
        .set(QStringLiteral("egcOldBasic"), draft.oldBasic.toBind())
        .set(QStringLiteral("egcNewBasic"), draft.newBasic.toBind())
        .set(QStringLiteral("egcremarks"), draft.remarks)
        .set(QStringLiteral("egcCancelled"), 0)
        .store();
}

// The write statements bind their numbers as well as their amounts: their text is the same for
// every employee, so a batch prepares each once.
void JobChangeService::updateEmployee(const JobChangeDraft& draft,
                                      const DraftGrades& grades) const {
    const Workspace& ws = *workspace_;
    ws.db().execute(statements_.updateEmployee,
                    {draft.newBasic.toBind(), grades.newGrade, draft.newDesignationId, ws.companyId,
                     draft.employeeId});
}

// The job change's lines are written in list order, detail id the position; the employee keeps
// the lines that are not removed, at their revised amounts and under the same detail ids (so
// removed lines leave gaps).
void JobChangeService::saveLines(LineKind kind, qint32 id, const JobChangeDraft& draft,
                                 bool isNew) const {
    const Workspace& ws = *workspace_;
    const LineTable& l = lineTable(kind);
    if (!isNew)
        fnDeleteRows(ws.db(), table(l.gcTable),
                     l.gcDeleteCompany + QLatin1Char('?') + l.gcDeleteId + QLatin1Char('?'),
                     {ws.companyId, id});
    const std::vector<DraftLine>& lines = draft.linesOf(kind);
    for (size_t i = 0; i < lines.size(); ++i) {
        const DraftLine& line = lines[i];
        ws.db().execute(statements_.of(kind).insertLine,
                        {ws.companyId, id, static_cast<int>(i) + 1, QString(line.letter),
                         line.typeId, line.revisedAmount.toBind(), line.oldAmount.toBind()});
    }
}

std::vector<JobChangeService::Standing>
JobChangeService::keptLines(const std::vector<DraftLine>& lines) {
    std::vector<Standing> kept;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].letter != QLatin1Char('R'))
            kept.push_back({static_cast<int>(i) + 1, lines[i].typeId,
                            data::StoredAmount::of(lines[i].revisedAmount)});
    return kept;
}

void JobChangeService::rewriteStandingLines(LineKind kind, qint32 employeeId,
                                            const std::vector<Standing>& lines) const {
    const Workspace& ws = *workspace_;
    const WriteStatements::OfKind& statements = statements_.of(kind);
    fnDeleteRows(ws.db(), table(lineTable(kind).empTable), statements.standingCriterion,
                 {ws.companyId, employeeId});
    for (const Standing& line : lines)
        ws.db().execute(statements.insertStanding, {ws.companyId, employeeId, line.detailId,
                                                    line.typeId, line.amount.toBind()});
}

// The lines a job change replaced: its kept ("O") and removed ("R") lines at their old amounts,
// numbered 1 to n in line order. Lines it added ("N") are not among them.
std::vector<JobChangeService::Standing> JobChangeService::replacedLines(LineKind kind,
                                                                        qint32 id) const {
    const Workspace& ws = *workspace_;
    const LineTable& l = lineTable(kind);
    data::Recordset rs = ws.db().open(
        QStringLiteral("select ") + l.gcTypeIdColumn + QStringLiteral(", ") +
        l.gcColumn("oldamount") + QStringLiteral(" from ") + table(l.gcTable) +
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

WriteResult JobChangeService::cancel(qint32 id, const QString& reason) const {
    return write(Write::Cancel, id, nullptr, {}, [&](WriteResult& result) {
        const Workspace& ws = *workspace_;
        const QString& t = ws.tables.pEmployeegradeChange;
        result.id = id;
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
                QStringLiteral("select egcEmpID, egcOldDesigID, egcOldGradeID, egcOldBasic from ") +
                t + where);
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
            rewriteStandingLines(kind, empId.toInt(), replacedLines(kind, id));
    });
}

} // namespace jobchange
