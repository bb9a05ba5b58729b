#include "bench/generate.h"

#include "bench/rowsink.h"
#include "data/connection.h"
#include "data/schema.h"
#include "data/tablenames.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace bench {

namespace {

constexpr qint64 kInterfaceId = 91004;
// The history spreads over ten years before the process date.
constexpr int kHistoryDays = 3650;
constexpr double kCancelledShare = 0.04;
constexpr double kInactiveShare = 0.02;
constexpr int kDesignationsPerGrade = 4;

const std::array<const char*, 6> kGrades{"Junior", "Associate", "Senior",
                                         "Lead",   "Manager",   "Director"};
// Four per grade, in grade order.
const std::array<const char*, 24> kDesignations{"Clerk",
                                                "Accounts Assistant",
                                                "Technician",
                                                "Typist",
                                                "Accountant",
                                                "Engineer",
                                                "HR Officer",
                                                "Sales Executive",
                                                "Senior Analyst",
                                                "Senior Engineer",
                                                "Auditor",
                                                "Buyer",
                                                "Team Lead",
                                                "Project Lead",
                                                "Audit Lead",
                                                "Site Lead",
                                                "Finance Manager",
                                                "Operations Manager",
                                                "HR Manager",
                                                "Sales Manager",
                                                "Finance Director",
                                                "Operations Director",
                                                "People Director",
                                                "Managing Director"};
// Basic pay range per grade, in rupees.
const std::array<std::pair<int, int>, 6> kGradePay{{{18000, 28000},
                                                    {28000, 45000},
                                                    {45000, 70000},
                                                    {70000, 110000},
                                                    {110000, 160000},
                                                    {160000, 250000}}};

struct Currency {
    const char* name;
    const char* symbol;
    int rupees; // worth of one unit
};
const std::array<Currency, 3> kCurrencies{
    {{"Rupee", "Rs", 1}, {"US Dollar", "$", 80}, {"Dirham", "AED", 22}}};

struct LineType {
    const char* description;
    int typicalRupees;
};
const std::array<LineType, kAllowanceTypes> kAllowances{{{"House Rent Allowance", 12000},
                                                         {"Conveyance Allowance", 1600},
                                                         {"Medical Allowance", 1250},
                                                         {"Special Allowance", 6000},
                                                         {"Overseas Allowance", 24000},
                                                         {"Gulf Posting Allowance", 22000},
                                                         {"Night Shift Allowance", 2000},
                                                         {"Uniform Allowance", 800},
                                                         {"Education Allowance", 1500},
                                                         {"Telephone Allowance", 900},
                                                         {"Meal Allowance", 1100},
                                                         {"Hardship Allowance", 5000},
                                                         {"Leave Travel Allowance", 3000},
                                                         {"City Compensatory Allowance", 1800}}};
const std::array<LineType, kDeductionTypes> kDeductions{{{"Provident Fund", 3600},
                                                         {"Professional Tax", 200},
                                                         {"Income Tax", 8000},
                                                         {"Loan Recovery", 5000},
                                                         {"Salary Advance Recovery", 4000},
                                                         {"Welfare Fund", 100},
                                                         {"Housing Loan", 6500},
                                                         {"Vehicle Loan", 4500},
                                                         {"Pension Fund", 2500},
                                                         {"Canteen", 600},
                                                         {"Club Membership", 400},
                                                         {"Insurance Premium", 1400}}};

const std::array<const char*, 48> kFirstNames{
    "Aarav", "Priya",  "Ananya",  "Vikram", "Lakshmi", "Suresh", "Deepa",   "Arjun",
    "Kavya", "Meera",  "Sanjay",  "Neha",   "Karthik", "Divya",  "Venkat",  "Shreya",
    "Ahmed", "Fatima", "Omar",    "Layla",  "Yousef",  "Noura",  "Khalid",  "Mariam",
    "James", "Emily",  "Michael", "Sarah",  "David",   "Laura",  "Thomas",  "Olivia",
    "Wei",   "Jun",    "Haruto",  "Yuki",   "Kenji",   "Aiko",   "Min-jun", "Seo-yeon",
    "Kwame", "Ngozi",  "Carlos",  "Lucía",  "Mateo",   "Zoë",    "Jürgen",  "Élodie"};
const std::array<const char*, 40> kLastNames{
    "Sharma", "Iyer",    "Nair",    "Patel",  "Reddy",  "Gupta",  "Menon",  "Pillai",
    "Rao",    "Joshi",   "Haddad",  "Khoury", "Nasser", "Saleh",  "Aziz",   "Mansour",
    "Smith",  "Johnson", "Taylor",  "Brown",  "Wilson", "Clarke", "Walker", "Wright",
    "Chen",   "Wang",    "Tanaka",  "Sato",   "Kim",    "Park",   "Mensah", "Okafor",
    "García", "López",   "Morales", "Müller", "Nowak",  "Dubois", "Santos", "O'Brien"};

const std::array<const char*, 8> kRemarks{"",
                                          "",
                                          "",
                                          "Annual appraisal",
                                          "Promotion on completion of probation",
                                          "Transfer to head office",
                                          "Revised as per board approval",
                                          "Increment only, same job"};
const std::array<const char*, 4> kCancelReasons{"wrong grade", "entered twice",
                                                "basic pay typed wrong", "promotion withdrawn"};
const char* const kCancellingUser = "Administrator";

class Random {
public:
    explicit Random(quint64 seed) : engine_(seed) {}
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }
    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(engine_);
    }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }
    template <typename Container> auto pick(const Container& items) {
        return items[static_cast<size_t>(between(0, static_cast<int>(items.size()) - 1))];
    }
    std::mt19937_64& engine() { return engine_; }

private:
    std::mt19937_64 engine_;
};

enum Kind { Allowances = 0, Deductions = 1 };
int typeCount(int kind) {
    return kind == Allowances ? kAllowanceTypes : kDeductionTypes;
}
int typicalRupees(int kind, int type) {
    return kind == Allowances ? kAllowances[static_cast<size_t>(type - 1)].typicalRupees
                              : kDeductions[static_cast<size_t>(type - 1)].typicalRupees;
}

double money(qint64 paise) {
    return static_cast<double>(paise) / 100.0;
}

qint64 roundedTo(double rupees, int step) {
    return std::max<qint64>(step, std::llround(rupees / step) * step) * 100;
}

struct Standing {
    int detail;
    int type;
    qint64 paise;
};

struct Employee {
    int designation = 1;
    int grade = 1;
    qint64 basic = 0;
    int currency = 1;
    bool active = true;
    std::array<std::vector<Standing>, 2> lines;
};

// One line of a job change, in list order.
struct Line {
    char letter;
    int type;
    qint64 oldPaise;
    qint64 revisedPaise;
};

int gradeOf(int designation) {
    return (designation - 1) / kDesignationsPerGrade + 1;
}

// The inserts of every table the generator fills.
class PayrollTables {
public:
    PayrollTables(RowSink& sink, const data::ResolvedTableNames& t) : sink_(sink) {
        auto columns = [](const char* text) {
            return QString::fromLatin1(text).split(QLatin1Char(','));
        };
        currency =
            sink.table(t.pcurrencymaster, columns("CompanyID,CurrencyID,CurrencyName,symbol"));
        grade = sink.table(t.pGrades, columns("gID,gCompanyid,gDescription"));
        designation = sink.table(t.pDesignation,
                                 columns("dDesigID,dCompanyID,dGradeID,dDescription,dactive"));
        allowanceType = sink.table(
            t.pallowances, columns("aAllowanceID,aCompanyID,aDescription,aCurrencyID,aActive"));
        deductionType = sink.table(t.pdeductions,
                                   columns("dDedID,dCompanyID,dDescription,dCurrencyID,dActive"));
        prefix = sink.table(t.pPrefix, columns("CompanyID,InterfaceID,Prefix"));
        settings = sink.table(t.pSettings, columns("companyID,NoOfPreviousDays"));
        user = sink.table(t.pusers, columns("companyid,userid,username"));
        rights = sink.table(t.puserrights, columns("userid,interfaceid,functionrights"));
        header = sink.table(t.pEmployeegradeChange,
                            columns("egcId,egcCompanyID,egcNo,egcDate,egcEmpID,egcOldDesigID,"
                                    "egcOldGradeID,egcOldBasic,egcNewDesigID,egcNewGradeID,"
                                    "egcNewBasic,egcremarks,egcCancelled,egcCancelledRemarks"));
        lines[Allowances] = sink.table(
            t.pempgcAllowance, columns("egcacompanyid,egcagcid,egcadetailid,egcaallowanceid,"
                                       "egcaoldamount,egcarevamount,egcatype"));
        lines[Deductions] = sink.table(
            t.pempgcdeductions, columns("egcdcompanyid,egcdgcid,egcddetailid,egcddeductionid,"
                                        "egcdoldamount,egcdrevamount,egcdtype"));
        employee = sink.table(t.pemployee, columns("eCompanyID,eEmpID,eempno,eName,eDesigID,"
                                                   "eGradeID,eBasic,ecurrencyid,eActive"));
        standing[Allowances] = sink.table(
            t.pempallowances, columns("eacompanyid,eaempid,eadetailid,eaallowanceid,eaamount"));
        standing[Deductions] = sink.table(
            t.pempdeductions, columns("edcompanyid,edempid,eddetailid,eddeductionid,edamount"));
    }

    void add(int table, std::initializer_list<Cell> row) {
        sink_.insert(table, std::span<const Cell>(row.begin(), row.size()));
    }

    int currency, grade, designation, allowanceType, deductionType, prefix, settings, user, rights,
        header, employee;
    std::array<int, 2> lines{}, standing{};

private:
    RowSink& sink_;
};

class PayrollHistory {
public:
    PayrollHistory(RowSink& sink, const data::ResolvedTableNames& tables,
                   const GenerateOptions& options)
        : tables_(sink, tables), options_(options), random_(options.seed),
          company_(options.company) {}

    GenerateSummary run() {
        referenceData();
        hireEmployees();
        jobChanges();
        employeesAsTheyStand();
        summary_.employees = options_.employees;
        return summary_;
    }

private:
    void referenceData() {
        for (size_t i = 0; i < kCurrencies.size(); ++i)
            tables_.add(tables_.currency, {company_, static_cast<int>(i) + 1, kCurrencies[i].name,
                                           kCurrencies[i].symbol});
        for (size_t i = 0; i < kGrades.size(); ++i)
            tables_.add(tables_.grade, {static_cast<int>(i) + 1, company_, kGrades[i]});
        for (size_t i = 0; i < kDesignations.size(); ++i) {
            const int id = static_cast<int>(i) + 1;
            tables_.add(tables_.designation, {id, company_, gradeOf(id), kDesignations[i], 1});
        }
        for (size_t i = 0; i < kAllowances.size(); ++i)
            tables_.add(tables_.allowanceType,
                        {static_cast<int>(i) + 1, company_, kAllowances[i].description, 1, 1});
        for (size_t i = 0; i < kDeductions.size(); ++i)
            tables_.add(tables_.deductionType,
                        {static_cast<int>(i) + 1, company_, kDeductions[i].description, 1, 1});
        tables_.add(tables_.prefix, {company_, kInterfaceId, kPrefix});
        // No previous-days limit: the register lists every job change.
        tables_.add(tables_.settings, {company_, 0});
        tables_.add(tables_.user, {company_, 1, kCancellingUser});
        tables_.add(tables_.user, {company_, 2, "Payroll Clerk"});
        tables_.add(tables_.rights, {2, kInterfaceId, "NEDUP"});
    }

    qint64 basicFor(int grade, int currency) {
        const auto [low, high] = kGradePay[static_cast<size_t>(grade - 1)];
        const double rupees =
            random_.uniform(low, high) / kCurrencies[static_cast<size_t>(currency - 1)].rupees;
        return roundedTo(rupees, rupees > 20000 ? 100 : 10);
    }

    qint64 lineAmount(int kind, int type, int currency) {
        const double rupees = typicalRupees(kind, type) * random_.uniform(0.5, 1.6) /
                              kCurrencies[static_cast<size_t>(currency - 1)].rupees;
        return roundedTo(rupees, rupees >= 1000 ? 50 : 5);
    }

    qint64 raised(qint64 paise, double low, double high) {
        const double rupees = money(paise) * random_.uniform(low, high);
        return std::max(paise, roundedTo(rupees, rupees > 20000 ? 100 : 5));
    }

    void hireEmployees() {
        employees_.resize(static_cast<size_t>(options_.employees) + 1);
        for (int id = 1; id <= options_.employees; ++id) {
            Employee& e = employees_[static_cast<size_t>(id)];
            // Most staff in the lower grades.
            const int grade =
                std::min(6, 1 + static_cast<int>(std::abs(
                                    std::normal_distribution<double>(0.0, 1.6)(random_.engine()))));
            e.designation = (grade - 1) * kDesignationsPerGrade + random_.between(1, 4);
            e.grade = grade;
            e.currency = random_.chance(0.9) ? 1 : random_.between(2, 3);
            e.basic = basicFor(grade, e.currency);
            e.active = !random_.chance(kInactiveShare);
            for (int kind : {Allowances, Deductions}) {
                std::vector<int> types(static_cast<size_t>(typeCount(kind)));
                std::iota(types.begin(), types.end(), 1);
                std::shuffle(types.begin(), types.end(), random_.engine());
                const int count = random_.between(1, 5);
                std::sort(types.begin(), types.begin() + count);
                for (int i = 0; i < count; ++i)
                    e.lines[static_cast<size_t>(kind)].push_back(
                        {i + 1, types[static_cast<size_t>(i)],
                         lineAmount(kind, types[static_cast<size_t>(i)], e.currency)});
            }
        }
    }

    int newDesignation(int old) {
        const int oldGrade = gradeOf(old);
        const double r = random_.uniform(0.0, 1.0);
        if (r < 0.1)
            return old; // an increment in the same job
        const int grade = r < 0.6   ? std::min(oldGrade + 1, 6)
                          : r < 0.9 ? oldGrade
                                    : std::max(oldGrade - 1, 1);
        int designation = old;
        while (designation == old)
            designation = (grade - 1) * kDesignationsPerGrade + random_.between(1, 4);
        return designation;
    }

    // The two lists of one job change: every standing line, kept ("O") or dropped ("R"),
    // then added lines ("N"), 5 to 15 in all.
    std::array<std::vector<Line>, 2> revise(const Employee& e) {
        const auto& allowances = e.lines[Allowances];
        const auto& deductions = e.lines[Deductions];
        const int held = static_cast<int>(allowances.size() + deductions.size());
        const int total = random_.between(std::max(kMinLines, held), kMaxLines);
        const int keepAbout = random_.between(4, 12);
        const int dropped = std::clamp(total - keepAbout, 0, held);
        std::vector<bool> drop(static_cast<size_t>(held), false);
        std::fill(drop.begin(), drop.begin() + dropped, true);
        std::shuffle(drop.begin(), drop.end(), random_.engine());

        std::array<std::vector<Line>, 2> lists;
        std::array<std::vector<bool>, 2> taken;
        size_t position = 0;
        for (int kind : {Allowances, Deductions}) {
            taken[static_cast<size_t>(kind)].assign(static_cast<size_t>(typeCount(kind)) + 1,
                                                    false);
            for (const Standing& line : e.lines[static_cast<size_t>(kind)]) {
                taken[static_cast<size_t>(kind)][static_cast<size_t>(line.type)] = true;
                const bool dropIt = drop[position++];
                const qint64 revised =
                    dropIt || random_.chance(0.4) ? line.paise : raised(line.paise, 1.03, 1.25);
                lists[static_cast<size_t>(kind)].push_back(
                    {dropIt ? 'R' : 'O', line.type, line.paise, revised});
            }
        }
        for (int added = held; added < total; ++added) {
            int kind = random_.between(Allowances, Deductions);
            auto free = [&](int k) {
                return static_cast<int>(lists[static_cast<size_t>(k)].size()) < typeCount(k);
            };
            if (!free(kind))
                kind = 1 - kind;
            auto& isTaken = taken[static_cast<size_t>(kind)];
            int type = 0;
            do
                type = random_.between(1, typeCount(kind));
            while (isTaken[static_cast<size_t>(type)]);
            isTaken[static_cast<size_t>(type)] = true;
            lists[static_cast<size_t>(kind)].push_back(
                {'N', type, 0, lineAmount(kind, type, e.currency)});
        }
        return lists;
    }

    void jobChanges() {
        struct Planned {
            int day;
            int employee;
        };
        std::vector<Planned> planned(static_cast<size_t>(options_.jobChanges));
        const qint64 longHistory =
            options_.employees > 1 && options_.jobChanges >= 4 * kLongHistoryJobChanges
                ? kLongHistoryJobChanges
                : 0;
        for (size_t i = 0; i < planned.size(); ++i) {
            const int day = random_.between(0, kHistoryDays);
            planned[i] = {day, static_cast<qint64>(i) < longHistory
                                   ? kLongHistoryEmployee
                                   : random_.between(longHistory ? kLongHistoryEmployee + 1 : 1,
                                                     options_.employees)};
        }
        // Ids and numbers follow the dates, oldest first.
        std::sort(planned.begin(), planned.end(), [](const Planned& a, const Planned& b) {
            return a.day != b.day ? a.day > b.day : a.employee < b.employee;
        });
        qint64 id = 0;
        for (const Planned& p : planned)
            jobChange(++id, options_.processDate.addDays(-p.day), p.employee);
    }

    void jobChange(qint64 id, const QDate& date, int employeeId) {
        Employee& e = employees_[static_cast<size_t>(employeeId)];
        const bool cancelled = random_.chance(kCancelledShare);
        const int designation = newDesignation(e.designation);
        const int grade = gradeOf(designation);
        const qint64 basic = grade > e.grade    ? raised(e.basic, 1.10, 1.30)
                             : grade == e.grade ? raised(e.basic, 1.03, 1.12)
                                                : raised(e.basic, 1.00, 1.02);
        const auto lists = revise(e);

        const std::string number = jobChangeNumber(id, options_.jobChanges).toStdString();
        const std::string remarks = random_.pick(kRemarks);
        const std::string cancelRemarks =
            cancelled ? std::string(kCancellingUser) + ":" + random_.pick(kCancelReasons)
                      : std::string();
        tables_.add(tables_.header,
                    {id, company_, std::string_view(number), date, employeeId, e.designation,
                     e.grade, money(e.basic), designation, grade, money(basic),
                     remarks.empty() ? Cell() : Cell(std::string_view(remarks)), cancelled ? 1 : 0,
                     cancelled ? Cell(std::string_view(cancelRemarks)) : Cell()});
        ++summary_.jobChanges;
        summary_.cancelled += cancelled ? 1 : 0;

        for (int kind : {Allowances, Deductions}) {
            const auto& list = lists[static_cast<size_t>(kind)];
            std::vector<Standing> after;
            for (size_t i = 0; i < list.size(); ++i) {
                const Line& line = list[i];
                const int detail = static_cast<int>(i) + 1;
                const char letter[2] = {line.letter, '\0'};
                tables_.add(tables_.lines[static_cast<size_t>(kind)],
                            {company_, id, detail, line.type, money(line.oldPaise),
                             money(line.revisedPaise), letter});
                if (line.letter != 'R')
                    after.push_back({detail, line.type, line.revisedPaise});
            }
            (kind == Allowances ? summary_.allowanceLines : summary_.deductionLines) +=
                static_cast<qint64>(list.size());
            // A cancelled job change was withdrawn before the next one and put everything back.
            if (!cancelled)
                e.lines[static_cast<size_t>(kind)] = std::move(after);
        }
        if (!cancelled) {
            e.designation = designation;
            e.grade = grade;
            e.basic = basic;
        }
    }

    void employeesAsTheyStand() {
        for (int id = 1; id <= options_.employees; ++id) {
            const Employee& e = employees_[static_cast<size_t>(id)];
            const std::string number =
                QStringLiteral("E%1").arg(id, 6, 10, QLatin1Char('0')).toStdString();
            const std::string name =
                std::string(kFirstNames[static_cast<size_t>(
                    random_.between(0, static_cast<int>(kFirstNames.size()) - 1))]) +
                " " +
                kLastNames[static_cast<size_t>(
                    random_.between(0, static_cast<int>(kLastNames.size()) - 1))];
            tables_.add(tables_.employee,
                        {company_, id, std::string_view(number), std::string_view(name),
                         e.designation, e.grade, money(e.basic), e.currency, e.active ? 1 : 0});
            for (int kind : {Allowances, Deductions}) {
                for (const Standing& line : e.lines[static_cast<size_t>(kind)])
                    tables_.add(tables_.standing[static_cast<size_t>(kind)],
                                {company_, id, line.detail, line.type, money(line.paise)});
                (kind == Allowances ? summary_.standingAllowances : summary_.standingDeductions) +=
                    static_cast<qint64>(e.lines[static_cast<size_t>(kind)].size());
            }
        }
    }

    PayrollTables tables_;
    GenerateOptions options_;
    Random random_;
    int company_;
    std::vector<Employee> employees_;
    GenerateSummary summary_;
};

} // namespace

QString jobChangeNumber(qint64 id, qint64 count) {
    const qint64 series = (id - 1) / kSeriesLength;
    const qint64 running = (id - 1) % kSeriesLength + 1;
    if (series == (count - 1) / kSeriesLength)
        return QLatin1String(kPrefix) + QString::number(running);
    return QStringLiteral("H%1-%2").arg(series + 1).arg(running);
}

GenerateSummary generateRows(RowSink& sink, const data::ResolvedTableNames& tables,
                             const GenerateOptions& options) {
    GenerateSummary summary = PayrollHistory(sink, tables, options).run();
    sink.commit();
    return summary;
}

GenerateSummary generateSqlite(const QString& file, const GenerateOptions& options) {
    if (QFile::exists(file))
        throw data::DbError(data::kErrGeneric, QStringLiteral("generate"),
                            QStringLiteral("%1 exists already").arg(file));
    data::ResolvedTableNames tables;
    {
        data::Connection connection;
        connection.openSqlite(file);
        data::createSchema(connection);
        data::ResolveTableNames(connection, tables);
    }
    SqliteSink sink(file);
    return generateRows(sink, tables, options);
}

GenerateSummary generateOn(data::Connection& connection, const GenerateOptions& options) {
    data::createSchema(connection);
    data::ResolvedTableNames tables;
    data::ResolveTableNames(connection, tables);
    ConnectionSink sink(connection);
    return generateRows(sink, tables, options);
}

} // namespace bench
