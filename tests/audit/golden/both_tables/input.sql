-- Current and archived rows, dates on both sides of the range.
INSERT INTO AUDITFIL VALUES (1, 'X', 'A', 0, 'anne', 20261201, 90000, '', '', 'cur', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'X', 'A', 0, 'anne', 20261101, 90000, '', '', 'old', '', '', '');
INSERT INTO AUDHIS VALUES (3, 'X', 'A', 0, 'anne', 20261202, 90000, '', '', 'arc', '', '', '');
INSERT INTO AUDHIS VALUES (4, 'X', 'A', 0, 'anne', 20261220, 90000, '', '', 'late', '', '', '');
