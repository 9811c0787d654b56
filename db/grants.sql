-- The rights of the program's database account ryn: it reads every table of the database and
-- writes every one but history, which only the triggers of db/history.sql write (with the rights of
-- their definer, ryn_history@localhost). The account can therefore read the history of changes and
-- cannot change it; the server refuses an INSERT, UPDATE or DELETE of a history row.
--
-- ryn-provision (scripts/provision) gives these rights, for the account's hosts (--account-host,
-- default %), to each table of db/schema.sql but history, and takes back the rights on the whole
-- database that they replace. By hand, for the account ryn@% and the database ryn:
--   mariadb -u root -p ryn < db/grants.sql

GRANT SELECT ON ryn.* TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.users TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.corp TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.stud TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.classroom TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.course TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.studclass TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.watchlog TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.receiptprint TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.booking_token TO 'ryn'@'%';
GRANT DELETE, INSERT, UPDATE ON ryn.insert_token TO 'ryn'@'%';
-- Rights on the whole database would reach history too: none but SELECT stays there. (REVOKE
-- fails with "There is no such grant defined" when the account holds none of them; that is fine.)
REVOKE DELETE, INSERT, UPDATE ON ryn.* FROM 'ryn'@'%';
