-- Log-on names with quotes in the user list.
INSERT INTO AUDITFIL VALUES (1, 'X', 'A', 0, 'O''Brien', 20261201, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'X', 'A', 0, 'anne', 20261201, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'X', 'A', 0, 'marc', 20261201, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (4, 'X', 'A', 0, 'x'' OR ''1', 20261201, 90000, '', '', '', '', '', '');
