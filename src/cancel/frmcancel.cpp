#include "cancel/frmcancel.h"

#include "component/basgrade.h"
#include "entry/linestatements.h"
#include "shared/formroutines.h"
#include "shared/keyevents.h"
#include "ui/flexgrid.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace {

// A number read from the database, written back into a statement in plain decimal whatever
// the user's locale; null stays null.
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

frmCancel::frmCancel(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCancel"));
    Label1 = new QLabel(QStringLiteral("&Reason :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtcanreason = new QLineEdit(this);
    txtcanreason->setObjectName(QStringLiteral("txtcanreason"));
    Label1->setBuddy(txtcanreason);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAutoDefault(false);
    cmdOK->setDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(txtcanreason, 0, 1);
    layout->addWidget(cmdOK, 1, 1, Qt::AlignRight);

    onKeyPress(txtcanreason, [this](int& keyAscii) {
        if (keyAscii == vbKeyReturn) {
            keyAscii = 0;
            cmdOK->setFocus(Qt::TabFocusReason);
        }
    });
    // A button that is never the default does not answer Enter by itself.
    onKeyPress(cmdOK, [this](int& keyAscii) {
        if (keyAscii == vbKeyReturn) {
            keyAscii = 0;
            cmdOK->click();
        }
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmCancel::cmdOK_Click);

    Form_Load();
}

void frmCancel::Form_Load() {
    resize(420, 110);
    setWindowTitle(QStringLiteral("Reason For Deletion"));
}

QString frmCancel::jobChangeId() const {
    const ui::FlexGrid* grid = BasGrade().registerGrid;
    return grid ? grid->textMatrix(grid->row(), 0) : QString();
}

void frmCancel::cmdOK_Click() {
    if (txtcanreason->text().trimmed().isEmpty()) {
        MsgBox(QStringLiteral("Enter reason for deletion"));
        txtcanreason->setFocus(Qt::OtherFocusReason);
        return;
    }
    const CallerContext& context = BasGrade();
    try {
        // Marking the job change and putting the employee back happen together or not at all.
        data::TransactionGuard transaction(adocon());

        QString remark;
        {
            data::Recordset user =
                adocon().open(QStringLiteral("select username from ") + context.tables.pusers +
                              QStringLiteral(" where companyid=") + company() +
                              QStringLiteral(" and userid=") + QString::number(context.intUserID));
            if (!user.eof())
                remark = user.text(0).trimmed() + QLatin1Char(':') + txtcanreason->text().trimmed();
        }

        adocon().execute(QStringLiteral("update ") + context.tables.pEmployeegradeChange +
                             QStringLiteral(" set egccancelled=1,") +
                             QStringLiteral("egcCancelledRemarks=? where egcId='") + jobChangeId() +
                             QStringLiteral("' and egcCompanyid=") + company(),
                         {remark});

        QString empId, oldDesigId, oldGradeId, oldBasic;
        {
            data::Recordset replaced = adocon().open(
                QStringLiteral("select egcEmpID, egcOldDesigID, egcOldGradeID, egcOldBasic from ") +
                context.tables.pEmployeegradeChange + QStringLiteral(" where egcId='") +
                jobChangeId() + QStringLiteral("' and egcCompanyid=") + company());
            empId = sqlNumber(replaced.field(0));
            oldDesigId = sqlNumber(replaced.field(1));
            oldGradeId = sqlNumber(replaced.field(2));
            oldBasic = sqlNumber(replaced.field(3));
        }

        adocon().execute(QStringLiteral("update ") + context.tables.pemployee +
                         QStringLiteral(" set eBasic = ") + oldBasic +
                         QStringLiteral(" , eDesigID = ") + oldDesigId +
                         QStringLiteral(" , eGradeID = ") + oldGradeId +
                         QStringLiteral(" where eEmpId = ") + empId +
                         QStringLiteral(" and eCompanyID = ") + company());

        RestoreAllowances(empId.toInt());
        RestoreDeductions(empId.toInt());
        transaction.commit();
    } catch (const data::DbError& error) {
        MsgBox(error.description());
        return;
    }
    accept();
}

void frmCancel::RestoreAllowances(qint32 empId) {
    RestoreLines(LineKind::Allowance, empId);
}

void frmCancel::RestoreDeductions(qint32 empId) {
    RestoreLines(LineKind::Deduction, empId);
}

// The employee gets back exactly the standing lines the job change replaced: its kept ("O")
// and removed ("R") lines at their old amounts, in line order. Lines it added ("N") go.
void frmCancel::RestoreLines(LineKind kind, qint32 empId) {
    const LineStatements lines(kind);
    struct Line {
        QVariant typeId;
        QVariant amount;
    };
    std::vector<Line> replaced;
    {
        data::Recordset rs = adocon().open(
            QStringLiteral("select ") + lines.gcTypeIdColumn() + QStringLiteral(", ") +
            lines.gcColumn("oldamount") + QStringLiteral(" from ") + lines.gcTable() +
            QStringLiteral(" where ") + lines.gcColumn("companyid") + QStringLiteral(" = ") +
            company() + QStringLiteral(" and ") + lines.gcColumn("gcid") + QStringLiteral(" = ") +
            jobChangeId() + QStringLiteral(" and ") + lines.gcColumn("type") +
            QStringLiteral(" in ('O', 'R') order by ") + lines.gcColumn("detailid"));
        for (; !rs.eof(); rs.moveNext())
            replaced.push_back({rs.field(0), rs.field(1)});
    }

    fnDeleteRows(lines.empTable(), lines.empDeleteCriterion(empId));
    int detailId = 0;
    for (const Line& line : replaced) {
        adocon()
            .addNew(lines.empTable())
            .set(lines.empColumn("companyid"), BasGrade().intCompanyID)
            .set(lines.empColumn("empid"), empId)
            .set(lines.empColumn("detailid"), ++detailId)
            .set(lines.empTypeIdColumn(), line.typeId)
            .set(lines.empColumn("amount"), line.amount)
            .store();
    }
}
