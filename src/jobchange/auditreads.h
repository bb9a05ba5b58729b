#pragma once

#include "jobchange/auditvalues.h"
#include "jobchange/workspace.h"

#include <QDate>
#include <QHash>
#include <functional>
#include <map>
#include <set>
#include <vector>

// What the audit's readers read: the trail's rows, every employee's pay as it stands, and the
// names that turn ids into words.

namespace jobchange {

// An employee as a person reads them: number and name.
struct EmployeeName {
    QString number;
    QString name;
};

// Descriptions of the company's designations, grades and line types, by id.
struct AuditNames {
    QHash<qint64, QString> designations;
    QHash<qint64, QString> grades;
    std::array<QHash<qint64, QString>, 2> lineTypes; // by LineKind
    QHash<qint32, EmployeeName> employees;
};

class AuditReads {
public:
    explicit AuditReads(WorkspacePtr workspace) : workspace_(std::move(workspace)) {}

    // Whether the installation has an audit trail.
    bool installed() const { return !workspace_->tables.paudittrail.isEmpty(); }
    // Every employee of the company with their master and standing lines, by id; with ids, only
    // those employees (at most 999).
    std::map<qint32, EmployeeState> employeeStates() const;
    std::map<qint32, EmployeeState> employeeStates(const std::vector<qint32>& ids) const;
    // The employees with at least one audit row.
    std::set<qint32> auditedEmployees() const;
    // The employee's rows, newest first.
    std::vector<AuditRow> rowsOfEmployee(qint32 employeeId) const;
    // The rows written from one day to another (either open), oldest first.
    std::vector<AuditRow> rowsBetween(const QDate& from, const QDate& to) const;
    // Every row of the company's chain in order, handed to each as read; the view holds until
    // each returns.
    void forEachRow(const std::function<void(const AuditRowView&)>& each) const;
    // The descriptions, and the employees' names unless only the rows' changes are to be told.
    enum class EmployeeNames { Read, Skip };
    AuditNames names(EmployeeNames employees = EmployeeNames::Read) const;

private:
    std::map<qint32, EmployeeState> readStates(const QString& ids, const QVariantList& binds) const;
    std::vector<AuditRow> rows(const QString& where) const;

    WorkspacePtr workspace_;
};

} // namespace jobchange
