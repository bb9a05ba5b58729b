#include "data/dberror.h"
#include "report/datasources.h"
#include "support/check.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class DataSources : public ::testing::Test {
protected:
    void write(const QByteArray& text, QFileDevice::Permissions mode) const {
        ASSERT_TRUE(writeFile(ini, text));
        ASSERT_TRUE(QFile::setPermissions(ini, mode));
    }

    QTemporaryDir dir;
    QString ini = dir.filePath("datasources.ini");
    ScopedEnv sources{"QUORVEL_DATASOURCES", ini.toUtf8()};
};

constexpr QFileDevice::Permissions kOwner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

TEST_F(DataSources, APasswordInAFileOthersCanReadIsRefusedWithTheFixAndNoneIsNot) {
    const QByteArray withPasswords[] = {
        "[payrolldsn]\ndriver=postgres\ndatabase=host=db port=5432 dbname=p user=r "
        "password=s3cret\n",
        "[payrolldsn]\ndriver=odbc\ndatabase=DSN=payroll;UID=report;PWD=s3cret\n",
        "[other]\ndriver=odbc\ndatabase=Driver=FreeTDS;Server=x;Password = s3cret\n"
        "[payrolldsn]\ndriver=sqlite\ndatabase=/srv/p.sqlite\n",
        // Only the settings reader's decoding shows these: an escape in a value, one in a key.
        "[payrolldsn]\ndriver=postgres\ndatabase=dbname=payroll p\\x61ssword=s3cret\n",
        "[payrolldsn]\ndriver=postgres\ndatabase=dbname=payroll\n%70assword=s3cret\n",
    };
    for (const QByteArray& text : withPasswords) {
        for (QFileDevice::Permissions wide :
             {kOwner | QFileDevice::ReadGroup, kOwner | QFileDevice::ReadOther}) {
            write(text, wide);
            EXPECT_EQ(thrown([] { report::findDataSource("payrolldsn"); }).description(),
                      "The data source file " + ini +
                          " holds a password and other users can read it. Make it readable "
                          "by its owner only (chmod 600 " +
                          ini + ") and try again.")
                << text.constData();
        }
        write(text, kOwner);
        EXPECT_TRUE(report::findDataSource("payrolldsn")) << text.constData();
    }
    // Without a password the file may be read by others.
    write("[payrolldsn]\ndriver=odbc\ndatabase=DSN=payroll\n; or DSN=payroll;UID=r;PWD=...\n",
          kOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const std::optional<report::DataSource> source = report::findDataSource("payrolldsn");
    ASSERT_TRUE(source);
    EXPECT_EQ(source->database, "DSN=payroll");

    // A device is not read without end, nor is a file over a page of text.
    ScopedEnv device{"QUORVEL_DATASOURCES", "/dev/zero"};
    EXPECT_TRUE(thrown([] { report::findDataSource("payrolldsn"); })
                    .description()
                    .contains("/dev/zero: it is a device"));
}

} // namespace
