-- Demo data for the private sandbox server. Passwords: admin / admin123, staff / staff123.
SET NAMES utf8mb4;

INSERT INTO users (uid, uname, pwd, isadmin, pwdhint) VALUES
  ('admin', '系統管理員', MD5('admin123'), 1, '預設'),
  ('staff', '王小明', MD5('staff123'), 0, '預設');

INSERT INTO corp (invoiceno, corpname, watermark) VALUES ('12345678', 'Korvel電腦補習班', 1);

INSERT INTO stud (spkey, studname, studpwd) VALUES
  ('A001', '陳大文', 'A001'),
  ('A002', '林美玲', 'pass02'),
  ('A003', '張志明', 'A003'),
  ('B001', '黃小華', 'b001pw');

INSERT INTO classroom (crpkey, classname, teacher, classpoint, videopoint) VALUES
  (1, 'Excel 入門', '李老師', 100, 5),
  (2, 'Photoshop 影像處理', '吳老師', 200, 10),
  (3, '網頁設計', '周老師', 150, 8);

INSERT INTO course (cpkey, crpkey, coursename, videoname, videolen, point, status, isopen) VALUES
  (1, 1, '第一課 儲存格', 'excel01.mp4', 1800, 5, 'converted', 1),
  (2, 1, '第二課 公式', 'excel02.mp4', 2100, 5, 'converted', 1),
  (3, 2, '第一課 圖層', 'ps01.mp4', 2400, 10, 'uploaded', 0),
  (4, 3, '第一課 HTML', 'web01.mp4', 1500, 8, 'new', 1);

INSERT INTO studclass (buydate, spkey, crpkey, watchpoint, uid) VALUES
  ('2026-09-01 10:00:00', 'A001', 1, 100, 'admin'),
  ('2026-09-02 11:30:00', 'A002', 2, 200, 'staff'),
  ('2026-10-05 09:15:00', 'A001', 3, 150, 'staff'),
  ('2026-10-20 16:45:00', 'A001', 1, -10, 'admin'),
  ('2026-11-01 10:00:00', 'A003', 3, 1500, 'staff');

INSERT INTO watchlog (cpkey, spkey, mac, device, point, begintime, endtime) VALUES
  (1, 'A001', '00:11:22:33:44:55', 'Pixel 7', -5, '2026-09-03 19:00:00', '2026-09-03 19:30:00'),
  (2, 'A001', '00:11:22:33:44:55', 'Pixel 7', -5, '2026-09-04 19:00:00', '2026-09-04 19:35:00'),
  (3, 'A002', 'AA:BB:CC:DD:EE:FF', 'Galaxy S23', -10, '2026-09-05 20:00:00', '2026-09-05 20:40:00'),
  (4, 'A001', '00:11:22:33:44:55', 'Pixel 7', -8, '2026-10-21 19:00:00', '2026-10-21 19:25:00'),
  (4, 'A003', '12:34:56:78:9A:BC', 'Redmi Note 12', -20, '2026-11-02 20:00:00', '2026-11-02 20:25:00'),
  (4, 'A003', '12:34:56:78:9A:BC', 'Redmi Note 12', -30, '2026-11-04 20:00:00', '2026-11-04 20:30:00');
