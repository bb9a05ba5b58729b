-- Payroll database tables used by the job-change module: Transact-SQL (SQL Server).
-- One statement per line or per group of lines, each ending with a semicolon at the end of a line.
-- Column names are matched without regard to case under the usual case-insensitive collation of the server.
-- Amounts are float, not money: 1500.50 is stored and read back as 1500.5.
-- Names and descriptions are nvarchar so names in any script fit.
-- Every table except linktable is known to the module by a logical name and is
-- created here under its physical name. linktable (filled at the end) maps one to the other.

-- table-name map: logical name (as the module spells it) to the physical table
-- No unique key: the module reads the rows it finds and copes with repeated ones.
CREATE TABLE linktable (
    tablename nvarchar(128) NOT NULL,
    linktablename nvarchar(128)
);
CREATE INDEX ix_linktable_tablename ON linktable (tablename);

-- job change headers
CREATE TABLE pay_employeegradechange (
    egcId int NOT NULL,
    egcCompanyID int NOT NULL,
    egcNo nvarchar(30),
    egcDate datetime,
    egcEmpID int NOT NULL,
    egcOldDesigID int,
    egcOldGradeID int,
    egcOldBasic float,
    egcNewDesigID int,
    egcNewGradeID int,
    egcNewBasic float,
    egcremarks nvarchar(max),
    egcCancelled int DEFAULT 0,
    egcCancelledRemarks nvarchar(max),
    CONSTRAINT pk_pay_employeegradechange PRIMARY KEY (egcCompanyID, egcId),
    CONSTRAINT uq_pay_employeegradechange_egccompanyid_egcno UNIQUE (egcCompanyID, egcNo)
);
-- its indexes are in indexes.sql, which also adds them to an installation's own table

-- allowance lines of a job change (type O kept, N added, R removed)
CREATE TABLE pay_empgcallowance (
    egcacompanyid int NOT NULL,
    egcagcid int NOT NULL,
    egcadetailid int NOT NULL,
    egcaallowanceid int,
    egcaoldamount float,
    egcarevamount float,
    egcatype varchar(1),
    CONSTRAINT pk_pay_empgcallowance PRIMARY KEY (egcacompanyid, egcagcid, egcadetailid)
);

-- deduction lines of a job change (type O kept, N added, R removed)
CREATE TABLE pay_empgcdeductions (
    egcdcompanyid int NOT NULL,
    egcdgcid int NOT NULL,
    egcddetailid int NOT NULL,
    egcddeductionid int,
    egcdoldamount float,
    egcdrevamount float,
    egcdtype varchar(1),
    CONSTRAINT pk_pay_empgcdeductions PRIMARY KEY (egcdcompanyid, egcdgcid, egcddetailid)
);

-- employee master
CREATE TABLE pay_employee (
    eCompanyID int NOT NULL,
    eEmpID int NOT NULL,
    eempno nvarchar(20),
    eName nvarchar(100),
    eDesigID int,
    eGradeID int,
    eBasic float,
    ecurrencyid int,
    eActive int DEFAULT 1,
    CONSTRAINT pk_pay_employee PRIMARY KEY (eCompanyID, eEmpID)
);

-- standing allowances of an employee
CREATE TABLE pay_empallowances (
    eacompanyid int NOT NULL,
    eaempid int NOT NULL,
    eadetailid int NOT NULL,
    eaallowanceid int,
    eaamount float,
    CONSTRAINT pk_pay_empallowances PRIMARY KEY (eacompanyid, eaempid, eadetailid)
);

-- standing deductions of an employee
CREATE TABLE pay_empdeductions (
    edcompanyid int NOT NULL,
    edempid int NOT NULL,
    eddetailid int NOT NULL,
    eddeductionid int,
    edamount float,
    CONSTRAINT pk_pay_empdeductions PRIMARY KEY (edcompanyid, edempid, eddetailid)
);

-- grades
CREATE TABLE pay_grades (
    gID int NOT NULL,
    gCompanyid int NOT NULL,
    gDescription nvarchar(100),
    CONSTRAINT pk_pay_grades PRIMARY KEY (gCompanyid, gID)
);

-- designations (jobs), each of one grade
CREATE TABLE pay_designation (
    dDesigID int NOT NULL,
    dCompanyID int NOT NULL,
    dGradeID int,
    dDescription nvarchar(100),
    dactive int DEFAULT 1,
    CONSTRAINT pk_pay_designation PRIMARY KEY (dCompanyID, dDesigID)
);

-- allowance types
CREATE TABLE pay_allowances (
    aAllowanceID int NOT NULL,
    aCompanyID int NOT NULL,
    aDescription nvarchar(100),
    aCurrencyID int,
    aActive int DEFAULT 1,
    CONSTRAINT pk_pay_allowances PRIMARY KEY (aCompanyID, aAllowanceID)
);

-- deduction types
CREATE TABLE pay_deductions (
    dDedID int NOT NULL,
    dCompanyID int NOT NULL,
    dDescription nvarchar(100),
    dCurrencyID int,
    dActive int DEFAULT 1,
    CONSTRAINT pk_pay_deductions PRIMARY KEY (dCompanyID, dDedID)
);

-- currencies
CREATE TABLE pay_currencymaster (
    CompanyID int NOT NULL,
    CurrencyID int NOT NULL,
    CurrencyName nvarchar(50),
    symbol nvarchar(10),
    CONSTRAINT pk_pay_currencymaster PRIMARY KEY (CompanyID, CurrencyID)
);

-- document number prefixes per company and interface
CREATE TABLE pay_prefix (
    CompanyID int NOT NULL,
    InterfaceID int NOT NULL,
    Prefix nvarchar(10),
    CONSTRAINT pk_pay_prefix PRIMARY KEY (CompanyID, InterfaceID)
);

-- company settings
CREATE TABLE pay_settings (
    companyID int NOT NULL,
    NoOfPreviousDays int,
    CONSTRAINT pk_pay_settings PRIMARY KEY (companyID)
);

-- users
CREATE TABLE pay_users (
    companyid int NOT NULL,
    userid int NOT NULL,
    username nvarchar(50),
    CONSTRAINT pk_pay_users PRIMARY KEY (companyid, userid)
);

-- function rights letters per user and interface
-- No unique key: the module reads the rows it finds and copes with repeated ones.
CREATE TABLE pay_userrights (
    userid int NOT NULL,
    interfaceid int NOT NULL,
    functionrights nvarchar(50)
);
CREATE INDEX ix_pay_userrights_user ON pay_userrights (userid, interfaceid);

-- table catalogue (column titles of registers)
CREATE TABLE pay_tables (
    tableid int NOT NULL,
    tablename nvarchar(128),
    CONSTRAINT pk_pay_tables PRIMARY KEY (tableid),
    CONSTRAINT uq_pay_tables_tablename UNIQUE (tablename)
);

-- column catalogue: titles in ColumnID order
CREATE TABLE pay_tablecolumns (
    tableid int NOT NULL,
    ColumnID int NOT NULL,
    columnheader nvarchar(100),
    columnname nvarchar(100),
    CONSTRAINT pk_pay_tablecolumns PRIMARY KEY (tableid, ColumnID)
);

-- Logical table names (spelled as the module asks for them) and their physical tables.
INSERT INTO linktable (tablename, linktablename) VALUES ('pusers', 'pay_users');
INSERT INTO linktable (tablename, linktablename) VALUES ('pEmployeegradeChange', 'pay_employeegradechange');
INSERT INTO linktable (tablename, linktablename) VALUES ('pemployee', 'pay_employee');
INSERT INTO linktable (tablename, linktablename) VALUES ('pGrades', 'pay_grades');
INSERT INTO linktable (tablename, linktablename) VALUES ('ptables', 'pay_tables');
INSERT INTO linktable (tablename, linktablename) VALUES ('ptablecolumns', 'pay_tablecolumns');
INSERT INTO linktable (tablename, linktablename) VALUES ('puserrights', 'pay_userrights');
INSERT INTO linktable (tablename, linktablename) VALUES ('pSettings', 'pay_settings');
INSERT INTO linktable (tablename, linktablename) VALUES ('pDesignation', 'pay_designation');
INSERT INTO linktable (tablename, linktablename) VALUES ('pcurrencymaster', 'pay_currencymaster');
INSERT INTO linktable (tablename, linktablename) VALUES ('pPrefix', 'pay_prefix');
INSERT INTO linktable (tablename, linktablename) VALUES ('pdeductions', 'pay_deductions');
INSERT INTO linktable (tablename, linktablename) VALUES ('pallowances', 'pay_allowances');
INSERT INTO linktable (tablename, linktablename) VALUES ('pempgcAllowance', 'pay_empgcallowance');
INSERT INTO linktable (tablename, linktablename) VALUES ('pempgcdeductions', 'pay_empgcdeductions');
INSERT INTO linktable (tablename, linktablename) VALUES ('pempallowances', 'pay_empallowances');
INSERT INTO linktable (tablename, linktablename) VALUES ('pempdeductions', 'pay_empdeductions');

-- Column titles of the job change register, catalogued under the physical table name.
INSERT INTO pay_tables (tableid, tablename) VALUES (1, 'pay_employeegradechange');
INSERT INTO pay_tablecolumns (tableid, ColumnID, columnheader, columnname) VALUES (1, 1, 'Job No', 'egcno');
INSERT INTO pay_tablecolumns (tableid, ColumnID, columnheader, columnname) VALUES (1, 2, 'Job Date', 'egcdate');
INSERT INTO pay_tablecolumns (tableid, ColumnID, columnheader, columnname) VALUES (1, 3, 'Employee Name', 'ename');
INSERT INTO pay_tablecolumns (tableid, ColumnID, columnheader, columnname) VALUES (1, 4, 'Old Job', 'oldjob');
INSERT INTO pay_tablecolumns (tableid, ColumnID, columnheader, columnname) VALUES (1, 5, 'New Job', 'newjob');
INSERT INTO pay_tablecolumns (tableid, ColumnID, columnheader, columnname) VALUES (1, 6, 'Cancelled', 'egccancelled');
