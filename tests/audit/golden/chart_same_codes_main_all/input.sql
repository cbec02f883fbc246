-- Main grouping T with the same code for main data and axis: every row goes into the first series (named by the first row).
INSERT INTO AUDITFIL VALUES (1, 'X', 'A', 0, 'anne', 20261201, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (2, 'X', 'A', 0, 'marc', 20261203, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (3, 'X', 'D', 0, 'marc', 20261203, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (4, 'B', 'D', 0, 'marc', 20261203, 90000, '', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (5, 'U', 'D', 0, 'marc', 20261204, 90000, 'TXPPURGE', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (6, 'S', 'R', 0, 'anne', 20261204, 90000, '', '', '', '', '', '');
