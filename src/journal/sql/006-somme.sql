-- Each run's sums, kept as its operations arrive: a pupil's chart over a
-- school year reads one row a run, not its twenty operations and the run.
-- right_answers counts the operations closed without help, as the chart
-- always has; started_ms and copy are the run's, for the filters. The table
-- and its triggers are each database's own (sqlite/ and postgresql/ beside
-- this file, run first): the rows come from the triggers, never from the
-- machines. Here, the sums of the runs already there.
INSERT INTO run_sums (run_id, started_ms, copy, operations, right_answers, seconds)
  SELECT o.run_id, r.started_ms, r.copy, COUNT(*), SUM(CASE WHEN o.help = '' THEN 1 ELSE 0 END), SUM(o.seconds)
  FROM operations o JOIN runs r ON r.id = o.run_id GROUP BY o.run_id, r.started_ms, r.copy;
