-- The medical history of patient 10, with a chart row naming it.
INSERT INTO PATIENT VALUES (10, 'Marie', 'Roy');
INSERT INTO PATIENT2 VALUES (10, 'Marie', 'Roy');
INSERT INTO AUDITFIL VALUES (1, 'M', 'A', 10, 'anne', 20261201, 90000, 'PATMED', '', '', 'Latex', '', '');
INSERT INTO AUDITFIL VALUES (2, 'M', 'E', 10, 'anne', 20261201, 93000, 'PREMED', 'ADDINFO', '', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'B', 'E', 10, 'anne', 20261201, 94000, 'PRESCRIP', '', '', '', '', 'Amoxicilline');
INSERT INTO AUDITFIL VALUES (4, 'N', 'A', 10, 'anne', 20261202, 90000, 'CHART', '', '1014', '10', '', '');
INSERT INTO AUDITFIL VALUES (5, 'M', 'A', 10, 'anne', 20261202, 90000, 'OTHER', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (6, 'M', 'A', 11, 'anne', 20261202, 90000, 'PATMED', '', '', 'Pollen', '', '');
