-- Payroll database tables used by the job-change module: PostgreSQL.
-- One statement per line or per group of lines, each ending with a semicolon at the end of a line.
-- Unquoted names fold to lower case, so every column is found whatever case a statement uses.
-- Amounts are double precision: 1500.50 is stored and read back as 1500.5.
-- Every table except linktable is known to the module by a logical name and is
-- created here under its physical name. linktable (filled at the end) maps one to the other.

-- table-name map: logical name (as the module spells it) to the physical table
-- No unique key: the module reads the rows it finds and copes with repeated ones.
-- Logical names match without regard to case, as on the users' servers.
CREATE COLLATION IF NOT EXISTS nocase (provider = icu, locale = 'und-u-ks-level2', deterministic = false);
CREATE TABLE linktable (
    tablename varchar(128) COLLATE nocase NOT NULL,
    linktablename varchar(128)
);
CREATE INDEX ix_linktable_tablename ON linktable (tablename);

-- job change headers
CREATE TABLE pay_employeegradechange (
    egcId integer NOT NULL,
    egcCompanyID integer NOT NULL,
    egcNo varchar(30),
    egcDate date,
    egcEmpID integer NOT NULL,
    egcOldDesigID integer,
    egcOldGradeID integer,
    egcOldBasic double precision,
    egcNewDesigID integer,
    egcNewGradeID integer,
    egcNewBasic double precision,
    egcremarks text,
    egcCancelled integer DEFAULT 0,
    egcCancelledRemarks text,
    CONSTRAINT pk_pay_employeegradechange PRIMARY KEY (egcCompanyID, egcId),
    CONSTRAINT uq_pay_employeegradechange_egccompanyid_egcno UNIQUE (egcCompanyID, egcNo)
);
-- its indexes are in indexes.sql, which also adds them to an installation's own table

-- allowance lines of a job change (type O kept, N added, R removed)
CREATE TABLE pay_empgcallowance (
    egcacompanyid integer NOT NULL,
    egcagcid integer NOT NULL,
    egcadetailid integer NOT NULL,
    egcaallowanceid integer,
    egcaoldamount double precision,
    egcarevamount double precision,
    egcatype varchar(1),
    CONSTRAINT pk_pay_empgcallowance PRIMARY KEY (egcacompanyid, egcagcid, egcadetailid)
);

-- deduction lines of a job change (type O kept, N added, R removed)
CREATE TABLE pay_empgcdeductions (
    egcdcompanyid integer NOT NULL,
    egcdgcid integer NOT NULL,
    egcddetailid integer NOT NULL,
    egcddeductionid integer,
    egcdoldamount double precision,
    egcdrevamount double precision,
    egcdtype varchar(1),
    CONSTRAINT pk_pay_empgcdeductions PRIMARY KEY (egcdcompanyid, egcdgcid, egcddetailid)
);

-- employee master
CREATE TABLE pay_employee (
    eCompanyID integer NOT NULL,
    eEmpID integer NOT NULL,
    eempno varchar(20),
    eName varchar(100),
    eDesigID integer,
    eGradeID integer,
    eBasic double precision,
    ecurrencyid integer,
    eActive integer DEFAULT 1,
    CONSTRAINT pk_pay_employee PRIMARY KEY (eCompanyID, eEmpID)
);

-- standing allowances of an employee
CREATE TABLE pay_empallowances (
    eacompanyid integer NOT NULL,
    eaempid integer NOT NULL,
    eadetailid integer NOT NULL,
    eaallowanceid integer,
    eaamount double precision,
    CONSTRAINT pk_pay_empallowances PRIMARY KEY (eacompanyid, eaempid, eadetailid)
);

-- standing deductions of an employee
CREATE TABLE pay_empdeductions (
    edcompanyid integer NOT NULL,
    edempid integer NOT NULL,
    eddetailid integer NOT NULL,
    eddeductionid integer,
    edamount double precision,
    CONSTRAINT pk_pay_empdeductions PRIMARY KEY (edcompanyid, edempid, eddetailid)
);

-- grades
CREATE TABLE pay_grades (
    gID integer NOT NULL,
    gCompanyid integer NOT NULL,
    gDescription varchar(100),
    CONSTRAINT pk_pay_grades PRIMARY KEY (gCompanyid, gID)
);

-- designations (jobs), each of one grade
CREATE TABLE pay_designation (
    dDesigID integer NOT NULL,
    dCompanyID integer NOT NULL,
    dGradeID integer,
    dDescription varchar(100),
    dactive integer DEFAULT 1,
    CONSTRAINT pk_pay_designation PRIMARY KEY (dCompanyID, dDesigID)
);

-- allowance types
CREATE TABLE pay_allowances (
    aAllowanceID integer NOT NULL,
    aCompanyID integer NOT NULL,
    aDescription varchar(100),
    aCurrencyID integer,
    aActive integer DEFAULT 1,
    CONSTRAINT pk_pay_allowances PRIMARY KEY (aCompanyID, aAllowanceID)
);

-- deduction types
CREATE TABLE pay_deductions (
    dDedID integer NOT NULL,
    dCompanyID integer NOT NULL,
    dDescription varchar(100),
    dCurrencyID integer,
    dActive integer DEFAULT 1,
    CONSTRAINT pk_pay_deductions PRIMARY KEY (dCompanyID, dDedID)
);

-- currencies
CREATE TABLE pay_currencymaster (
    CompanyID integer NOT NULL,
    CurrencyID integer NOT NULL,
    CurrencyName varchar(50),
    symbol varchar(10),
    CONSTRAINT pk_pay_currencymaster PRIMARY KEY (CompanyID, CurrencyID)
);

-- document number prefixes per company and interface
CREATE TABLE pay_prefix (
    CompanyID integer NOT NULL,
    InterfaceID integer NOT NULL,
    Prefix varchar(10),
    CONSTRAINT pk_pay_prefix PRIMARY KEY (CompanyID, InterfaceID)
);

-- company settings
CREATE TABLE pay_settings (
    companyID integer NOT NULL,
    NoOfPreviousDays integer,
    CONSTRAINT pk_pay_settings PRIMARY KEY (companyID)
);

-- users
CREATE TABLE pay_users (
    companyid integer NOT NULL,
    userid integer NOT NULL,
    username varchar(50),
    CONSTRAINT pk_pay_users PRIMARY KEY (companyid, userid)
);

-- function rights letters per user and interface
-- No unique key: the module reads the rows it finds and copes with repeated ones.
CREATE TABLE pay_userrights (
    userid integer NOT NULL,
    interfaceid integer NOT NULL,
    functionrights varchar(50)
);
CREATE INDEX ix_pay_userrights_user ON pay_userrights (userid, interfaceid);

-- table catalogue (column titles of registers)
CREATE TABLE pay_tables (
    tableid integer NOT NULL,
    tablename varchar(128),
    CONSTRAINT pk_pay_tables PRIMARY KEY (tableid),
    CONSTRAINT uq_pay_tables_tablename UNIQUE (tablename)
);

-- column catalogue: titles in ColumnID order
CREATE TABLE pay_tablecolumns (
    tableid integer NOT NULL,
    ColumnID integer NOT NULL,
    columnheader varchar(100),
    columnname varchar(100),
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
