-- The server's run_sums. Its key holds every column the chart reads, so a
-- run's sums are read from the index alone.
CREATE TABLE IF NOT EXISTS run_sums (
  run_id         TEXT NOT NULL,
  started_ms     BIGINT NOT NULL,
  copy           TEXT NOT NULL,
  operations     INTEGER NOT NULL,
  right_answers  INTEGER NOT NULL,
  seconds        BIGINT NOT NULL,
  PRIMARY KEY (run_id) INCLUDE (started_ms, copy, operations, right_answers, seconds)
);

-- The triggers run as this script's superuser: the machines' roles insert
-- operations, and may neither read nor write the sums. Creating the first
-- one locks the operations until the sums of those already there are added
-- (the shared file, after this one). One pass a statement: a machine sends
-- many rows in one INSERT, and rows already there (sent twice) or dropped
-- as orphans are not among those added.
CREATE OR REPLACE FUNCTION registro_run_sums_add() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$ BEGIN
        INSERT INTO run_sums (run_id, started_ms, copy, operations, right_answers, seconds)
            SELECT a.run_id, r.started_ms, r.copy, count(*), count(*) FILTER (WHERE a.help = ''), sum(a.seconds)
            FROM added a JOIN runs r ON r.id = a.run_id GROUP BY a.run_id, r.started_ms, r.copy
            ON CONFLICT (run_id) DO UPDATE SET operations = run_sums.operations + EXCLUDED.operations,
                right_answers = run_sums.right_answers + EXCLUDED.right_answers,
                seconds = run_sums.seconds + EXCLUDED.seconds;
        RETURN NULL;
    END $$;
DROP TRIGGER IF EXISTS run_sums_add ON operations;
CREATE TRIGGER run_sums_add AFTER INSERT ON operations REFERENCING NEW TABLE AS added
    FOR EACH STATEMENT EXECUTE FUNCTION registro_run_sums_add();

-- A run that goes (erased, or too old) takes its sums with it.
CREATE OR REPLACE FUNCTION registro_run_sums_remove() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$ BEGIN
        DELETE FROM run_sums s USING gone WHERE s.run_id = gone.id;
        RETURN NULL;
    END $$;
DROP TRIGGER IF EXISTS run_sums_remove ON runs;
CREATE TRIGGER run_sums_remove AFTER DELETE ON runs REFERENCING OLD TABLE AS gone
    FOR EACH STATEMENT EXECUTE FUNCTION registro_run_sums_remove();
