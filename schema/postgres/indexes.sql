-- The job change table's indexes: PostgreSQL.
-- The module's indexes on the installation's job change table, which exists before the module
-- does: its reads depend on them for speed on a large register. {pEmployeegradeChange} stands
-- for the table's physical name as linktable gives it, {pEmployeegradeChange.bare} for that name
-- without its schema prefix. Each statement changes nothing when run again.
-- An index of equal columns under another name is not noticed: the table gets a second one.

-- an employee's job changes in date order: later ones, the history; with the id and the
-- cancellation, the history check finds each employee's deciding job change in the index alone
CREATE INDEX IF NOT EXISTS ix_{pEmployeegradeChange.bare}_emp ON {pEmployeegradeChange} (egcCompanyID, egcEmpID, egcDate, egcId, egcCancelled);
-- an employee's later job changes by id, which the edit and the cancellation look for
CREATE INDEX IF NOT EXISTS ix_{pEmployeegradeChange.bare}_later ON {pEmployeegradeChange} (egcCompanyID, egcEmpID, egcId);
-- the numbers of a company by length, then text: the next number reads a few entries
CREATE INDEX IF NOT EXISTS ix_{pEmployeegradeChange.bare}_no ON {pEmployeegradeChange} (egcCompanyID, length(egcNo), upper(egcNo) COLLATE "C");
-- the register's order, either way: its newest rows are read first without sorting them all
CREATE INDEX IF NOT EXISTS ix_{pEmployeegradeChange.bare}_register ON {pEmployeegradeChange} (egcCompanyID, egcDate, length(egcNo), egcNo, egcId);
