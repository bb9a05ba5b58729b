-- The audit trail of the job-change module: Transact-SQL (SQL Server). Add it to an existing
-- payroll database with your SQL Server tool, then quorvel-host --upgrade-schema writes the
-- baseline; running it again changes nothing.
-- One row per write, in the write's transaction: who, where, when, what before and after (as
-- canonical JSON), and a hash chained to the company's previous row (auSeq 1, 2, ...).
IF OBJECT_ID('pay_audittrail') IS NULL CREATE TABLE pay_audittrail (
    auCompanyID int NOT NULL,
    auSeq int NOT NULL,
    auTime varchar(30) NOT NULL,
    auUserID int NOT NULL,
    auUserName nvarchar(50),
    auComputer nvarchar(255),
    auOsUser nvarchar(255),
    auAction varchar(30) NOT NULL,
    auJobChangeID int,
    auJobChangeNo nvarchar(30),
    auEmpID int,
    auBefore nvarchar(max),
    auAfter nvarchar(max),
    auRemark nvarchar(max),
    auPrevHash varchar(64) NOT NULL,
    auHash varchar(64) NOT NULL,
    CONSTRAINT pk_pay_audittrail PRIMARY KEY (auCompanyID, auSeq)
);
-- an employee's audit rows, newest first: the history window's Changes tab
IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = 'ix_pay_audittrail_emp') CREATE INDEX ix_pay_audittrail_emp ON pay_audittrail (auCompanyID, auEmpID, auSeq);
INSERT INTO linktable (tablename, linktablename) SELECT 'paudittrail', 'pay_audittrail' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'paudittrail');
