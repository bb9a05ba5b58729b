#include "exportcommands.h"
#include "register/frmmaster.h"
#include "support/check.h"
#include "support/context.h"
#include "support/scripted.h"
#include "support/spreadsheets.h"
#include "support/testdb.h"
#include "support/widgets.h"
#include "ui/flexgrid.h"

#include <QFile>
#include <QLocale>
#include <QStandardPaths>

namespace {

const QDate kProcessDate(2026, 11, 30);

class HostExport : public ::testing::Test {
protected:
    HostExport() { db.loadDemo(); }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    TestDatabase db;
    ScriptedMessages messages;
    ScriptedModal modal;
};

TEST_F(HostExport, RegisterExportHoldsTheRegistersRowsInItsOrder) {
    // The register window's titles and rows, dates in the system's short format.
    useContext(db, 1, 1, kProcessDate);
    QStringList shown;
    {
        FrmMaster form;
        form.Form_Load();
        form.completeLoad();
        for (int r = 0; r < form.flexMaster->rows(); ++r)
            shown << gridRowText(*form.flexMaster, r, 1);
    }
    // The NoOfPreviousDays filter leaves some out.
    ASSERT_GT(db.scalar("select count(*) from " + physical("pEmployeegradeChange") +
                        " where egcCompanyID = 1")
                  .toUInt(),
              shown.size() - 1);

    QString error;
    ASSERT_EQ(exportRegister(db.connection(), 1, kProcessDate, path("register.csv"), error), 0)
        << error;
    const std::vector<QStringList> records = parseCsv(readFile(path("register.csv")));
    ASSERT_EQ(records.size(), size_t(shown.size()));
    for (size_t r = 0; r < records.size(); ++r) {
        QStringList record = records[r];
        if (r > 0) // the date as ISO
            record[1] = QLocale::system().toString(QDate::fromString(record[1], Qt::ISODate),
                                                   QLocale::ShortFormat);
        EXPECT_EQ(record.join('|'), shown[r]);
    }

    // A file that cannot be written is named, and the register's rows go nowhere.
    EXPECT_EQ(exportRegister(db.connection(), 1, kProcessDate, path("none/register.csv"), error),
              1);
    EXPECT_TRUE(error.contains(path("none/register.csv"))) << error;
}

TEST_F(HostExport, PdfJobChangeIsFoundByIdFirstThenByNumberBound) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const QString table = physical("pEmployeegradeChange");
    // An all-digit number that is no id, and one that is another job change's id.
    db.exec("update " + table + " set egcNo = '500' where egcCompanyID = 1 and egcId = 226");
    db.exec("update " + table + " set egcNo = '39' where egcCompanyID = 1 and egcId = 227");
    const auto exported = [&](qint16 company, const QString& given) {
        QString error;
        QFile::remove(path("out.pdf"));
        const int status = exportJobChangePdf(db.db(), company, 1, given, path("out.pdf"), error);
        if (status != 0)
            return QStringLiteral("status %1: %2").arg(status).arg(error);
        const QString text = pdfText(path("out.pdf")).value_or("");
        for (const char* number : {"JC39", "JC225", "500", "JC420"})
            if (text.contains(QStringLiteral("Job change no. %1").arg(number)) ||
                text.contains(QStringLiteral("Job Change %1 ").arg(number)))
                return QString::fromLatin1(number);
        return QStringLiteral("none of them");
    };
    EXPECT_EQ(exported(1, "JC39"), "JC39");
    EXPECT_EQ(exported(1, " jc225 "), "JC225");
    EXPECT_EQ(exported(1, "39"), "JC39");
    EXPECT_EQ(exported(1, "500"), "500");

    const QString unknown = exported(1, "JC99999");
    EXPECT_TRUE(unknown.startsWith("status 2:")) << unknown;
    EXPECT_TRUE(unknown.contains("JC99999"));
    EXPECT_TRUE(exported(2, "JC39").startsWith("status 2:"));
    EXPECT_TRUE(exported(1, "JC39' or '1'='1").startsWith("status 2:"));
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

} // namespace
