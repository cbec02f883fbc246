-- A chart note (kind 1007) is kept when any of its three modules is chosen.
INSERT INTO PATIENT2 VALUES (4, 'Ève', 'Gagnon');
INSERT INTO AUDITFIL VALUES (1, 'N', 'A', 4, 'anne', 20261201, 90000, 'CHART', '', '1007', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'N', 'A', 4, 'anne', 20261201, 91000, 'CHART', '', '2', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'D', 'E', 4, 'anne', 20261201, 92000, '', '', '1009', '', '', '');
