-- The history of changes, kept by the database itself: triggers on stud, classroom, course,
-- studclass, users and corp write one row per changed column into the table history (see
-- db/schema.sql): the time to the millisecond, the table, the row's key, the action (added,
-- changed, deleted), the column, the old and the new value, the program's account and the database
-- account. An added or deleted row is written whole, one row per column; password digests
-- (users.pwd) are written as 已變更, never as values.
--
-- The program's account is the session variable @ryn_account, which the program sets after every
-- connect; a change made by any other client (the conversion side, the mariadb client) has none and
-- is known by its database account, USER().
--
-- The triggers run with the rights of their definer, ryn_history@localhost: an account made here,
-- locked (nobody can log in as it), that may only add rows to history and fire the triggers. Its
-- rights are not the program's: the program's account reads history and cannot change it
-- (db/grants.sql), and a change made by another system is recorded although its account cannot
-- write history either.
--
-- Load into the program's database, after db/schema.sql, as an account that may create accounts and
-- triggers (a trigger whose definer is another account needs SET USER or SUPER):
--   mariadb -u root -p ryn < db/history.sql
-- Run again, it leaves the same triggers and rights (ryn-provision does it when anything differs).

SET NAMES utf8mb4;

CREATE USER IF NOT EXISTS 'ryn_history'@'localhost' ACCOUNT LOCK;
ALTER USER 'ryn_history'@'localhost' ACCOUNT LOCK;
GRANT INSERT ON history TO 'ryn_history'@'localhost';
GRANT SELECT, TRIGGER ON stud TO 'ryn_history'@'localhost';
GRANT SELECT, TRIGGER ON classroom TO 'ryn_history'@'localhost';
GRANT SELECT, TRIGGER ON course TO 'ryn_history'@'localhost';
GRANT SELECT, TRIGGER ON studclass TO 'ryn_history'@'localhost';
GRANT SELECT, TRIGGER ON users TO 'ryn_history'@'localhost';
GRANT SELECT, TRIGGER ON corp TO 'ryn_history'@'localhost';

DELIMITER ;;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER stud_history_insert AFTER INSERT ON stud FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'stud', NEW.spkey, 'added', 'spkey', NULL, NEW.spkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'stud', NEW.spkey, 'added', 'studname', NULL, NEW.studname, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'stud', NEW.spkey, 'added', 'studpwd', NULL, NEW.studpwd, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER stud_history_update AFTER UPDATE ON stud FOR EACH ROW
BEGIN
  IF NOT (OLD.spkey <=> BINARY NEW.spkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'stud', NEW.spkey, 'changed', 'spkey', OLD.spkey, NEW.spkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.studname <=> BINARY NEW.studname) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'stud', NEW.spkey, 'changed', 'studname', OLD.studname, NEW.studname, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.studpwd <=> BINARY NEW.studpwd) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'stud', NEW.spkey, 'changed', 'studpwd', OLD.studpwd, NEW.studpwd, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
END;;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER stud_history_delete AFTER DELETE ON stud FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'stud', OLD.spkey, 'deleted', 'spkey', OLD.spkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'stud', OLD.spkey, 'deleted', 'studname', OLD.studname, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'stud', OLD.spkey, 'deleted', 'studpwd', OLD.studpwd, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER classroom_history_insert AFTER INSERT ON classroom FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'classroom', NEW.crpkey, 'added', 'crpkey', NULL, NEW.crpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', NEW.crpkey, 'added', 'classname', NULL, NEW.classname, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', NEW.crpkey, 'added', 'teacher', NULL, NEW.teacher, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', NEW.crpkey, 'added', 'classpoint', NULL, NEW.classpoint, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', NEW.crpkey, 'added', 'videopoint', NULL, NEW.videopoint, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER classroom_history_update AFTER UPDATE ON classroom FOR EACH ROW
BEGIN
  IF NOT (OLD.crpkey <=> NEW.crpkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'classroom', NEW.crpkey, 'changed', 'crpkey', OLD.crpkey, NEW.crpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.classname <=> BINARY NEW.classname) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'classroom', NEW.crpkey, 'changed', 'classname', OLD.classname, NEW.classname, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.teacher <=> BINARY NEW.teacher) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'classroom', NEW.crpkey, 'changed', 'teacher', OLD.teacher, NEW.teacher, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.classpoint <=> NEW.classpoint) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'classroom', NEW.crpkey, 'changed', 'classpoint', OLD.classpoint, NEW.classpoint, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.videopoint <=> NEW.videopoint) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'classroom', NEW.crpkey, 'changed', 'videopoint', OLD.videopoint, NEW.videopoint, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
END;;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER classroom_history_delete AFTER DELETE ON classroom FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'classroom', OLD.crpkey, 'deleted', 'crpkey', OLD.crpkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', OLD.crpkey, 'deleted', 'classname', OLD.classname, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', OLD.crpkey, 'deleted', 'teacher', OLD.teacher, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', OLD.crpkey, 'deleted', 'classpoint', OLD.classpoint, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'classroom', OLD.crpkey, 'deleted', 'videopoint', OLD.videopoint, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER course_history_insert AFTER INSERT ON course FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'course', NEW.cpkey, 'added', 'cpkey', NULL, NEW.cpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', NEW.cpkey, 'added', 'crpkey', NULL, NEW.crpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', NEW.cpkey, 'added', 'coursename', NULL, NEW.coursename, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', NEW.cpkey, 'added', 'videoname', NULL, NEW.videoname, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', NEW.cpkey, 'added', 'videolen', NULL, NEW.videolen, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', NEW.cpkey, 'added', 'point', NULL, NEW.point, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', NEW.cpkey, 'added', 'status', NULL, NEW.status, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', NEW.cpkey, 'added', 'isopen', NULL, NEW.isopen, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER course_history_update AFTER UPDATE ON course FOR EACH ROW
BEGIN
  IF NOT (OLD.cpkey <=> NEW.cpkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'cpkey', OLD.cpkey, NEW.cpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.crpkey <=> NEW.crpkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'crpkey', OLD.crpkey, NEW.crpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.coursename <=> BINARY NEW.coursename) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'coursename', OLD.coursename, NEW.coursename, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.videoname <=> BINARY NEW.videoname) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'videoname', OLD.videoname, NEW.videoname, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.videolen <=> NEW.videolen) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'videolen', OLD.videolen, NEW.videolen, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.point <=> NEW.point) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'point', OLD.point, NEW.point, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.status <=> BINARY NEW.status) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'status', OLD.status, NEW.status, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.isopen <=> NEW.isopen) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'course', NEW.cpkey, 'changed', 'isopen', OLD.isopen, NEW.isopen, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
END;;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER course_history_delete AFTER DELETE ON course FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'cpkey', OLD.cpkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'crpkey', OLD.crpkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'coursename', OLD.coursename, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'videoname', OLD.videoname, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'videolen', OLD.videolen, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'point', OLD.point, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'status', OLD.status, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'course', OLD.cpkey, 'deleted', 'isopen', OLD.isopen, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER studclass_history_insert AFTER INSERT ON studclass FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'studclass', NEW.scpkey, 'added', 'scpkey', NULL, NEW.scpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', NEW.scpkey, 'added', 'buydate', NULL, NEW.buydate, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', NEW.scpkey, 'added', 'spkey', NULL, NEW.spkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', NEW.scpkey, 'added', 'crpkey', NULL, NEW.crpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', NEW.scpkey, 'added', 'watchpoint', NULL, NEW.watchpoint, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', NEW.scpkey, 'added', 'uid', NULL, NEW.uid, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER studclass_history_update AFTER UPDATE ON studclass FOR EACH ROW
BEGIN
  IF NOT (OLD.scpkey <=> NEW.scpkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'studclass', NEW.scpkey, 'changed', 'scpkey', OLD.scpkey, NEW.scpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.buydate <=> NEW.buydate) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'studclass', NEW.scpkey, 'changed', 'buydate', OLD.buydate, NEW.buydate, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.spkey <=> BINARY NEW.spkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'studclass', NEW.scpkey, 'changed', 'spkey', OLD.spkey, NEW.spkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.crpkey <=> NEW.crpkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'studclass', NEW.scpkey, 'changed', 'crpkey', OLD.crpkey, NEW.crpkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.watchpoint <=> NEW.watchpoint) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'studclass', NEW.scpkey, 'changed', 'watchpoint', OLD.watchpoint, NEW.watchpoint, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.uid <=> BINARY NEW.uid) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'studclass', NEW.scpkey, 'changed', 'uid', OLD.uid, NEW.uid, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
END;;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER studclass_history_delete AFTER DELETE ON studclass FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'studclass', OLD.scpkey, 'deleted', 'scpkey', OLD.scpkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', OLD.scpkey, 'deleted', 'buydate', OLD.buydate, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', OLD.scpkey, 'deleted', 'spkey', OLD.spkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', OLD.scpkey, 'deleted', 'crpkey', OLD.crpkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', OLD.scpkey, 'deleted', 'watchpoint', OLD.watchpoint, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'studclass', OLD.scpkey, 'deleted', 'uid', OLD.uid, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER users_history_insert AFTER INSERT ON users FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'users', NEW.upkey, 'added', 'upkey', NULL, NEW.upkey, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', NEW.upkey, 'added', 'uid', NULL, NEW.uid, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', NEW.upkey, 'added', 'uname', NULL, NEW.uname, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', NEW.upkey, 'added', 'pwd', NULL, IF(NEW.pwd IS NULL, NULL, '已變更'), LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', NEW.upkey, 'added', 'isadmin', NULL, NEW.isadmin, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', NEW.upkey, 'added', 'pwdhint', NULL, NEW.pwdhint, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER users_history_update AFTER UPDATE ON users FOR EACH ROW
BEGIN
  IF NOT (OLD.upkey <=> NEW.upkey) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'users', NEW.upkey, 'changed', 'upkey', OLD.upkey, NEW.upkey, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.uid <=> BINARY NEW.uid) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'users', NEW.upkey, 'changed', 'uid', OLD.uid, NEW.uid, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.uname <=> BINARY NEW.uname) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'users', NEW.upkey, 'changed', 'uname', OLD.uname, NEW.uname, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.pwd <=> BINARY NEW.pwd) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'users', NEW.upkey, 'changed', 'pwd', NULL, '已變更', LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.isadmin <=> NEW.isadmin) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'users', NEW.upkey, 'changed', 'isadmin', OLD.isadmin, NEW.isadmin, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.pwdhint <=> BINARY NEW.pwdhint) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'users', NEW.upkey, 'changed', 'pwdhint', OLD.pwdhint, NEW.pwdhint, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
END;;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER users_history_delete AFTER DELETE ON users FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'users', OLD.upkey, 'deleted', 'upkey', OLD.upkey, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', OLD.upkey, 'deleted', 'uid', OLD.uid, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', OLD.upkey, 'deleted', 'uname', OLD.uname, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', OLD.upkey, 'deleted', 'pwd', IF(OLD.pwd IS NULL, NULL, '已變更'), NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', OLD.upkey, 'deleted', 'isadmin', OLD.isadmin, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'users', OLD.upkey, 'deleted', 'pwdhint', OLD.pwdhint, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER corp_history_insert AFTER INSERT ON corp FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'corp', COALESCE(NEW.invoiceno, ''), 'added', 'invoiceno', NULL, NEW.invoiceno, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'corp', COALESCE(NEW.invoiceno, ''), 'added', 'corpname', NULL, NEW.corpname, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'corp', COALESCE(NEW.invoiceno, ''), 'added', 'watermark', NULL, NEW.watermark, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER corp_history_update AFTER UPDATE ON corp FOR EACH ROW
BEGIN
  IF NOT (OLD.invoiceno <=> BINARY NEW.invoiceno) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'corp', COALESCE(NEW.invoiceno, ''), 'changed', 'invoiceno', OLD.invoiceno, NEW.invoiceno, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.corpname <=> BINARY NEW.corpname) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'corp', COALESCE(NEW.invoiceno, ''), 'changed', 'corpname', OLD.corpname, NEW.corpname, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
  IF NOT (OLD.watermark <=> NEW.watermark) THEN
    INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount)
      VALUES (NOW(3), 'corp', COALESCE(NEW.invoiceno, ''), 'changed', 'watermark', OLD.watermark, NEW.watermark, LEFT(@ryn_account, 20), LEFT(USER(), 255));
  END IF;
END;;

CREATE OR REPLACE DEFINER = 'ryn_history'@'localhost' TRIGGER corp_history_delete AFTER DELETE ON corp FOR EACH ROW
  INSERT INTO history (changed, tablename, rowkey, action, colname, oldvalue, newvalue, account, dbaccount) VALUES
    (NOW(3), 'corp', COALESCE(OLD.invoiceno, ''), 'deleted', 'invoiceno', OLD.invoiceno, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'corp', COALESCE(OLD.invoiceno, ''), 'deleted', 'corpname', OLD.corpname, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255)),
    (NOW(3), 'corp', COALESCE(OLD.invoiceno, ''), 'deleted', 'watermark', OLD.watermark, NULL, LEFT(@ryn_account, 20), LEFT(USER(), 255));;

DELIMITER ;
