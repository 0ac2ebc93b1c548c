-- The local file's run_sums: kept in the order of its key, so that a run's
-- sums are one lookup.
CREATE TABLE IF NOT EXISTS run_sums (
  run_id         TEXT PRIMARY KEY,
  started_ms     BIGINT NOT NULL,
  copy           TEXT NOT NULL,
  operations     INTEGER NOT NULL,
  right_answers  INTEGER NOT NULL,
  seconds        BIGINT NOT NULL
) WITHOUT ROWID;

-- An operation sent twice is ignored by its key and fires nothing; one whose
-- run is not in the file adds no sums.
CREATE TRIGGER IF NOT EXISTS run_sums_add AFTER INSERT ON operations
BEGIN
  INSERT INTO run_sums (run_id, started_ms, copy, operations, right_answers, seconds)
    SELECT NEW.run_id, r.started_ms, r.copy, 1, CASE WHEN NEW.help = '' THEN 1 ELSE 0 END, NEW.seconds
    FROM runs r WHERE r.id = NEW.run_id
    ON CONFLICT (run_id) DO UPDATE SET operations = operations + 1,
      right_answers = right_answers + excluded.right_answers, seconds = seconds + excluded.seconds;
END;

-- A run that goes (erased, or too old) takes its sums with it.
CREATE TRIGGER IF NOT EXISTS run_sums_remove AFTER DELETE ON runs
BEGIN
  DELETE FROM run_sums WHERE run_id = OLD.id;
END;
