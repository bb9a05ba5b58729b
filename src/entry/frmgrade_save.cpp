#include "entry/frmgrade.h"

#include "component/basgrade.h"
#include "entry/gradenumbering.h"
#include "entry/linestatements.h"
#include "lineeditor/revisionlist.h"
#include "shared/formroutines.h"
#include "sharedlib/clscommondb.h"
#include "ui/flexgrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QThread>
#include <QTreeWidget>
#include <optional>
#include <vector>

namespace {

bool editMode() {
    return BasGrade().strEntryMode == QLatin1String("E");
}

// A save that lost a race with another clerk is tried again from the start, with fresh
// numbers, up to this many times in all.
constexpr int kSaveAttempts = 5;

// Lost races: the id or number was taken meanwhile by another clerk's save (only a new job
// change is numbered), or the database stayed locked.
bool lostRace(const data::DbError& error) {
    return error.number() == data::kErrLockConflict ||
           (!editMode() && error.number() == data::kErrIntegrityViolation);
}

qint64 typeIdOf(const QTreeWidgetItem* row) {
    return qRound64(data::leadingNumber(row->text(revcol::TypeId)));
}

// GridRefreshRow runs inside the save's transaction; when the transaction does not commit,
// the register must not keep the row it showed.
class RegisterRowsKeeper {
public:
    RegisterRowsKeeper() : grid_(BasGrade().registerGrid) {
        if (!grid_)
            return;
        rows_ = grid_->rows();
        current_ = grid_->row();
        first_ = cells(1);
        currentCells_ = cells(current_);
    }

    void restore() {
        if (!grid_)
            return;
        grid_->setRows(rows_);
        put(1, first_);
        put(current_, currentCells_);
        grid_->selectRowAcross(current_);
    }

private:
    std::vector<QString> cells(int row) const {
        std::vector<QString> texts;
        if (row < 1 || row >= grid_->rows())
            return texts;
        for (int c = 0; c < grid_->cols(); ++c)
            texts.push_back(grid_->textMatrix(row, c));
        return texts;
    }

    void put(int row, const std::vector<QString>& texts) {
        if (row < 1 || row >= grid_->rows())
            return;
        for (size_t c = 0; c < texts.size() && static_cast<int>(c) < grid_->cols(); ++c)
            grid_->setTextMatrix(row, static_cast<int>(c), texts[c]);
    }

    ui::FlexGrid* grid_;
    int rows_ = 0;
    int current_ = 0;
    std::vector<QString> first_;
    std::vector<QString> currentCells_;
};

} // namespace

bool frmGrade::fnValidate() {
    const auto refuse = [](const QString& message, QWidget* focus) {
        MsgBox(message);
        if (focus)
            focus->setFocus();
        return false;
    };
    if (cboEmployee->currentIndex() < 0)
        return refuse(QStringLiteral("Select employee"), cboEmployee);
    if (cboNewgrade->currentIndex() < 0)
        return refuse(QStringLiteral("Select new grade"), cboNewgrade);
    if (data::leadingNumber(txtNewbasic->text()) <= 0)
        return refuse(QStringLiteral("enter new basic"), txtNewbasic);
    if (dtpGDate->date() < BasGrade().ProcessDate)
        return refuse(QStringLiteral("Grade Change Date Less than Current Date"), dtpGDate);
    for (LineKind kind : {LineKind::Allowance, LineKind::Deduction}) {
        const QTreeWidget* lines = list(kind);
        for (int i = 0; i < lines->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = lines->topLevelItem(i);
            if (row->checkState(0) != Qt::Checked &&
                row->text(revcol::Letter) == QLatin1String("N"))
                return refuse(lineKindInfo(kind).newLineMessage, nullptr);
        }
    }
    return true;
}

void frmGrade::cmdOK_Click() {
    if (!fnValidate())
        return;
    // The header needs the old job; refused here rather than failing inside the transaction.
    if (cboOldGrade->currentIndex() < 0) {
        MsgBox(QStringLiteral("Select old grade"));
        cboOldGrade->setFocus();
        return;
    }
    RegisterRowsKeeper registerRows;
    intSaveRetries = 0;
    for (int attempt = 1;; ++attempt) {
        try {
            data::TransactionGuard transaction(adocon());
            Save();
            transaction.commit();
            break;
        } catch (const data::DbError& error) {
            cmdOK->setProperty(kTagProperty, QString());
            registerRows.restore();
            if (attempt < kSaveAttempts && lostRace(error)) {
                ++intSaveRetries;
                // Clerks that collided spread out before they try again, further each time.
                QThread::msleep(QRandomGenerator::global()->bounded(20u << attempt));
                continue;
            }
            MsgBox(error.description());
            return;
        }
    }
    QDialog::done(QDialog::Accepted);
}

void frmGrade::Save() {
    intGradeID = DesignationGrade(selectedId(cboNewgrade));
    SaveHeader();
    UpdateEmployee();
    SaveGcAllowances();
    SaveGcDeductions();
    UpdateEmpAllowances();
    UpdateEmpDeductions();
    cmdOK->setProperty(kTagProperty, QString::fromLatin1(kSuccessTag));
    GridRefreshRow(QStringLiteral("egcId = ") + QString::number(lngGradeID), lngGradeID);
}

qint16 frmGrade::DesignationGrade(qint32 desigId) {
    commonDB->strTablename = BasGrade().tables.pDesignation;
    return static_cast<qint16>(commonDB
                                   ->fnReturnField(QStringLiteral("dGradeID"),
                                                   QStringLiteral("dCompanyID = ") + company() +
                                                       QStringLiteral(" and dDesigID = ") +
                                                       QString::number(desigId))
                                   .toInt());
}

void frmGrade::NextGradeNo() {
    strGradeNo = fnNextGradeNo(adocon());
}

void frmGrade::SaveHeader() {
    const CallerContext& context = BasGrade();
    const QString& table = context.tables.pEmployeegradeChange;
    std::optional<data::RowBuilder> row;
    if (editMode()) {
        const ui::FlexGrid* grid = context.registerGrid;
        lngGradeID = grid ? grid->textMatrix(grid->row(), 0).trimmed().toInt() : 0;
        row.emplace(adocon().edit(table, QStringLiteral("egcCompanyId=") + company() +
                                             QStringLiteral(" and egcId=") +
                                             QString::number(lngGradeID)));
    } else {
        row.emplace(adocon().addNew(table));
        row->set(QStringLiteral("egccompanyid"), context.intCompanyID);
        commonDB->strTablename =
            QStringLiteral(" ") + table + QStringLiteral(" where egcCompanyId=") + company();
        lngGradeID = static_cast<qint32>(commonDB->fnGetNextMaxNo(QStringLiteral("egcId")));
        row->set(QStringLiteral("egcId"), lngGradeID);
        NextGradeNo();
        row->set(QStringLiteral("egcNo"), strGradeNo);
        row->set(QStringLiteral("egcDate"), dtpGDate->date());
        const qint32 oldDesig = selectedId(cboOldGrade);
        row->set(QStringLiteral("egcOldDesigID"), oldDesig);
        row->set(QStringLiteral("egcOldGradeID"), DesignationGrade(oldDesig));
    }
    row->set(QStringLiteral("egcEmpID"), selectedId(cboEmployee));
    const qint32 newDesig = selectedId(cboNewgrade);
    row->set(QStringLiteral("egcNewDesigID"), newDesig);
    intNewGrade = DesignationGrade(newDesig);
    row->set(QStringLiteral("egcNewGradeID"), intNewGrade);
    row->set(QStringLiteral("egcOldBasic"), data::leadingNumber(txtOldBasic->text()));
    row->set(QStringLiteral("egcNewBasic"), data::leadingNumber(txtNewbasic->text()));
    row->set(QStringLiteral("egcremarks"), txtRemarks->text());
    row->set(QStringLiteral("egcCancelled"), 0);
    row->store();
}

void frmGrade::UpdateEmployee() {
    adocon().execute(
        QStringLiteral("update ") + BasGrade().tables.pemployee +
            QStringLiteral(" set eBasic = ?, eGradeID = ") + QString::number(intGradeID) +
            QStringLiteral(", eDesigID = ") + QString::number(selectedId(cboNewgrade)) +
            QStringLiteral(" where eCompanyID = ") + company() + QStringLiteral(" and eEmpID = ") +
            QString::number(selectedId(cboEmployee)),
        {data::leadingNumber(txtNewbasic->text())});
}

void frmGrade::SaveGcLines(LineKind kind) {
    const LineStatements lines(kind);
    if (editMode())
        fnDeleteRows(lines.gcTable(), lines.gcDeleteCriterion(lngGradeID));
    const QTreeWidget* rows = list(kind);
    for (int i = 0; i < rows->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = rows->topLevelItem(i);
        // A checked row is kept ("O") or added ("N"); an unchecked one is removed ("R").
        const QString letter = row->checkState(0) != Qt::Checked ? QStringLiteral("R")
                               : row->text(revcol::Letter) == QLatin1String("O")
                                   ? QStringLiteral("O")
                                   : QStringLiteral("N");
        adocon()
            .addNew(lines.gcTable())
            .set(lines.gcColumn("type"), letter)
            .set(lines.gcColumn("companyid"), BasGrade().intCompanyID)
            .set(lines.gcColumn("gcid"), lngGradeID)
            .set(lines.gcColumn("detailid"), i + 1)
            .set(lines.gcTypeIdColumn(), typeIdOf(row))
            .set(lines.gcColumn("revamount"), data::leadingNumber(row->text(revcol::RevisedAmount)))
            .set(lines.gcColumn("oldamount"), data::leadingNumber(row->text(revcol::OldAmount)))
            .store();
    }
}

void frmGrade::UpdateEmpLines(LineKind kind) {
    const LineStatements lines(kind);
    const qint32 empId = selectedId(cboEmployee);
    fnDeleteRows(lines.empTable(), lines.empDeleteCriterion(empId));
    const QTreeWidget* rows = list(kind);
    for (int i = 0; i < rows->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = rows->topLevelItem(i);
        if (row->checkState(0) != Qt::Checked)
            continue;
        // The detail id is the row's position, so removed rows leave gaps.
        adocon()
            .addNew(lines.empTable())
            .set(lines.empColumn("companyid"), BasGrade().intCompanyID)
            .set(lines.empColumn("empid"), empId)
            .set(lines.empColumn("detailid"), i + 1)
            .set(lines.empTypeIdColumn(), typeIdOf(row))
            .set(lines.empColumn("amount"), data::leadingNumber(row->text(revcol::RevisedAmount)))
            .store();
    }
}
