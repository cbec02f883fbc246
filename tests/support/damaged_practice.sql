-- The damaged practice (tests/support/damaged_practice.h creates its tables
-- without NOT NULL, DEFAULT or text lengths). Every analysis runs over it:
-- tests/reliability/damaged_test.cpp pins what each one shows and says why.
-- The month is December 2026: Monday 7, Tuesday 8, Wednesday 9 are the days
-- of the schedule; Friday 25 is a holiday.
--
-- What the rules make of the damage, in short:
--   NULL text    reads as "", NULL number as 0 (the readers of GenDB)
--   NULL flag    PROD_INACTIVE != 'Y' is unknown for NULL in SQL: such a
--                producer is left out of every active-producer list
--   NULL date    a condition on a date (= 0, >= from) is unknown: the row
--                is never read where a date bounds the statement
--   over length  read cut to the field (PROD_CODE 'D0123' reads 'D01')
--   bad date     20261332, 99999999 and negatives fall outside every period
--   negative     amounts are summed as they are (a credit); an appointment
--                length below 0 books no time, one beyond the day's 240
--                slots books the whole day
--   missing row  a reference to a producer, patient, chair or item that
--                does not exist drops what needs it, nothing else

-- --- people ----------------------------------------------------------------
INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, PROD_INACTIVE) VALUES (1, 'D01', 'Anne', 'Roy', 'D', 'N');
-- every column NULL but the code: left out of the active producers (NULL flag)
INSERT INTO PRODCD (PROD_ID, PROD_CODE) VALUES (2, 'H01');
-- no code at all (NULL twice is allowed by the unique index)
INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_INACTIVE) VALUES (3, NULL, 'N');
INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_INACTIVE) VALUES (4, NULL, 'N');
-- a code over its length: it reads as 'D01' wherever it is read into a field
INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, PROD_INACTIVE) VALUES (5, 'D0123', 'Trop', 'Long', 'D', 'N');
INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, PROD_INACTIVE) VALUES (6, 'D02', 'Éloi', 'Côté', 'D', 'Y');

INSERT INTO USERIDCD (USR_ID, USER_LOGON, USER_NAME) VALUES (1, 'anne', 'Anne Roy');
INSERT INTO USERIDCD (USR_ID, USER_LOGON, USER_NAME) VALUES (2, NULL, NULL);

INSERT INTO ACCOUNT (ACC_ID, ACC_PNAME, ACC_LNAME) VALUES (1, 'Paul', 'Roy');
INSERT INTO ACCOUNT (ACC_ID) VALUES (2);

-- Patients: 1 new and active for D01; 2 all NULL; 3 a doctor over its length
-- ('0123' reads '01'); 4 no doctor; 5, 6 impossible and negative dates;
-- 7 active only; 8 deleted at a negative date; 9 account and names missing.
INSERT INTO PATIENT (PAT_ID, PAT_ACCID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR, PAT_STATUS, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (1, 1, 'Paul', 'Roy', '01', 'A', 20261205, 20261210, 0);
INSERT INTO PATIENT (PAT_ID) VALUES (2);
INSERT INTO PATIENT (PAT_ID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (3, 'Un nom beaucoup trop long pour sa colonne', 'Dubé-Laframboise-Tremblay-Gagnon', '0123', 20261206, 0, 0);
INSERT INTO PATIENT (PAT_ID, PAT_PNAME, PAT_LNAME, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (4, 'Sans', 'Dentiste', NULL, 20261207, 20261207, 0);
INSERT INTO PATIENT (PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (5, '01', 20261332, 99999999, 0);
INSERT INTO PATIENT (PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (6, '01', -20261201, -1, 0);
INSERT INTO PATIENT (PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (7, '01', 0, 20261215, 0);
INSERT INTO PATIENT (PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (8, '01', 20261208, 20261208, -1);
INSERT INTO PATIENT (PAT_ID, PAT_ACCID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (9, 77, '99', 20261209, NULL, 0);

-- --- schedule ----------------------------------------------------------------
INSERT INTO SCHEDULR (SCHD_ID, SCHD_UNIT, SCHD_UNIT_DATE, SCHD_OLD_UNIT, SCHD_DAY_START) VALUES (1, 10, 20260601, 15, 60000);
-- Office hours: Monday and Tuesday 08:00-12:00, 13:00-17:00; Wednesday a
-- morning then texts that are not times; Sunday NULL everywhere; Thursday to
-- Saturday missing.
INSERT INTO OFFHOURS VALUES (1, '08:00', '12:00', '13:00', '17:00', NULL, NULL);
INSERT INTO OFFHOURS VALUES (2, '08:00', '12:00', '13:00', '17:00', '', '');
INSERT INTO OFFHOURS VALUES (3, '08:00', '12:00', '99:99', 'ab:cd', '-1:00', '12');
INSERT INTO OFFHOURS (OFH_DOW) VALUES (0);

INSERT INTO LOCATION (LOC_ID, LOC_CODE, LOC_NAME) VALUES (1, 'A', 'Clinique');
INSERT INTO LOCATION (LOC_ID) VALUES (2);
-- Chairs: 1 D01's own; 2 NULL everywhere; 3 a negative number; 4 four
-- digits (its key A1000 does not fit a key field); 5 shared, of location
-- 'AB' (over length, reads 'A').
INSERT INTO CHAIR VALUES (1, 'A', 1, 'Salle 1', 'N', 'D01', 'N');
INSERT INTO CHAIR (CHR_ID, CHR_IDNO) VALUES (2, 2);
INSERT INTO CHAIR VALUES (3, 'A', -5, 'Négative', 'N', 'D01', 'N');
INSERT INTO CHAIR VALUES (4, 'A', 1000, 'Mille', 'Y', NULL, 'N');
INSERT INTO CHAIR VALUES (5, 'AB', 5, 'Partagée', 'Y', '', NULL);

-- Schedules: D01 on chairs "1,5" then garbage; H01 with NULL date and
-- chairs; ZZZ is no producer.
INSERT INTO PRDSCH VALUES (1, 'D01', 20200101, '1,5,abc,,-2,1000,99999999999,');
INSERT INTO PRDSCH (PSCH_ID, PSCH_PROD) VALUES (2, 'H01');
INSERT INTO PRDSCH VALUES (3, 'ZZZ', 20200101, '1');
-- Blocks: D01 Monday 08:00-12:00 on chair 1 (4 h); Tuesday a block whose
-- end comes before its start (no time); Wednesday times out of the day
-- (-100 to 999999: the whole open day, 08:00-12:00); a negative chair; a
-- row of NULLs (Sunday, chair 0: no time); H01 Monday on chair 5 (its
-- schedule's NULL date reads 0, in force; its NULL chair list gives it no
-- chair by producer, the shared chair 5 counts it); ZZZ on chair 1.
INSERT INTO PRDSCHD VALUES (1, 1, 'D01', 1, 1, 'A', 80000, 120000);
INSERT INTO PRDSCHD VALUES (2, 1, 'D01', 2, 1, 'A', 120000, 80000);
INSERT INTO PRDSCHD VALUES (3, 1, 'D01', 3, 1, 'A', -100, 999999);
INSERT INTO PRDSCHD VALUES (4, 1, 'D01', 1, -5, 'A', 80000, 90000);
INSERT INTO PRDSCHD (PSD_ID) VALUES (5);
INSERT INTO PRDSCHD VALUES (6, 2, 'H01', 1, 5, 'A', 80000, 120000);
INSERT INTO PRDSCHD VALUES (7, 3, 'ZZZ', 1, 1, 'A', 130000, 170000);
-- Calendar: the holiday with a NULL producer; an impossible date; a row of
-- NULLs; an unknown kind; a closing that ends before it starts.
INSERT INTO CALDAT VALUES (1, 20261225, '*', 0, NULL, 'C', 0, 0, NULL);
INSERT INTO CALDAT VALUES (2, 20261332, 'A', 1, 'D01', 'O', 0, 0, 'date impossible');
INSERT INTO CALDAT (CALD_ID) VALUES (3);
INSERT INTO CALDAT VALUES (4, 20261207, 'A', 1, 'D01', 'X', 80000, 90000, 'genre inconnu');
INSERT INTO CALDAT VALUES (5, 20261209, 'A', 1, 'D01', 'C', 110000, 90000, 'fin avant début');

-- Appointments (all on chair 1 unless said):
--   1 D01 Monday 09:00, 6 slots, booked, $50.00       -> booked 30 min
--   2 NULL everywhere but the date                   -> not booked (status)
--   3 D01 Monday, length -4, fee -$25.00             -> no time; its fee counts
--   4 D01 Monday, length 100000 (more than a day)    -> the day's 240 slots
--   5 ZZZ (no such producer) Monday, 3 slots         -> by chair only
--   6 D01 Monday on chair 77 (no such chair), 3 slots -> by producer only
--   7 D01 on 32 December                             -> never read
--   8 D01 Tuesday at a negative time, 6 slots        -> booked 30 min
--   9 D01 Tuesday, code and type over length, 2 slots -> booked 10 min
--  10 D01 Tuesday, status 'b' (not 'B')              -> not booked
--  11 D01 Tuesday, deleted at a NULL date            -> not booked (NULL deldate)
INSERT INTO PATAPT VALUES (1, 1, 20261207, 90000, 6, 'D01', 1, 'A', 'B', 'R', 'EXA', 5000, 0, 20261101, 'Bon');
INSERT INTO PATAPT (PAPT_ID, PAPT_DATE) VALUES (2, 20261207);
INSERT INTO PATAPT VALUES (3, 1, 20261207, 100000, -4, 'D01', 1, 'A', 'B', 'R', 'EXA', -2500, 0, 0, NULL);
INSERT INTO PATAPT VALUES (4, 1, 20261207, 110000, 100000, 'D01', 1, 'A', 'B', 'R', 'EXA', 0, 0, 0, NULL);
INSERT INTO PATAPT VALUES (5, 9, 20261207, 130000, 3, 'ZZZ', 1, 'A', 'B', 'R', 'EXA', 1000, 0, 0, NULL);
INSERT INTO PATAPT VALUES (6, 1, 20261207, 140000, 3, 'D01', 77, 'A', 'B', 'R', 'EXA', 1000, 0, 0, NULL);
INSERT INTO PATAPT VALUES (7, 1, 20261232, 90000, 6, 'D01', 1, 'A', 'B', 'R', 'EXA', 1000, 0, 0, NULL);
INSERT INTO PATAPT VALUES (8, 1, 20261208, -5, 6, 'D01', 1, 'A', 'B', 'R', 'EXA', 1000, 0, 0, NULL);
INSERT INTO PATAPT VALUES (9, 1, 20261208, 100000, 2, 'D01', 1, 'A', 'B', 'RRRRR', 'EXAMEN-LONG', 1000, 0, 0, NULL);
INSERT INTO PATAPT VALUES (10, 1, 20261208, 110000, 2, 'D01', 1, 'A', 'b', 'R', 'EXA', 1000, 0, 0, NULL);
INSERT INTO PATAPT VALUES (11, 1, 20261208, 120000, 2, 'D01', 1, 'A', 'B', 'R', 'EXA', 1000, NULL, 0, NULL);
INSERT INTO MCBCD VALUES (1, 'EXA', 'Examen', 6, 5000);
INSERT INTO MCBCD (MCB_ID, MCB_CODE) VALUES (2, NULL);
INSERT INTO APTCODE VALUES (1, 'R', 'Régulier', NULL);

-- --- money ---------------------------------------------------------------------
-- Completed treatments (production T5): 60 D01 $300.00; 61 D01 -$100.00 (a
-- credit); 62 no producer; 63 a producer that does not exist; 64 no date;
-- 65 deleted at a NULL date; 66 status NULL. Planned: 50 D01 $120.00 (case
-- acceptance), 52 NULL producer and total.
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_CODE, CTRT_STATUS, CTRT_PRODUCER, CTRT_FEE, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (60, 1, 20261210, '01202', 'C', 'D01', 30000, 30000, 0);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_CODE, CTRT_STATUS, CTRT_PRODUCER, CTRT_FEE, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (61, 1, 20261211, '01202', 'C', 'D01', -10000, -10000, 0);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (62, 1, 20261210, 'C', NULL, 5000, 0);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (63, 1, 20261210, 'C', 'ZZZ', 7000, 0);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (64, 1, NULL, 'C', 'D01', 8000, 0);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (65, 1, 20261210, 'C', 'D01', 9000, NULL);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (66, 1, 20261210, NULL, 'D01', 4000, 0);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (50, 1, 20261205, 'P', 'D01', 12000, 0);
INSERT INTO CLMTRT (CTRT_ID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_DEL_DATE) VALUES (52, 1, 20261205, 'P', 0);
-- Proposal item 60: D01, a negative total.
INSERT INTO TXPTRT (TTRT_ID, TTRT_TXPID, TTRT_PATID, TTRT_DATE, TTRT_PRODUCER, TTRT_TOTAL, TTRT_DEL_DATE) VALUES (60, 1, 1, 20261205, 'D01', -5000, 0);
-- Payments and adjustments: a payment of $100.00 to D01; a row of NULLs;
-- an adjustment of -$30.00; a payment for a producer over length.
INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_PATID, APMT_DATE, APMT_KIND, APMT_CODE, APMT_DESCRIP, APMT_SOURCE, APMT_METHOD, APMT_AMOUNT, APMT_PRODUCER, APMT_DEL_DATE) VALUES (1, 1, 1, 20261210, 'P', 'CHQ', 'Chèque', 'P', 'Q', 10000, 'D01', 0);
INSERT INTO ACCPMT (APMT_ID) VALUES (2);
INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_PATID, APMT_DATE, APMT_KIND, APMT_AMOUNT, APMT_PRODUCER, APMT_DEL_DATE) VALUES (3, 1, 1, 20261211, 'A', -3000, 'D01', 0);
INSERT INTO ACCPMT (APMT_ID, APMT_ACCID, APMT_PATID, APMT_DATE, APMT_KIND, APMT_SOURCE, APMT_METHOD, APMT_AMOUNT, APMT_PRODUCER, APMT_DEL_DATE) VALUES (4, 1, 1, 20261211, 'P', 'P', 'C', 2000, 'D0123', 0);
-- Office charges: -$25.00 for D01 (a credit); one for a patient that does
-- not exist, no producer.
INSERT INTO PATOCH VALUES (1, 1, 20261211, 1, 'FRAIS', 'Frais', -2500, 'D01', 0);
INSERT INTO PATOCH (POCH_ID, POCH_PATID, POCH_DATE, POCH_AMOUNT, POCH_DEL_DATE) VALUES (2, 999, 20261211, 1500, 0);

-- --- goals ---------------------------------------------------------------------
-- 1 D01 2026: only December given (the other months NULL, read as 0);
-- 2 H01 with a NULL year; 3 no producer; 4 a producer over its length
-- ('D0123' is no producer's: the report leaves it, the editor shows it cut
-- to 'D01'); 5 the practice goal '*' negative; 6 a negative year; 7 a year
-- of five digits.
INSERT INTO GOALS (GOALS_ID, GOAL_CHGDATE, GOAL_PROD, GOAL_YEAR, GOAL_DEC) VALUES (1, 0, 'D01', 2026, 50000);
INSERT INTO GOALS (GOALS_ID, GOAL_PROD) VALUES (2, 'H01');
INSERT INTO GOALS (GOALS_ID, GOAL_YEAR, GOAL_DEC) VALUES (3, 2026, 1000);
INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_DEC) VALUES (4, 'D0123', 2026, 70000);
INSERT INTO GOALS VALUES (5, 0, '*', 2026, -100, -100, -100, -100, -100, -100, -100, -100, -100, -100, -100, -100);
INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_DEC) VALUES (6, 'D01', -2026, 30000);
INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_DEC) VALUES (7, 'D01', 20261, 40000);

-- --- audit trail -------------------------------------------------------------
-- Schedule rows (missed appointments): 101 a no-show of D01 on Monday,
-- chair 1, 6 slots; 102 field info 1 NULL; 103 field info 1 cut short;
-- 104 a cancellation whose chair digits are letters; 105 a no-show for a
-- producer that does not exist; 106 (archive) a no-show on Tuesday whose
-- field info 1 is over its length.
INSERT INTO AUDITFIL VALUES (101, 'S', 'N', 0, 'anne', 20261207, 100000, 'PATAPT', '', '', 'ND01A0120261207090006R  NN', 'EXA', '');
INSERT INTO AUDITFIL (AUD_ID, AUD_TYPE, AUD_ACTION, AUD_DATE, AUD_FLD_NAME1) VALUES (102, 'S', 'C', 20261207, 'PATAPT');
INSERT INTO AUDITFIL VALUES (103, 'S', 'U', 0, 'anne', 20261207, 100500, 'PATAPT', '', '', 'UD01', NULL, NULL);
INSERT INTO AUDITFIL VALUES (104, 'S', 'C', 0, 'anne', 20261207, 101000, 'PATAPT', '', '', 'CD01AXY20261207090006R  NN', 'EXA', '');
INSERT INTO AUDITFIL VALUES (105, 'S', 'N', 0, 'anne', 20261207, 101500, 'PATAPT', '', '', 'NZZZA0120261207090006R  NN', 'EXA', '');
INSERT INTO AUDHIS VALUES (106, 'S', 'N', 0, 'anne', 20261208, 90000, 'PATAPT', '', '', 'ND01A0120261208090006R  NN' || 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx', 'EXA', '');
-- Patient status changes: 201 patient 1 to inactive; 202 a patient that
-- does not exist; 203 no new status; 204 (archive) patient 3 closed.
INSERT INTO AUDITFIL VALUES (201, 'B', 'E', 1, 'anne', 20261220, 100000, 'PATSTATUS', '', '', 'I', '0', 'A');
INSERT INTO AUDITFIL VALUES (202, 'B', 'E', 999, 'anne', 20261220, 100100, 'PATSTATUS', '', '', 'C', '0', 'A');
INSERT INTO AUDITFIL VALUES (203, 'B', 'E', 1, 'anne', 20261220, 100200, 'PATSTATUS', '', '', NULL, NULL, NULL);
INSERT INTO AUDHIS VALUES (204, 'B', 'E', 3, 'anne', 20261221, 100000, 'PATSTATUS', '', '', 'C', '0', 'A');
-- Case acceptance: 210 planned treatment 50 created, 211 started; 212 a
-- treatment that does not exist; 213 treatment 52 (NULL producer and total);
-- 214 a proposal whose item number is not a number; 215 proposal item 60
-- created (negative total), 216 approved.
INSERT INTO AUDITFIL VALUES (210, 'T', 'A', 50, 'anne', 20261205, 100000, 'CLMTRT', '', '', 'P', '', '-');
INSERT INTO AUDITFIL VALUES (211, 'T', 'E', 50, 'anne', 20261212, 100000, 'CLMTRT', '', '', 'I', '', 'P');
INSERT INTO AUDITFIL VALUES (212, 'T', 'A', 51, 'anne', 20261205, 100100, 'CLMTRT', '', '', 'P', '', '-');
INSERT INTO AUDITFIL VALUES (213, 'T', 'A', 52, 'anne', 20261205, 100200, 'CLMTRT', '', '', 'P', '', '-');
INSERT INTO AUDITFIL VALUES (214, 'X', 'A', 1, 'anne', 20261205, 100300, 'TXPTRT', '', 'Plan', '', 'abc', '');
INSERT INTO AUDITFIL VALUES (215, 'X', 'A', 1, 'anne', 20261205, 100400, 'TXPTRT', '', 'Plan', '', '60', '');
INSERT INTO AUDITFIL VALUES (216, 'X', 'E', 1, 'anne', 20261213, 100000, 'TXPTRT', '', 'Plan', 'A', '60', '');
-- Other rows the audit lists describe: 301 NULL everywhere but the id and
-- the date; 302 a payment of a payment row that does not exist; 303 a
-- patient record that does not exist, texts over their lengths; 304 a time
-- of 99:99:99 and a negative record id; 305 no date (never in a period);
-- 306 an impossible date; 307 a user over its length.
INSERT INTO AUDITFIL (AUD_ID, AUD_DATE) VALUES (301, 20261214);
INSERT INTO AUDITFIL VALUES (302, 'P', 'A', 4242, 'anne', 20261214, 90000, 'ACCPMT', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (303, 'B', 'E', 999, 'anne', 20261214, 91000, 'PATIENT-TABLE-NAME-TOO-LONG-FOR-ITS-FIELD', '', '', 'Une information beaucoup trop longue pour ses cinquante caractères', '', '');
INSERT INTO AUDITFIL VALUES (304, 'N', 'A', -7, 'anne', 20261214, 999999, 'TXNOTE', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (305, 'B', 'E', 1, 'anne', NULL, 90000, 'PATIENT', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (306, 'B', 'E', 1, 'anne', 20261332, 90000, 'PATIENT', '', '', '', '', '');
INSERT INTO AUDITFIL VALUES (307, 'L', 'P', 0, 'administrateur', 20261214, 92000, 'RAPPORT', '', '', '', '', '');
