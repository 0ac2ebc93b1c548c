-- Indexes for the teacher's window over a journal of a million runs, the
-- same in the local file and on the school's server: every question it asks
-- is answered from an index, without reading the tables' rows.

-- The table's pages, newest first, and those of one copy; the ids break
-- ties between runs that started together.
DROP INDEX IF EXISTS runs_started_ms;
CREATE INDEX IF NOT EXISTS runs_started_ms ON runs (started_ms, id);
DROP INDEX IF EXISTS runs_copy;
CREATE INDEX IF NOT EXISTS runs_copy ON runs (copy, started_ms, id);

-- A run's latest name, and a pupil's names with what says whether a later
-- name replaced them.
DROP INDEX IF EXISTS pupil_names_run_id;
CREATE INDEX IF NOT EXISTS pupil_names_run_id ON pupil_names (run_id, named_ms, id);
DROP INDEX IF EXISTS pupil_names_pupil;
CREATE INDEX IF NOT EXISTS pupil_names_pupil ON pupil_names (pupil, run_id, named_ms, id);

-- A pupil's chart and most missed operations: what they add up of a run's
-- operations, read from the index alone.
CREATE INDEX IF NOT EXISTS operations_facts ON operations (run_id, help, seconds, kind, operand1, operand2, wrong_attempts);
