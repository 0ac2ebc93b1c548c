-- The local file's triggers for run_sums. An operation sent twice is
-- ignored by its key and fires nothing.
CREATE TRIGGER IF NOT EXISTS run_sums_add AFTER INSERT ON operations
BEGIN
  INSERT INTO run_sums (run_id, operations, right_answers, seconds)
    VALUES (NEW.run_id, 1, CASE WHEN NEW.help = '' THEN 1 ELSE 0 END, NEW.seconds)
    ON CONFLICT (run_id) DO UPDATE SET operations = operations + 1,
      right_answers = right_answers + excluded.right_answers, seconds = seconds + excluded.seconds;
END;

-- A run that goes (erased, or too old) takes its sums with it.
CREATE TRIGGER IF NOT EXISTS run_sums_remove AFTER DELETE ON runs
BEGIN
  DELETE FROM run_sums WHERE run_id = OLD.id;
END;
