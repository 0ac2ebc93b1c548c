-- The server's triggers for run_sums, in the same transaction as the table.
-- They run as this script's superuser: the machines' roles insert
-- operations, and may neither read nor write the sums. One pass a statement:
-- a machine sends many rows in one INSERT, and rows already there (sent
-- twice) or dropped as orphans are not among those added.
CREATE OR REPLACE FUNCTION registro_run_sums_add() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$ BEGIN
        INSERT INTO run_sums (run_id, operations, right_answers, seconds)
            SELECT run_id, count(*), count(*) FILTER (WHERE help = ''), sum(seconds) FROM added GROUP BY run_id
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
