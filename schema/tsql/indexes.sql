-- The job change table's indexes: Transact-SQL (SQL Server).
-- The module's indexes on the installation's job change table, which exists before the module
-- does: its reads depend on them for speed on a large register. {pEmployeegradeChange} stands
-- for the table's physical name as linktable gives it, {pEmployeegradeChange.bare} for that name
-- without its schema prefix. Each statement changes nothing when run again.
-- An index of equal columns under another name is not noticed: the table gets a second one.

-- an employee's job changes in date order: later ones, the history; with the id and the
-- cancellation, the history check finds each employee's deciding job change in the index alone
IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = 'ix_{pEmployeegradeChange.bare}_emp' AND object_id = OBJECT_ID('{pEmployeegradeChange}')) CREATE INDEX ix_{pEmployeegradeChange.bare}_emp ON {pEmployeegradeChange} (egcCompanyID, egcEmpID, egcDate, egcId, egcCancelled);
-- an employee's later job changes by id, which the edit and the cancellation look for
IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = 'ix_{pEmployeegradeChange.bare}_later' AND object_id = OBJECT_ID('{pEmployeegradeChange}')) CREATE INDEX ix_{pEmployeegradeChange.bare}_later ON {pEmployeegradeChange} (egcCompanyID, egcEmpID, egcId);
-- SQLite and PostgreSQL also index the numbers by length, then text, and the register's order;
-- SQL Server indexes no expression, so its numbering reads the series, and the register (whose
-- order begins with the date, then the number's length) is sorted on reading.
