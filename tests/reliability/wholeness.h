#pragma once

// Whether the job changes of company 1 are whole and agree with the employees they moved.
//
// Every job change after a starting point is checked against the employee's state at that
// point: walking the employee's uncancelled job changes in id order, each must start from
// where the one before left the employee (old job and basic, and its kept and removed lines
// at their old amounts = the standing lines), and the employee must stand where the last one
// left them (new job and basic, kept and added lines at their revised amounts). A header whose
// lines were lost, a master row left behind or a cancellation half done breaks the chain.

#include "support/testdb.h"

#include <QMap>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace wholeness {

inline QString amount(const QVariant& value) {
    return QString::number(value.toDouble(), 'f', 2);
}

// An employee's job and basic ("designation|grade|basic") and standing lines, each kind as
// sorted "type id|amount" texts.
struct EmployeeState {
    QString job;
    QStringList allowances;
    QStringList deductions;

    bool operator==(const EmployeeState&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const EmployeeState& state) {
    return os << state.job.toStdString() << " A[" << state.allowances.join(',').toStdString()
              << "] D[" << state.deductions.join(',').toStdString() << ']';
}

using Staff = QMap<qint32, EmployeeState>;

inline Staff staffOf(const TestDatabase& db) {
    Staff staff;
    data::Recordset master = db.db().open(QStringLiteral("select eEmpID, eDesigID, eGradeID, "
                                                         "eBasic from ") +
                                          physical(QStringLiteral("pemployee")) +
                                          QStringLiteral(" where eCompanyID = 1"));
    for (; !master.eof(); master.moveNext())
        staff[master.field(0).toInt()].job = master.text(1) + QLatin1Char('|') + master.text(2) +
                                             QLatin1Char('|') + amount(master.field(3));
    for (const auto& [table, prefix, lines] :
         {std::tuple(QStringLiteral("pempallowances"), QStringLiteral("ea"),
                     &EmployeeState::allowances),
          std::tuple(QStringLiteral("pempdeductions"), QStringLiteral("ed"),
                     &EmployeeState::deductions)}) {
        const QString typeColumn = prefix == QLatin1String("ea") ? QStringLiteral("eaallowanceid")
                                                                 : QStringLiteral("eddeductionid");
        data::Recordset rs = db.db().open(QStringLiteral("select %1empid, %2, %1amount from %3 "
                                                         "where %1companyid = 1")
                                              .arg(prefix, typeColumn, physical(table)));
        for (; !rs.eof(); rs.moveNext())
            (staff[rs.field(0).toInt()].*lines)
                << rs.text(1) + QLatin1Char('|') + amount(rs.field(2));
    }
    for (EmployeeState& state : staff) {
        state.allowances.sort();
        state.deductions.sort();
    }
    return staff;
}

struct StoredLine {
    QString type; // O, N or R
    QString typeId;
    QString oldAmount;
    QString revAmount;
};

struct StoredJobChange {
    qint64 id = 0;
    qint32 employee = 0;
    QString number;
    QString oldJob;
    QString newJob;
    bool cancelled = false;
    QString cancelledRemarks;
    std::vector<StoredLine> allowances;
    std::vector<StoredLine> deductions;

    // The standing lines it found ("O" and "R" at their old amounts) or left ("O" and "N" at
    // their revised amounts).
    static QStringList standing(const std::vector<StoredLine>& lines, bool before) {
        QStringList texts;
        for (const StoredLine& line : lines)
            if (line.type == QLatin1String("O") || line.type == QLatin1String(before ? "R" : "N"))
                texts << line.typeId + QLatin1Char('|') +
                             (before ? line.oldAmount : line.revAmount);
        texts.sort();
        return texts;
    }
    EmployeeState before() const {
        return {oldJob, standing(allowances, true), standing(deductions, true)};
    }
    EmployeeState after() const {
        return {newJob, standing(allowances, false), standing(deductions, false)};
    }
};

// The job changes of company 1 with an id above the floor, in id order, with their lines.
inline std::vector<StoredJobChange> jobChangesAbove(const TestDatabase& db, qint64 floor) {
    std::vector<StoredJobChange> all;
    QMap<qint64, size_t> index;
    data::Recordset rs = db.db().open(
        QStringLiteral("select egcId, egcEmpID, egcNo, egcOldDesigID, egcOldGradeID, egcOldBasic, "
                       "egcNewDesigID, egcNewGradeID, egcNewBasic, egcCancelled, "
                       "egcCancelledRemarks from ") +
        physical(QStringLiteral("pEmployeegradeChange")) +
        QStringLiteral(" where egcCompanyID = 1 and egcId > ") + QString::number(floor) +
        QStringLiteral(" order by egcId"));
    for (; !rs.eof(); rs.moveNext()) {
        StoredJobChange jc;
        jc.id = rs.field(0).toLongLong();
        jc.employee = rs.field(1).toInt();
        jc.number = rs.text(2);
        jc.oldJob =
            rs.text(3) + QLatin1Char('|') + rs.text(4) + QLatin1Char('|') + amount(rs.field(5));
        jc.newJob =
            rs.text(6) + QLatin1Char('|') + rs.text(7) + QLatin1Char('|') + amount(rs.field(8));
        jc.cancelled = rs.field(9).toInt() != 0;
        jc.cancelledRemarks = rs.text(10);
        index.insert(jc.id, all.size());
        all.push_back(jc);
    }
    for (const auto& [table, prefix, typeColumn, lines] :
         {std::tuple(QStringLiteral("pempgcAllowance"), QStringLiteral("egca"),
                     QStringLiteral("egcaallowanceid"), &StoredJobChange::allowances),
          std::tuple(QStringLiteral("pempgcdeductions"), QStringLiteral("egcd"),
                     QStringLiteral("egcddeductionid"), &StoredJobChange::deductions)}) {
        data::Recordset line = db.db().open(
            QStringLiteral("select %1gcid, %1detailid, %1type, %2, %1oldamount, %1revamount "
                           "from %3 where %1companyid = 1 and %1gcid > %4 order by %1gcid, "
                           "%1detailid")
                .arg(prefix, typeColumn, physical(table))
                .arg(floor));
        for (; !line.eof(); line.moveNext()) {
            const qint64 id = line.field(0).toLongLong();
            if (!index.contains(id)) {
                ADD_FAILURE() << "lines of job change " << id << " without a header";
                continue;
            }
            StoredJobChange& jc = all[index.value(id)];
            std::vector<StoredLine>& target = jc.*lines;
            EXPECT_EQ(line.field(1).toInt(), static_cast<int>(target.size()) + 1)
                << "job change " << id << ": lines numbered with a gap";
            target.push_back(
                {line.text(2), line.text(3), amount(line.field(4)), amount(line.field(5))});
        }
    }
    return all;
}

// Checks every job change above the floor against the staff as it stood at the floor. Returns
// the number of job changes checked.
inline size_t expectWhole(const TestDatabase& db, const Staff& atFloor, qint64 floor) {
    const std::vector<StoredJobChange> changes = jobChangesAbove(db, floor);
    Staff expected = atFloor;
    for (const StoredJobChange& jc : changes) {
        EXPECT_FALSE(jc.number.isEmpty()) << "job change " << jc.id << " has no number";
        if (jc.cancelled) {
            EXPECT_FALSE(jc.cancelledRemarks.isEmpty())
                << "job change " << jc.id << " cancelled without its remark";
            continue;
        }
        EXPECT_EQ(jc.before(), expected.value(jc.employee))
            << "job change " << jc.id << " does not start where employee " << jc.employee
            << " stood";
        expected[jc.employee] = jc.after();
    }
    const Staff now = staffOf(db);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(now.value(it.key()), it.value()) << "employee " << it.key();
    return changes.size();
}

} // namespace wholeness
