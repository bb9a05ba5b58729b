-- The audit trail of the job-change module: PostgreSQL. Added to an existing payroll database by
-- quorvel-host --upgrade-schema (or psql -f); running it again changes nothing.
-- One row per write, in the write's transaction: who, where, when, what before and after (as
-- canonical JSON), and a hash chained to the company's previous row (auSeq 1, 2, ...).
CREATE TABLE IF NOT EXISTS pay_audittrail (
    auCompanyID integer NOT NULL,
    auSeq integer NOT NULL,
    auTime varchar(30) NOT NULL,
    auUserID integer NOT NULL,
    auUserName varchar(50),
    auComputer varchar(255),
    auOsUser varchar(255),
    auAction varchar(30) NOT NULL,
    auJobChangeID integer,
    auJobChangeNo varchar(30),
    auEmpID integer,
    auBefore text,
    auAfter text,
    auRemark text,
    auPrevHash varchar(64) NOT NULL,
    auHash varchar(64) NOT NULL,
    CONSTRAINT pk_pay_audittrail PRIMARY KEY (auCompanyID, auSeq)
);
-- an employee's audit rows, newest first: the history window's Changes tab
CREATE INDEX IF NOT EXISTS ix_pay_audittrail_emp ON pay_audittrail (auCompanyID, auEmpID, auSeq);
INSERT INTO linktable (tablename, linktablename) SELECT 'paudittrail', 'pay_audittrail' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'paudittrail');
-- Rows are only ever added: the server itself refuses to change or remove one, whoever asks.
CREATE OR REPLACE FUNCTION pay_audittrail_append_only() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN RAISE EXCEPTION 'the audit trail only takes new rows: % refused', TG_OP; END
$$;
DROP TRIGGER IF EXISTS pay_audittrail_no_change ON pay_audittrail;
CREATE TRIGGER pay_audittrail_no_change BEFORE UPDATE OR DELETE ON pay_audittrail FOR EACH ROW EXECUTE FUNCTION pay_audittrail_append_only();
DROP TRIGGER IF EXISTS pay_audittrail_no_truncate ON pay_audittrail;
CREATE TRIGGER pay_audittrail_no_truncate BEFORE TRUNCATE ON pay_audittrail FOR EACH STATEMENT EXECUTE FUNCTION pay_audittrail_append_only();
