-- Bulk batches proposed for a second user's approval, and the company setting that asks for it:
-- PostgreSQL. Run again, it changes nothing.

-- the module's own settings per company (the host's settings table is the installation's to shape)
CREATE TABLE IF NOT EXISTS pay_jobchangesettings (
    jsCompanyID integer NOT NULL,
    jsBulkApproval integer NOT NULL DEFAULT 0,
    CONSTRAINT pk_pay_jobchangesettings PRIMARY KEY (jsCompanyID)
);

-- a bulk batch: P pending, A approved, R rejected; who proposed and who decided
CREATE TABLE IF NOT EXISTS pay_bulkbatch (
    bbCompanyID integer NOT NULL,
    bbBatchID integer NOT NULL,
    bbStatus varchar(1) NOT NULL,
    bbJobDate date,
    bbRemarks text,
    bbRules text,
    bbRows integer,
    bbProposedBy integer NOT NULL,
    bbProposedOn varchar(19),
    bbDecidedBy integer,
    bbDecidedOn varchar(19),
    bbReason text,
    CONSTRAINT pk_pay_bulkbatch PRIMARY KEY (bbCompanyID, bbBatchID)
);
CREATE INDEX IF NOT EXISTS ix_pay_bulkbatch_status ON pay_bulkbatch (bbCompanyID, bbStatus);

-- one employee of a batch: the values the preview was computed from, the new ones, and what the approval did
CREATE TABLE IF NOT EXISTS pay_bulkbatchrows (
    bbrCompanyID integer NOT NULL,
    bbrBatchID integer NOT NULL,
    bbrRowNo integer NOT NULL,
    bbrEmpID integer NOT NULL,
    bbrOldDesigID integer,
    bbrOldGradeID integer,
    bbrOldBasic double precision,
    bbrNewDesigID integer,
    bbrNewBasic double precision,
    bbrRemarks text,
    bbrApplied integer DEFAULT 0,
    bbrJobChangeID integer,
    CONSTRAINT pk_pay_bulkbatchrows PRIMARY KEY (bbrCompanyID, bbrBatchID, bbrRowNo)
);
CREATE INDEX IF NOT EXISTS ix_pay_bulkbatchrows_emp ON pay_bulkbatchrows (bbrCompanyID, bbrEmpID);

-- a row's allowance (kind 0) and deduction (kind 1) lines in list order: O kept, R removed, N added;
-- the O and R lines' old amounts are the employee's standing lines as the preview found them
CREATE TABLE IF NOT EXISTS pay_bulkbatchlines (
    bblCompanyID integer NOT NULL,
    bblBatchID integer NOT NULL,
    bblRowNo integer NOT NULL,
    bblKind integer NOT NULL,
    bblLineNo integer NOT NULL,
    bblTypeID integer NOT NULL,
    bblLetter varchar(1) NOT NULL,
    bblOldAmount double precision,
    bblRevAmount double precision,
    CONSTRAINT pk_pay_bulkbatchlines PRIMARY KEY (bblCompanyID, bblBatchID, bblRowNo, bblKind, bblLineNo)
);

-- Their logical names, each added once.
INSERT INTO linktable (tablename, linktablename) SELECT 'pJobChangeSettings', 'pay_jobchangesettings' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pJobChangeSettings');
INSERT INTO linktable (tablename, linktablename) SELECT 'pBulkBatch', 'pay_bulkbatch' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pBulkBatch');
INSERT INTO linktable (tablename, linktablename) SELECT 'pBulkBatchRows', 'pay_bulkbatchrows' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pBulkBatchRows');
INSERT INTO linktable (tablename, linktablename) SELECT 'pBulkBatchLines', 'pay_bulkbatchlines' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pBulkBatchLines');
