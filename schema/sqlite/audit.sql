-- The audit trail of the job-change module: SQLite. Added to an existing payroll database by
-- quorvel-host --upgrade-schema; running it again changes nothing.
-- One row per write, in the write's transaction: who, where, when, what before and after (as
-- canonical JSON), and a hash chained to the company's previous row (auSeq 1, 2, ...).
CREATE TABLE IF NOT EXISTS pay_audittrail (
    auCompanyID INTEGER NOT NULL,
    auSeq INTEGER NOT NULL,
    auTime TEXT NOT NULL,
    auUserID INTEGER NOT NULL,
    auUserName TEXT,
    auComputer TEXT,
    auOsUser TEXT,
    auAction TEXT NOT NULL,
    auJobChangeID INTEGER,
    auJobChangeNo TEXT,
    auEmpID INTEGER,
    auBefore TEXT,
    auAfter TEXT,
    auRemark TEXT,
    auPrevHash TEXT NOT NULL,
    auHash TEXT NOT NULL,
    CONSTRAINT pk_pay_audittrail PRIMARY KEY (auCompanyID, auSeq)
);
-- an employee's audit rows, newest first: the history window's Changes tab
CREATE INDEX IF NOT EXISTS ix_pay_audittrail_emp ON pay_audittrail (auCompanyID, auEmpID, auSeq);
INSERT INTO linktable (tablename, linktablename) SELECT 'paudittrail', 'pay_audittrail' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'paudittrail');
