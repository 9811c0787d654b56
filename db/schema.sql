-- Tables of the ryn database. Load into an empty database named ryn:
--   mariadb -u root -p ryn < db/schema.sql
-- Text is utf8mb4; sizes are characters. Keys marked AUTO_INCREMENT are assigned by the server.
-- The date indexes of studclass and watchlog serve the monthly statistics and the day's close, the
-- student indexes that hold the points the balances of the low-balance list (db/indexes.sql adds
-- them to a database made before they were here). The table history is written by the triggers of
-- db/history.sql only: the program's account reads it and cannot change it.
-- booking_token and insert_token make a new row's save idempotent: the workstation writes a random
-- token with each new row, in the row's own transaction, and a repeated save of the same row fails
-- on the token's key. Tokens older than 30 days are removed by the program as it saves.

SET NAMES utf8mb4;

CREATE TABLE IF NOT EXISTS users (
  upkey    SMALLINT UNSIGNED NOT NULL AUTO_INCREMENT,
  uid      VARCHAR(20) NULL,
  uname    VARCHAR(10) NULL,
  pwd      VARCHAR(40) NULL,
  isadmin  SMALLINT    NULL DEFAULT 0,
  pwdhint  VARCHAR(10) NULL,
  PRIMARY KEY (upkey),
  KEY users_uid (uid)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS corp (
  invoiceno  VARCHAR(8)  NULL,
  corpname   VARCHAR(30) NULL,
  watermark  SMALLINT    NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS stud (
  spkey     VARCHAR(20) NOT NULL,
  studname  VARCHAR(10) NULL,
  studpwd   VARCHAR(40) NULL,
  PRIMARY KEY (spkey)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS classroom (
  crpkey      INT               NOT NULL AUTO_INCREMENT,
  classname   VARCHAR(30)       NULL,
  teacher     VARCHAR(10)       NULL,
  classpoint  INT               NULL,
  videopoint  SMALLINT UNSIGNED NULL,
  PRIMARY KEY (crpkey)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS course (
  cpkey       INT         NOT NULL AUTO_INCREMENT,
  crpkey      INT         NULL,
  coursename  VARCHAR(50) NULL,
  videoname   VARCHAR(50) NULL,
  videolen    INT         NULL,
  point       SMALLINT    NULL,
  status      VARCHAR(20) NULL DEFAULT 'new',
  isopen      SMALLINT    NULL,
  PRIMARY KEY (cpkey),
  KEY course_crpkey (crpkey)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS studclass (
  scpkey      BIGINT      NOT NULL AUTO_INCREMENT,
  buydate     DATETIME    NULL,
  spkey       VARCHAR(10) NULL,
  crpkey      INT         NULL,
  watchpoint  INT         NULL,
  uid         VARCHAR(20) NULL,
  PRIMARY KEY (scpkey),
  KEY studclass_spkey (spkey),
  KEY studclass_buydate (buydate, watchpoint),
  KEY studclass_dayclose (buydate, uid, watchpoint),
  KEY studclass_balance (spkey, watchpoint, buydate)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS watchlog (
  cpkey      INT         NULL,
  spkey      VARCHAR(20) NULL,
  mac        VARCHAR(20) NULL,
  device     VARCHAR(30) NULL,
  point      INT         NULL,
  begintime  DATETIME    NULL,
  endtime    DATETIME    NULL,
  KEY watchlog_spkey (spkey),
  KEY watchlog_begintime (begintime, cpkey, point, spkey),
  KEY watchlog_balance (spkey, point, begintime)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- Every receipt of a booking printed or written as PDF, by whom and when: the first is the
-- original, any later one a reprint with its copy number.
CREATE TABLE IF NOT EXISTS receiptprint (
  rppkey   BIGINT      NOT NULL AUTO_INCREMENT,
  scpkey   BIGINT      NOT NULL,
  printed  DATETIME    NOT NULL,
  uid      VARCHAR(20) NULL,
  PRIMARY KEY (rppkey),
  KEY receiptprint_scpkey (scpkey, rppkey)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS history (
  hpkey      BIGINT       NOT NULL AUTO_INCREMENT,
  changed    DATETIME(3)  NOT NULL,
  tablename  VARCHAR(20)  NOT NULL,
  rowkey     VARCHAR(40)  NOT NULL,
  action     VARCHAR(8)   NOT NULL,
  colname    VARCHAR(20)  NOT NULL,
  oldvalue   VARCHAR(255) NULL,
  newvalue   VARCHAR(255) NULL,
  account    VARCHAR(20)  NULL,
  dbaccount  VARCHAR(255) NOT NULL,
  PRIMARY KEY (hpkey),
  KEY history_row (tablename, rowkey),
  KEY history_changed (changed)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- One row per booking made with an exactly-once token (128 random bits), written in the booking's
-- own transaction: a retry after an uncertain outcome looks its token up instead of booking again.
CREATE TABLE IF NOT EXISTS booking_token (
  token    BINARY(16) NOT NULL,
  scpkey   BIGINT     NOT NULL,
  created  DATETIME   NOT NULL,
  PRIMARY KEY (token),
  KEY booking_token_created (created)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE IF NOT EXISTS insert_token (
  token    BINARY(16) NOT NULL,
  rowkey   BIGINT     NOT NULL,
  created  DATETIME   NOT NULL,
  PRIMARY KEY (token),
  KEY insert_token_created (created)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
