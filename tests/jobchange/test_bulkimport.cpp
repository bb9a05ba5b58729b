// A revision imported from a spreadsheet against the database: a thousand rows with twenty
// seeded errors, in CSV and in a workbook of another writer; the template read back; a change by
// another clerk after the import's preview.

#include "jobchange/bulkreads.h"
#include "jobchange/servicefixture.h"

#include <QProcess>

namespace {

constexpr int kGenerated = 1000; // employees N1 to N1000, ids 101 to 1100

QString csvField(const QString& field) {
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n'))
        return field;
    return '"' + QString(field).replace("\"", "\"\"") + '"';
}

QByteArray csvOf(const QList<QStringList>& records) {
    QByteArray csv = "\xEF\xBB\xBF";
    for (const QStringList& record : records) {
        QStringList fields;
        for (const QString& field : record)
            fields << csvField(field);
        csv += fields.join(',').toUtf8() + "\r\n";
    }
    return csv;
}

// A planned job change as one line of text, to compare two of them whole.
QString planText(const std::optional<bulk::PlannedJobChange>& plan) {
    if (!plan)
        return QStringLiteral("none");
    QStringList parts{QString::number(plan->employeeId),
                      QString::number(plan->oldDesignationId),
                      QString::number(plan->newDesignationId),
                      plan->oldBasic.toString(),
                      plan->newBasic.toString(),
                      plan->date.toString(Qt::ISODate),
                      plan->remarks};
    for (LineKind kind : kLineKinds)
        for (const bulk::PlannedLine& line : plan->linesOf(kind))
            parts << QStringLiteral("%1%2:%3>%4")
                         .arg(line.letter)
                         .arg(line.typeId)
                         .arg(line.oldAmount.toString(), line.revisedAmount.toString());
    return parts.join('|');
}

class BulkImport : public ServiceTest {
protected:
    BulkImport() {
        // Every generated employee has House Rent; every third Conveyance, every second Income
        // Tax, every tenth the Old Bonus, a type no longer active.
        const QString numbers = QStringLiteral("(with recursive n(i) as (select 1 union all "
                                               "select i + 1 from n where i < %1) select i from "
                                               "n) n")
                                    .arg(kGenerated);
        db.insert("pallowances", {"4, 1, 'Old Bonus', 1, 0"});
        db.exec("insert into pay_employee select 1, 100 + i, 'N' || i, 'Emp ' || i, 1 + i % 2, "
                "1 + i % 2, (1000000 + i * 137) / 100.0, 1, 1 from " +
                numbers);
        db.exec("insert into pay_empallowances select 1, 100 + i, 1, 1, 5000 + i from " + numbers);
        db.exec("insert into pay_empallowances select 1, 100 + i, 2, 2, 800 from " + numbers +
                " where i % 3 = 0");
        db.exec("insert into pay_empallowances select 1, 100 + i, 3, 4, 300 from " + numbers +
                " where i % 10 = 0");
        db.exec("insert into pay_empdeductions select 1, 100 + i, 1, 2, 100 + i % 50 from " +
                numbers + " where i % 2 = 0");
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    bulk::ImportBatch preview(const QString& file, const QDate& date = QDate(2003, 3, 1)) const {
        bulk::ImportBatch batch;
        EXPECT_EQ(bulkReads.previewImport(bulk::readImport(path(file)), date,
                                          QStringLiteral("Imported"), batch),
                  "");
        return batch;
    }

    // The workbook another writer makes of a CSV file: plain numbers as numbers (every seventh
    // row a little off, as formulas leave them), ISO dates as dates, "=..." as formulas without a
    // stored value, "#N/A" as an error.
    void workbookOf(const QString& csv, const QString& xlsx) const {
        ASSERT_TRUE(writeFile(path("convert.py"), R"(
import csv, datetime, re, sys
from openpyxl import Workbook
book = Workbook()
sheet = book.active
number = re.compile(r"^-?\d+(\.\d+)?$")
date = re.compile(r"^\d{4}-\d\d-\d\d$")
with open(sys.argv[1], encoding="utf-8-sig", newline="") as source:
    for n, record in enumerate(csv.reader(source)):
        row = []
        for c, value in enumerate(record):
            if value == "":
                value = None
            elif c > 0 and number.match(value):
                value = float(value) + (1e-9 if n % 7 == 2 else 0) if "." in value else int(value)
            elif date.match(value):
                value = datetime.date.fromisoformat(value)
            row.append(value)
        sheet.append(row)
book.save(sys.argv[2])
)"));
        QProcess python;
        python.start("/usr/bin/python3", {path("convert.py"), csv, xlsx});
        ASSERT_TRUE(python.waitForFinished(120000));
        ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    }

    QTemporaryDir dir;
    jobchange::BulkReads bulkReads{workspace};
};

// The annual increment written out as a list, as HR would send it, with twenty mistakes: exactly
// those are named, and every other row is what the rules themselves compute.
TEST_F(BulkImport, AThousandRowsWithTwentySeededErrors) {
    data.jobChange(1, "JC9", "2003-03-01", 135); // N35 is no longer eligible
    bulk::Rules rules;
    rules.date = QDate(2003, 3, 1);
    rules.remarks = QStringLiteral("Increment 2003");
    rules.basic = {bulk::Mode::PlusPercent, *bulk::Percent::parse("5"), {}};
    rules.rounding = bulk::Rounding::Unit;
    rules.lines = {
        {LineKind::Allowance, 1, {}, {bulk::Mode::PlusAmount, {}, money("1000")}, false, {}},
        {LineKind::Allowance, 3, {}, {bulk::Mode::SetTo, {}, money("250")}, true, {}},
        {LineKind::Deduction, 2, {}, {bulk::Mode::Drop, {}, {}}, false, {}}};
    ASSERT_EQ(bulkReads.prepareRules(rules), "");
    QHash<QString, bulk::PreviewRow> byRules;
    for (bulk::PreviewRow& row : bulk::computePreview(bulkReads.eligibleEmployees(), rules))
        byRules.insert(row.employee.number, std::move(row));

    QList<QStringList> records = {{"Employee No", "Name", "New Basic", "New Job",
                                   "Allowance: House Rent", "allowance:medical",
                                   "DEDUCTION: Income  Tax", "Remarks", "Bonus",
                                   "Allowance: Housing", "Allowance: Old Bonus"}};
    for (int i = 1; i <= kGenerated; ++i) {
        const QString number = QStringLiteral("N%1").arg(i);
        if (!byRules.contains(number)) { // N35
            records << QStringList{number, "Emp 35", "", "", "", "", "", "", "", "", ""};
            continue;
        }
        const bulk::PreviewRow& row = byRules[number];
        const auto amount = [](qint64 cents) { return data::Money::fromCents(cents)->toString(); };
        const bool taxed = !row.linesOf(LineKind::Deduction).empty();
        records << QStringList{row.employee.number,
                               row.employee.name,
                               amount(row.basic.newCents),
                               row.employee.job(),
                               amount(row.effects[0].amount.newCents),
                               "250",
                               taxed ? "drop" : "",
                               "Increment 2003",
                               "ignored",
                               "",
                               i % 10 == 0 ? "300" : ""};
    }
    // The seeds: (employee, column, value), each on the row of employee Ni, row i + 1.
    const std::tuple<int, int, QString> seeds[] = {
        {5, 2, "27,5OO"},   {10, 4, "0.005"},    {15, 5, "-5"},  {20, 2, "1000000000000"},
        {25, 0, "N9999"},   {30, 0, "E003"},     {40, 0, "N41"}, {45, 3, "Senior - Wizard"},
        {50, 9, "700"},     {60, 10, "400"},     {65, 0, ""},    {70, 2, "=B71*1.05"},
        {75, 4, "drop it"}, {80, 4, "12,34"},    {85, 2, "1e5"}, {90, 2, "2027-01-05"},
        {95, 6, "#N/A"},    {105, 4, "5123.456"}};
    for (const auto& [employee, column, value] : seeds)
        records[employee][column] = value;
    ASSERT_TRUE(writeFile(path("increment.csv"), csvOf(records)));
    workbookOf(path("increment.csv"), path("increment.xlsx"));

    const QStringList common = {
        "row 6, New Basic: \"27,5OO\" is not an amount",
        "row 11, Allowance: House Rent: \"0.005\" has more than two decimals",
        "row 16, allowance:medical: \"-5\" is negative",
        "row 21, New Basic: \"1000000000000\" is more than 999,999,999,999.99",
        "row 26, Employee No: there is no employee \"N9999\" in this company",
        "row 31, Employee No: E003 (Chen) is not active",
        "row 36, Employee No: N35 (Emp 35) already has job change JC9 dated 1 Mar 2003, after "
        "the process date",
        "row 41, Employee No: N41 is also on row 42",
        "row 42, Employee No: N41 is also on row 41",
        "row 46, New Job: \"Senior - Wizard\" is not an active job of this company (grade - "
        "designation, as the entry window shows it)",
        "row 51, Allowance: Housing: there is no allowance type \"Housing\"",
        "row 61, Allowance: Old Bonus: Old Bonus is no longer an active allowance type",
        "row 66, Employee No: no employee number",
        "row 71, New Basic: ",
        "row 76, Allowance: House Rent: \"drop it\" is not an amount",
        "row 81, Allowance: House Rent: \"12,34\" is not an amount",
        "row 86, New Basic: \"1e5\" is not an amount",
        "row 91, New Basic: ",
        "row 96, DEDUCTION: Income Tax: \"#N/A\" is not an amount",
        "row 106, Allowance: House Rent: \"5123.456\" has more than two decimals"};
    const QString formula = "cell C71 holds a formula without a stored value: open the workbook "
                            "in a spreadsheet program, save it and import it again";
    const std::tuple<QString, QString, QString> files[] = {
        {"increment.csv", "\"=B71*1.05\" is not an amount", "\"2027-01-05\" is not an amount"},
        {"increment.xlsx", formula, "5 Jan 2027 is a date, not an amount"}};
    for (const auto& [file, row71, row91] : files) {
        SCOPED_TRACE(file.toStdString());
        bulk::ImportBatch batch = preview(file);
        EXPECT_EQ(batch.warnings.value(0).left(30), "Column I, \"Bonus\", is not read");
        QStringList expected = common;
        expected[13] += row71;
        expected[17] += row91;
        QStringList named;
        int compared = 0;
        for (const bulk::PreviewRow& row : batch.rows) {
            named << row.errors;
            EXPECT_EQ(row.checked, true) << "a row with errors stays ticked";
            if (!row.errors.isEmpty())
                continue;
            ++compared;
            EXPECT_EQ(planText(bulk::plannedJobChange(row, batch.rules)),
                      planText(bulk::plannedJobChange(byRules[row.employee.number], rules)));
        }
        EXPECT_EQ(named, expected);
        EXPECT_EQ(compared, 980);
        // Applies only once the rows with errors are unticked.
        EXPECT_EQ(bulk::previewTotals(batch.rows, batch.rules).employees, 980);
    }

    bulk::ImportBatch batch = preview("increment.csv");
    for (bulk::PreviewRow& row : batch.rows)
        row.checked = row.errors.isEmpty();
    const jobchange::BatchResult result = writer.apply(batch.rows, batch.rules);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.saved.size(), 980u);
    EXPECT_EQ(db.rows("select count(*) from pay_employeegradechange where egcremarks = "
                      "'Increment 2003' and egcDate = '2003-03-01'"),
              QStringList{"980"});
    EXPECT_EQ(db.rows("select eBasic from pay_employee where eEmpID = 107", {0}),
              QStringList{data::Money::fromCents(byRules["N7"].basic.newCents)->toString()});

    bulk::ImportBatch early;
    EXPECT_EQ(bulkReads.previewImport(bulk::readImport(path("increment.csv")), QDate(2003, 2, 13),
                                      {}, early),
              "The job date 13 Feb 2003 is before the process date 14 Feb 2003.");
}

// The template read back as it is asks for nothing, whatever the jobs and types; two rows edited
// apply, and only after a preview computed again once another clerk changed one of them.
TEST_F(BulkImport, TheTemplateReadBackAsksForNothingAndEditedRowsApply) {
    const std::vector<bulk::EmployeeSnapshot> employees = bulkReads.eligibleEmployees();
    const tableexport::ExportTable table =
        bulk::importTemplate(employees, bulkReads.importCatalog(employees, false));
    EXPECT_EQ(table.titles,
              QStringList({"Employee No", "Name", "New Job", "New Basic", "Allowance: House Rent",
                           "Allowance: Conveyance", "Allowance: Medical", "Allowance: Old Bonus",
                           "Deduction: Provident Fund", "Deduction: Income Tax", "Remarks"}));
    for (const QString file : {"template.xlsx", "template.csv"}) {
        SCOPED_TRACE(file.toStdString());
        tableexport::writeTable(table, path(file));
        const bulk::ImportBatch batch = preview(file);
        EXPECT_TRUE(batch.warnings.isEmpty()) << batch.warnings.join('\n');
        EXPECT_EQ(batch.rowsWithErrors(), 0);
        EXPECT_EQ(batch.rows.size(), size_t(kGenerated + 3)) << "Asha, Bruno and Dina besides";
        EXPECT_TRUE(std::all_of(batch.rows.begin(), batch.rows.end(),
                                [](const bulk::PreviewRow& row) { return row.noChange; }));
    }

    // N2, a Junior Clerk, becomes an Officer; N3, a Senior Officer, gets 6000 House Rent.
    QByteArray csv = readFile(path("template.csv"));
    csv.replace("\r\nN2,Emp 2,Junior - Clerk,", "\r\nN2,Emp 2,senior -  officer,");
    csv.replace("\r\nN3,Emp 3,Senior - Officer,10004.11,5003.00,",
                "\r\nN3,Emp 3,Senior - Officer,10004.11,6000,");
    ASSERT_TRUE(writeFile(path("template.csv"), csv));
    const bulk::ImportBatch edited = preview("template.csv");
    QStringList applied;
    for (const bulk::PreviewRow& row : edited.rows)
        if (row.willApply())
            applied << planText(bulk::plannedJobChange(row, edited.rules));
    EXPECT_EQ(applied,
              QStringList({"102|1|2|10002.74|10002.74|2003-03-01|Imported|O1:5002.00>5002.00|"
                           "O2:102.00>102.00",
                           "103|2|2|10004.11|10004.11|2003-03-01|Imported|O1:5003.00>6000.00|"
                           "O2:800.00>800.00"}));

    db.exec("update pay_empallowances set eaamount = 5100 where eaempid = 103");
    const auto before = db.snapshot();
    const jobchange::BatchResult refused = writer.apply(edited.rows, edited.rules);
    EXPECT_EQ(refused.outcome, jobchange::BatchResult::Outcome::Refused);
    EXPECT_EQ(refused.changed, std::vector<qint32>{103});
    EXPECT_EQ(db.snapshot(), before);
    const bulk::ImportBatch again = preview("template.csv");
    ASSERT_TRUE(writer.apply(again.rows, again.rules).ok());
    EXPECT_EQ(db.rows("select eEmpID, eDesigID, eGradeID from pay_employee where eEmpID in (102, "
                      "103) order by eEmpID"),
              QStringList({"102|2|2", "103|2|2"}));
}

} // namespace
