-- Rows merged per user and date; the summary breaks on the date only (the
-- user is the sort key before the last).
INSERT INTO AUDITFIL VALUES (1, 'X', 'A', 0, 'anne', 20261201, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'B', 'E', 0, 'anne', 20261201, 110000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'X', 'A', 0, 'anne', 20261202, 80000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (4, 'X', 'A', 0, 'marc', 20261201, 70000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (5, 'E', 'E', 20105, 'marc', 20261201, 70000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (6, 'Q', 'A', 0, 'marc', 20261201, 70000, '', '', '', '', '', '');
