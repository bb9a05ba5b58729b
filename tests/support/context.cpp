#include "support/context.h"

#include "component/basgrade.h"
#include "data/tablenames.h"

void useContext(const TestDatabase& db, qint16 company, qint16 user, const QDate& processDate) {
    CallerContext& context = BasGrade();
    context = CallerContext{};
    context.adocon = db.connection();
    context.intCompanyID = company;
    context.intUserID = user;
    context.Intinterfaceid = 91004;
    context.ProcessDate = processDate;
    context.MsgboxTitle = QStringLiteral("Payroll");
    data::ResolveTableNames(db.db(), context.tables);
}
