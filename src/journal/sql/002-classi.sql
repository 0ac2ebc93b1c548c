-- Class lists. The teacher makes them; the pupils' machines only read them,
-- to let a pupil say who they are. Nothing here is ever deleted: a pupil
-- moved out of the list keeps the id their runs carry, and a row changed
-- says when, so that a copy taken from the server can be brought up to date.

-- A class, "3A".
CREATE TABLE IF NOT EXISTS classes (
  id          TEXT PRIMARY KEY,
  name        TEXT NOT NULL,
  changed_ms  BIGINT NOT NULL
);

-- A pupil of a class; in_list is 0 once the pupil was moved out of it.
CREATE TABLE IF NOT EXISTS class_pupils (
  id          TEXT PRIMARY KEY,
  class_id    TEXT NOT NULL,
  name        TEXT NOT NULL,
  in_list     INTEGER NOT NULL,
  changed_ms  BIGINT NOT NULL
);

-- The pupil who said who they were in "Chi sei?"; '' when nobody did.
ALTER TABLE runs ADD COLUMN pupil_id TEXT NOT NULL DEFAULT '';

CREATE INDEX IF NOT EXISTS class_pupils_class_id ON class_pupils (class_id);
CREATE INDEX IF NOT EXISTS runs_pupil_id ON runs (pupil_id);
