-- Two days, two users; subtotals on user and date, sorted by user then date.
INSERT INTO AUDITFIL VALUES (1, 'X', 'A', 0, 'anne', 20261201, 91500, '', '', 'P-1', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'X', 'E', 0, 'anne', 20261201, 102030, '', '', 'P-2', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'X', 'D', 0, 'anne', 20261202, 509, '', '', 'P-3', '', '', '');
INSERT INTO AUDITFIL VALUES (4, 'X', 'A', 0, 'marc', 20261201, 120000, '', '', 'P-4', '', '', '');
INSERT INTO AUDITFIL VALUES (5, 'X', 'A', 0, 'marc', 20261201, 131000, '', '', 'P-5', '', '', '');
INSERT INTO AUDITFIL VALUES (6, 'B', 'D', 0, 'marc', 20261201, 235959, 'ADDRESS', '', '', '', '', '');
