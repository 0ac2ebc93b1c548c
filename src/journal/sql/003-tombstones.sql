-- What the journal keeps about erasing pupils and about what was done with
-- their data, the same in the local file and on the school's server.

-- A pupil erased ("Elimina alunno"): every machine removes the runs whose
-- pupil is this name from its own file at its next sync, so the pupils'
-- roles may read this table (and nothing else).
CREATE TABLE IF NOT EXISTS tombstones (
  id             TEXT PRIMARY KEY,
  pupil          TEXT NOT NULL,
  erased_at      TEXT NOT NULL,
  erased_ms      BIGINT NOT NULL,
  erased_by      TEXT NOT NULL
);

-- Each export of a pupil's data, each erasure and each removal of old runs:
-- action is esportazione, cancellazione or conservazione; pupil is empty for
-- a removal of old runs; runs is how many runs it concerned.
CREATE TABLE IF NOT EXISTS journal_audit (
  id             TEXT PRIMARY KEY,
  action         TEXT NOT NULL,
  pupil          TEXT NOT NULL,
  runs           INTEGER NOT NULL,
  done_at        TEXT NOT NULL,
  done_ms        BIGINT NOT NULL,
  done_by        TEXT NOT NULL
);

CREATE INDEX IF NOT EXISTS tombstones_erased_ms ON tombstones (erased_ms);
