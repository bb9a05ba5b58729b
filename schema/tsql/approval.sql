-- Bulk batches proposed for a second user's approval, and the company setting that asks for it:
-- Transact-SQL (SQL Server). Run again, it changes nothing.

-- the module's own settings per company (the host's settings table is the installation's to shape)
IF OBJECT_ID(N'pay_jobchangesettings', N'U') IS NULL
CREATE TABLE pay_jobchangesettings (
    jsCompanyID int NOT NULL,
    jsBulkApproval int NOT NULL DEFAULT 0,
    CONSTRAINT pk_pay_jobchangesettings PRIMARY KEY (jsCompanyID)
);

-- a bulk batch: P pending, A approved, R rejected; who proposed and who decided
IF OBJECT_ID(N'pay_bulkbatch', N'U') IS NULL
CREATE TABLE pay_bulkbatch (
    bbCompanyID int NOT NULL,
    bbBatchID int NOT NULL,
    bbStatus nvarchar(1) NOT NULL,
    bbJobDate datetime,
    bbRemarks nvarchar(max),
    bbRules nvarchar(max),
    bbRows int,
    bbProposedBy int NOT NULL,
    bbProposedOn nvarchar(19),
    bbDecidedBy int,
    bbDecidedOn nvarchar(19),
    bbReason nvarchar(max),
    CONSTRAINT pk_pay_bulkbatch PRIMARY KEY (bbCompanyID, bbBatchID)
);
IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = N'ix_pay_bulkbatch_status')
CREATE INDEX ix_pay_bulkbatch_status ON pay_bulkbatch (bbCompanyID, bbStatus);

-- one employee of a batch: the values the preview was computed from, the new ones, and what the approval did
IF OBJECT_ID(N'pay_bulkbatchrows', N'U') IS NULL
CREATE TABLE pay_bulkbatchrows (
    bbrCompanyID int NOT NULL,
    bbrBatchID int NOT NULL,
    bbrRowNo int NOT NULL,
    bbrEmpID int NOT NULL,
    bbrOldDesigID int,
    bbrOldGradeID int,
    bbrOldBasic float,
    bbrNewDesigID int,
    bbrNewBasic float,
    bbrRemarks nvarchar(max),
    bbrApplied int DEFAULT 0,
    bbrJobChangeID int,
    CONSTRAINT pk_pay_bulkbatchrows PRIMARY KEY (bbrCompanyID, bbrBatchID, bbrRowNo)
);
IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = N'ix_pay_bulkbatchrows_emp')
CREATE INDEX ix_pay_bulkbatchrows_emp ON pay_bulkbatchrows (bbrCompanyID, bbrEmpID);

-- a row's allowance (kind 0) and deduction (kind 1) lines in list order: O kept, R removed, N added;
-- the O and R lines' old amounts are the employee's standing lines as the preview found them
IF OBJECT_ID(N'pay_bulkbatchlines', N'U') IS NULL
CREATE TABLE pay_bulkbatchlines (
    bblCompanyID int NOT NULL,
    bblBatchID int NOT NULL,
    bblRowNo int NOT NULL,
    bblKind int NOT NULL,
    bblLineNo int NOT NULL,
    bblTypeID int NOT NULL,
    bblLetter nvarchar(1) NOT NULL,
    bblOldAmount float,
    bblRevAmount float,
    CONSTRAINT pk_pay_bulkbatchlines PRIMARY KEY (bblCompanyID, bblBatchID, bblRowNo, bblKind, bblLineNo)
);

-- Their logical names, each added once.
INSERT INTO linktable (tablename, linktablename) SELECT 'pJobChangeSettings', 'pay_jobchangesettings' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pJobChangeSettings');
INSERT INTO linktable (tablename, linktablename) SELECT 'pBulkBatch', 'pay_bulkbatch' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pBulkBatch');
INSERT INTO linktable (tablename, linktablename) SELECT 'pBulkBatchRows', 'pay_bulkbatchrows' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pBulkBatchRows');
INSERT INTO linktable (tablename, linktablename) SELECT 'pBulkBatchLines', 'pay_bulkbatchlines' WHERE NOT EXISTS (SELECT 1 FROM linktable WHERE tablename = 'pBulkBatchLines');
