-- Payroll database tables used by the job-change module: SQLite.
-- One statement per line or per group of lines, each ending with a semicolon at the end of a line.
-- Dates are stored as text in the form yyyy-mm-dd, so they compare and sort as dates.
-- Amounts are REAL: 1500.50 is stored and read back as 1500.5.
-- Every table except linktable is known to the module by a logical name and is
-- created here under its physical name. linktable (filled at the end) maps one to the other.

-- table-name map: logical name (as the module spells it) to the physical table
-- No unique key: the module reads the rows it finds and copes with repeated ones.
-- Logical names match without regard to case, as on the users' servers.
CREATE TABLE linktable (
    tablename TEXT COLLATE NOCASE NOT NULL,
    linktablename TEXT
);
CREATE INDEX ix_linktable_tablename ON linktable (tablename);

-- job change headers
CREATE TABLE pay_employeegradechange (
    egcId INTEGER NOT NULL,
    egcCompanyID INTEGER NOT NULL,
    egcNo TEXT,
    egcDate TEXT,
    egcEmpID INTEGER NOT NULL,
    egcOldDesigID INTEGER,
    egcOldGradeID INTEGER,
    egcOldBasic REAL,
    egcNewDesigID INTEGER,
    egcNewGradeID INTEGER,
    egcNewBasic REAL,
    egcremarks TEXT,
    egcCancelled INTEGER DEFAULT 0,
    egcCancelledRemarks TEXT,
    CONSTRAINT pk_pay_employeegradechange PRIMARY KEY (egcCompanyID, egcId),
    CONSTRAINT uq_pay_employeegradechange_egccompanyid_egcno UNIQUE (egcCompanyID, egcNo)
);
-- its indexes are in indexes.sql, which also adds them to an installation's own table

-- allowance lines of a job change (type O kept, N added, R removed)
CREATE TABLE pay_empgcallowance (
    egcacompanyid INTEGER NOT NULL,
    egcagcid INTEGER NOT NULL,
    egcadetailid INTEGER NOT NULL,
    egcaallowanceid INTEGER,
    egcaoldamount REAL,
    egcarevamount REAL,
    egcatype TEXT,
    CONSTRAINT pk_pay_empgcallowance PRIMARY KEY (egcacompanyid, egcagcid, egcadetailid)
);

-- deduction lines of a job change (type O kept, N added, R removed)
CREATE TABLE pay_empgcdeductions (
    egcdcompanyid INTEGER NOT NULL,
    egcdgcid INTEGER NOT NULL,
    egcddetailid INTEGER NOT NULL,
    egcddeductionid INTEGER,
    egcdoldamount REAL,
    egcdrevamount REAL,
    egcdtype TEXT,
    CONSTRAINT pk_pay_empgcdeductions PRIMARY KEY (egcdcompanyid, egcdgcid, egcddetailid)
);

-- employee master
CREATE TABLE pay_employee (
    eCompanyID INTEGER NOT NULL,
    eEmpID INTEGER NOT NULL,
    eempno TEXT,
    eName TEXT,
    eDesigID INTEGER,
    eGradeID INTEGER,
    eBasic REAL,
    ecurrencyid INTEGER,
    eActive INTEGER DEFAULT 1,
    CONSTRAINT pk_pay_employee PRIMARY KEY (eCompanyID, eEmpID)
);

-- standing allowances of an employee
CREATE TABLE pay_empallowances (
    eacompanyid INTEGER NOT NULL,
    eaempid INTEGER NOT NULL,
    eadetailid INTEGER NOT NULL,
    eaallowanceid INTEGER,
    eaamount REAL,
    CONSTRAINT pk_pay_empallowances PRIMARY KEY (eacompanyid, eaempid, eadetailid)
);

-- standing deductions of an employee
CREATE TABLE pay_empdeductions (
    edcompanyid INTEGER NOT NULL,
    edempid INTEGER NOT NULL,
    eddetailid INTEGER NOT NULL,
    eddeductionid INTEGER,
    edamount REAL,
    CONSTRAINT pk_pay_empdeductions PRIMARY KEY (edcompanyid, edempid, eddetailid)
);

-- grades
CREATE TABLE pay_grades (
    gID INTEGER NOT NULL,
    gCompanyid INTEGER NOT NULL,
    gDescription TEXT,
    CONSTRAINT pk_pay_grades PRIMARY KEY (gCompanyid, gID)
);

-- designations (jobs), each of one grade
CREATE TABLE pay_designation (
    dDesigID INTEGER NOT NULL,
    dCompanyID INTEGER NOT NULL,
    dGradeID INTEGER,
    dDescription TEXT,
    dactive INTEGER DEFAULT 1,
    CONSTRAINT pk_pay_designation PRIMARY KEY (dCompanyID, dDesigID)
);

-- allowance types
CREATE TABLE pay_allowances (
    aAllowanceID INTEGER NOT NULL,
    aCompanyID INTEGER NOT NULL,
    aDescription TEXT,
    aCurrencyID INTEGER,
    aActive INTEGER DEFAULT 1,
    CONSTRAINT pk_pay_allowances PRIMARY KEY (aCompanyID, aAllowanceID)
);

-- deduction types
CREATE TABLE pay_deductions (
    dDedID INTEGER NOT NULL,
    dCompanyID INTEGER NOT NULL,
    dDescription TEXT,
    dCurrencyID INTEGER,
    dActive INTEGER DEFAULT 1,
    CONSTRAINT pk_pay_deductions PRIMARY KEY (dCompanyID, dDedID)
);

-- currencies
CREATE TABLE pay_currencymaster (
    CompanyID INTEGER NOT NULL,
    CurrencyID INTEGER NOT NULL,
    CurrencyName TEXT,
    symbol TEXT,
    CONSTRAINT pk_pay_currencymaster PRIMARY KEY (CompanyID, CurrencyID)
);

-- document number prefixes per company and interface
CREATE TABLE pay_prefix (
    CompanyID INTEGER NOT NULL,
    InterfaceID INTEGER NOT NULL,
    Prefix TEXT,
    CONSTRAINT pk_pay_prefix PRIMARY KEY (CompanyID, InterfaceID)
);

-- company settings
CREATE TABLE pay_settings (
    companyID INTEGER NOT NULL,
    NoOfPreviousDays INTEGER,
    CONSTRAINT pk_pay_settings PRIMARY KEY (companyID)
);

-- users
CREATE TABLE pay_users (
    companyid INTEGER NOT NULL,
    userid INTEGER NOT NULL,
    username TEXT,
    CONSTRAINT pk_pay_users PRIMARY KEY (companyid, userid)
);

-- function rights letters per user and interface
-- No unique key: the module reads the rows it finds and copes with repeated ones.
CREATE TABLE pay_userrights (
    userid INTEGER NOT NULL,
    interfaceid INTEGER NOT NULL,
    functionrights TEXT
);
CREATE INDEX ix_pay_userrights_user ON pay_userrights (userid, interfaceid);

-- table catalogue (column titles of registers)
CREATE TABLE pay_tables (
    tableid INTEGER NOT NULL,
    tablename TEXT,
    CONSTRAINT pk_pay_tables PRIMARY KEY (tableid),
    CONSTRAINT uq_pay_tables_tablename UNIQUE (tablename)
);

-- column catalogue: titles in ColumnID order
CREATE TABLE pay_tablecolumns (
    tableid INTEGER NOT NULL,
    ColumnID INTEGER NOT NULL,
    columnheader TEXT,
    columnname TEXT,
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
