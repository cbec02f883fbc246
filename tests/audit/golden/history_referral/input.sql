-- The referral history of patient 55.
INSERT INTO PATIENT VALUES (55, 'Luc', 'Côté');
INSERT INTO AUDITFIL VALUES (1, 'G', 'A', 55, 'anne', 20261201, 90000, 'PATREFER', '', '', 'Dr Nadeau', 'ortho', '');
INSERT INTO AUDITFIL VALUES (2, 'G', 'A', 56, 'anne', 20261201, 90000, 'PATREFER', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'M', 'A', 55, 'anne', 20261201, 90000, 'REF', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (4, 'B', 'E', 55, 'anne', 20261202, 90000, 'REF', '', '', '', '', '');
INSERT INTO AUDHIS VALUES (5, 'G', 'D', 55, 'anne', 20261130, 90000, 'PATREFER', '', '', 'Dr Roy', '', '');
