// A payroll host: opens its database, gives clsGrade the clerk's company, user and process date,
// and shows the job change register until the clerk closes it.
#include <component/clsgrade.h>

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: payroll-host PAYROLL.sqlite\n");
        return 2;
    }
    QApplication app(argc, argv);
    auto connection = std::make_shared<data::Connection>();
    try {
        connection->openSqlite(QString::fromLocal8Bit(argv[1]));
        clsGrade grade;
        grade.setAdocon(connection);
        grade.intCompanyID = 1;
        grade.intUserID = 1;
        grade.ProcessDate = QDate::currentDate();
        grade.MsgboxTitle = QStringLiteral("Payroll");
        grade.Show();
    } catch (const data::DbError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return 1;
    }
    return 0;
}
