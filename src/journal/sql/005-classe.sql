-- The class at a glance sums a class's runs of some days: each pupil's runs
-- by day, and the operations a pupil got wrong, which are few. Both indexes
-- hold every column those sums read, so the tables themselves are not read.

CREATE INDEX IF NOT EXISTS runs_pupil_started ON runs (pupil_id, started_ms, id);
-- runs_pupil_id is the first column of it, and goes.
DROP INDEX IF EXISTS runs_pupil_id;
CREATE INDEX IF NOT EXISTS operations_missed ON operations (run_id, kind, operand1, operand2, wrong_attempts)
  WHERE wrong_attempts <> '';
