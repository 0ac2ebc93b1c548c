-- Each run's sums, kept as its operations arrive: a pupil's chart over a
-- school year reads one row a run, not twenty. right_answers counts the
-- operations closed without help, as the chart always has. The rows come
-- from each database's own triggers (sqlite/ and postgresql/ beside this
-- file), never from the machines.
CREATE TABLE IF NOT EXISTS run_sums (
  run_id         TEXT PRIMARY KEY,
  operations     INTEGER NOT NULL,
  right_answers  INTEGER NOT NULL,
  seconds        BIGINT NOT NULL
);

INSERT INTO run_sums (run_id, operations, right_answers, seconds)
  SELECT run_id, COUNT(*), SUM(CASE WHEN help = '' THEN 1 ELSE 0 END), SUM(seconds)
  FROM operations GROUP BY run_id;
