-- The audit rows the preset cases list: October, November and December 2026,
-- two users.
INSERT INTO AUDITFIL VALUES (1, 'X', 'A', 0, 'anne', 20261031, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'X', 'A', 0, 'anne', 20261102, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'B', 'E', 0, 'anne', 20261102, 110000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (4, 'X', 'A', 0, 'marc', 20261116, 70000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (5, 'Q', 'A', 0, 'marc', 20261120, 70000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (6, 'X', 'A', 0, 'anne', 20261130, 80000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (7, 'X', 'A', 0, 'marc', 20261201, 80000, '', '', '', '', '', '');
