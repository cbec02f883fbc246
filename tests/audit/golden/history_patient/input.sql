-- The history of patient 10 and its account 7.
INSERT INTO PATIENT VALUES (10, 'Marie', 'Roy');
INSERT INTO ACCOUNT VALUES (7, 'Jean', 'Tremblay');
INSERT INTO AUDITFIL VALUES (1, 'B', 'E', 10, 'anne', 20261201, 90000, 'ADDRESS', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'M', 'A', 10, 'anne', 20261201, 91000, 'PATMED', '', '', 'Latex', '', '');
INSERT INTO AUDITFIL VALUES (3, 'B', 'E', 7, 'marc', 20261202, 90000, 'ACCOUNT', '', '', 'Solde', '', '');
INSERT INTO AUDITFIL VALUES (4, 'N', 'A', 99, 'marc', 20261203, 90000, 'CHART', '', '1014', '10', '', '');
INSERT INTO AUDITFIL VALUES (5, 'B', 'E', 11, 'marc', 20261203, 90000, 'ADDRESS', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (6, 'G', 'A', 10, 'anne', 20261204, 90000, 'PATREFER', '', '', 'Dr Nadeau', '', '');
INSERT INTO AUDITFIL VALUES (7, 'X', 'A', 10, 'anne', 20261204, 90000, '', '', 'TX', '', '', '');
