-- The journal's tables, the same in the local SQLite file and on a school's
-- PostgreSQL server. Every key is made on the machine that writes the row,
-- and the pupils' machines only ever insert, so a row sent twice is ignored.
-- Portable types only: TEXT, INTEGER, BIGINT, 0/1 integers for booleans.

-- A practice run, written when its first operation is posed.
CREATE TABLE IF NOT EXISTS runs (
  id             TEXT PRIMARY KEY,
  copy           TEXT NOT NULL,
  os_user        TEXT NOT NULL,
  machine        TEXT NOT NULL,
  objective      INTEGER NOT NULL,
  objective_text TEXT NOT NULL,
  level          INTEGER NOT NULL,
  level_text     TEXT NOT NULL,
  started_at     TEXT NOT NULL,
  started_ms     BIGINT NOT NULL
);

-- One operation of a run, written when it is closed.
CREATE TABLE IF NOT EXISTS operations (
  run_id         TEXT NOT NULL,
  place          INTEGER NOT NULL,
  kind           INTEGER NOT NULL,
  operand1       INTEGER NOT NULL,
  operand2       INTEGER NOT NULL,
  variant        INTEGER NOT NULL,
  expected       TEXT NOT NULL,
  wrong_attempts TEXT NOT NULL,
  help           TEXT NOT NULL,
  seconds        INTEGER NOT NULL,
  record_line    TEXT NOT NULL,
  done_at        TEXT NOT NULL,
  done_ms        BIGINT NOT NULL,
  PRIMARY KEY (run_id, place)
);

-- The end of a run, finished or left halfway. A run without one was cut off.
CREATE TABLE IF NOT EXISTS run_ends (
  run_id         TEXT PRIMARY KEY,
  ended_at       TEXT NOT NULL,
  ended_ms       BIGINT NOT NULL,
  right_answers  INTEGER NOT NULL,
  wrong_answers  INTEGER NOT NULL,
  total_seconds  INTEGER NOT NULL,
  finished       INTEGER NOT NULL,
  grade          TEXT NOT NULL
);

-- The pupil's name as typed for a run; the latest row wins.
CREATE TABLE IF NOT EXISTS pupil_names (
  id             TEXT PRIMARY KEY,
  run_id         TEXT NOT NULL,
  pupil          TEXT NOT NULL,
  named_at       TEXT NOT NULL,
  named_ms       BIGINT NOT NULL
);

-- A printed worksheet; the sheets of one print job share job_id.
CREATE TABLE IF NOT EXISTS sheets (
  id             TEXT PRIMARY KEY,
  job_id         TEXT NOT NULL,
  copy           TEXT NOT NULL,
  os_user        TEXT NOT NULL,
  machine        TEXT NOT NULL,
  printed_at     TEXT NOT NULL,
  printed_ms     BIGINT NOT NULL,
  version        TEXT NOT NULL,
  kind           INTEGER NOT NULL,
  objective      INTEGER NOT NULL,
  objective_text TEXT NOT NULL,
  level          INTEGER NOT NULL,
  level_text     TEXT NOT NULL,
  sheet_number   INTEGER NOT NULL,
  sheet_count    INTEGER NOT NULL,
  pupil_lines    TEXT NOT NULL,
  teacher_lines  TEXT NOT NULL
);

CREATE INDEX IF NOT EXISTS runs_started_ms ON runs (started_ms);
CREATE INDEX IF NOT EXISTS runs_copy ON runs (copy);
CREATE INDEX IF NOT EXISTS pupil_names_run_id ON pupil_names (run_id);
CREATE INDEX IF NOT EXISTS pupil_names_pupil ON pupil_names (pupil);
CREATE INDEX IF NOT EXISTS sheets_printed_ms ON sheets (printed_ms);
