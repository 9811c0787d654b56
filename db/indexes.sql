-- The indexes of the monthly statistics, for a database whose tables were made before db/schema.sql
-- held them. Run again, it changes nothing:
--   mariadb -u root -p ryn < db/indexes.sql
-- Each month's sums read one range of a date index that also holds every column they need.

CREATE INDEX IF NOT EXISTS studclass_buydate ON studclass (buydate, watchpoint);
CREATE INDEX IF NOT EXISTS watchlog_begintime ON watchlog (begintime, cpkey, point, spkey);
