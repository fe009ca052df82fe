-- The group database as it ships. Readers take columns by position from
-- "Select *", so the column order is part of the format.
CREATE TABLE tbl_Groups (
  colName TEXT,
  colPlace0 TEXT,
  colPlace1 TEXT,
  colPlace2 TEXT,
  colPlace3 TEXT,
  colPlace4 TEXT
);
CREATE TABLE tbl_Update (
  colFile TEXT,
  colVersion TEXT
);
