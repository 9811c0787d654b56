-- The indexes of the monthly statistics, for a database whose tables were made before db/schema.sql
-- held them. Run again, it changes nothing:
--   mariadb -u root -p ryn < db/indexes.sql
-- Each month's sums, and the day's close per staff account, read one range of a date index that
-- also holds every column they need; the balances of the low-balance list are summed student by
-- student over an index that holds the student first and the points.

CREATE INDEX IF NOT EXISTS studclass_buydate ON studclass (buydate, watchpoint);
CREATE INDEX IF NOT EXISTS watchlog_begintime ON watchlog (begintime, cpkey, point, spkey);
CREATE INDEX IF NOT EXISTS studclass_dayclose ON studclass (buydate, uid, watchpoint);
CREATE INDEX IF NOT EXISTS studclass_balance ON studclass (spkey, watchpoint, buydate);
CREATE INDEX IF NOT EXISTS watchlog_balance ON watchlog (spkey, point, begintime);
