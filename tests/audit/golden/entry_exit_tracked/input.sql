-- Log-ins, helpers and module entries and exits, kept when tracking is on.
INSERT INTO AUDITFIL VALUES (1, 'E', 'E', 1, 'anne', 20261201, 80000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'E', 'E', 3, 'anne', 20261201, 81000, '', '', '', 'lettre', '.doc', '');
INSERT INTO AUDITFIL VALUES (3, 'E', 'E', 20105, 'anne', 20261201, 82000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (4, 'E', 'X', 20105, 'anne', 20261201, 83000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (5, 'E', 'L', 1, 'marc', 20261201, 84000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (6, 'E', 'X', 1, 'anne', 20261201, 170000, '', '', '', '', '', '');
