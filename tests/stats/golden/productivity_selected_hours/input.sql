-- The small practice of the productivity cases (Monday 30 November to Saturday
-- 12 December 2026), as in tests/appt/golden/practice.sql.
-- Office: Monday-Friday 08:00-12:00 and 13:00-17:00, Saturday 09:00-12:00,
-- Sunday closed; scheduler unit 15 minutes, 10 from 1 December 2026.
INSERT INTO SCHEDULR (SCHD_ID, SCHD_UNIT, SCHD_UNIT_DATE, SCHD_OLD_UNIT, SCHD_DAY_START) VALUES (1, 10, 20261201, 15, 60000);
INSERT INTO OFFHOURS VALUES (0, '', '', '', '', '', '');
INSERT INTO OFFHOURS VALUES (1, '08:00', '12:00', '13:00', '17:00', '', '');
INSERT INTO OFFHOURS VALUES (2, '08:00', '12:00', '13:00', '17:00', '', '');
INSERT INTO OFFHOURS VALUES (3, '08:00', '12:00', '13:00', '17:00', '', '');
INSERT INTO OFFHOURS VALUES (4, '08:00', '12:00', '13:00', '17:00', '', '');
INSERT INTO OFFHOURS VALUES (5, '08:00', '12:00', '13:00', '17:00', '', '');
INSERT INTO OFFHOURS VALUES (6, '09:00', '12:00', '', '', '', '');
INSERT INTO LOCATION (LOC_ID, LOC_CODE, LOC_NAME) VALUES (1, 'A', 'Clinique'), (2, 'B', 'Succursale');
-- Chairs: A01 of D01, A02 of D02, A05 shared by the hygienists, B105 of D01
-- (three-digit number), A30 in no schedule.
INSERT INTO CHAIR (CHR_ID, CHR_LOC, CHR_IDNO, CHR_TITLE, CHR_SHARED, CHR_PRODUCER, CHR_INACTIVE) VALUES
  (1, 'A', 1, 'Salle 1', 'N', 'D01', 'N'), (2, 'A', 2, 'Salle 2', 'N', 'D02', 'N'),
  (3, 'A', 5, 'Hygiène', 'Y', '', 'N'), (4, 'B', 105, 'B-Salle', 'N', 'D01', 'N'),
  (5, 'A', 30, 'Réserve', 'Y', '', 'N');
INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, PROD_INACTIVE, PROD_LOC) VALUES
  (1, 'D01', 'Luc', 'Côté', 'D', 'N', 'A'), (2, 'D02', 'Anne', 'O''Brien', 'D', 'N', 'A'),
  (3, 'H01', 'Julie', 'Roy', 'H', 'N', 'A'), (4, 'H02', 'Marie', 'Gagnon', 'H', 'N', 'A'),
  (5, 'Z09', 'Paul', 'Ancien', 'D', 'Y', 'A');
INSERT INTO PRDSCH (PSCH_ID, PSCH_PROD, PSCH_EFF_DATE, PSCH_CHAIRS) VALUES
  (1, 'D01', 20250101, '1,105'), (2, 'D02', 20250101, '2'), (3, 'H01', 20250101, '5'),
  (4, 'H02', 20250101, '5'), (5, 'Z09', 20250101, '30');
-- D01: chair 1 mornings Monday to Thursday and Tuesday afternoon on B105 at
-- the same time as chair 1 on Tuesday morning (10:00-12:00 counted once);
-- D02: chair 2 afternoons; H01 chair 5 mornings, H02 chair 5 afternoons.
INSERT INTO PRDSCHD (PSD_ID, PSD_SCHID, PSD_PROD, PSD_DOW, PSD_CHAIR, PSD_LOC, PSD_START, PSD_END) VALUES
  (1, 1, 'D01', 1, 1, 'A', 80000, 120000), (2, 1, 'D01', 2, 1, 'A', 80000, 120000),
  (3, 1, 'D01', 3, 1, 'A', 80000, 120000), (4, 1, 'D01', 4, 1, 'A', 80000, 120000),
  (5, 1, 'D01', 2, 105, 'B', 100000, 170000),
  (6, 2, 'D02', 1, 2, 'A', 130000, 170000), (7, 2, 'D02', 2, 2, 'A', 130000, 170000),
  (8, 2, 'D02', 3, 2, 'A', 130000, 170000), (9, 2, 'D02', 4, 2, 'A', 130000, 170000),
  (10, 2, 'D02', 5, 2, 'A', 80000, 120000),
  (11, 3, 'H01', 1, 5, 'A', 80000, 120000), (12, 3, 'H01', 3, 5, 'A', 80000, 120000),
  (13, 3, 'H01', 5, 5, 'A', 80000, 120000),
  (14, 4, 'H02', 1, 5, 'A', 130000, 170000), (15, 4, 'H02', 3, 5, 'A', 130000, 170000),
  (16, 5, 'Z09', 1, 30, 'A', 80000, 120000);
-- Calendar: Saturday clinic of D01 on chair 1 (5 December, 09:00-15:00),
-- H01 on vacation on 9 December, chair 2 out of service on 10 December,
-- the office closed on 11 December (a holiday).
INSERT INTO CALDAT (CALD_ID, CALD_DATE, CALD_LOC, CALD_CHAIR, CALD_PROD, CALD_KIND, CALD_START, CALD_END, CALD_DESC) VALUES
  (1, 20261205, 'A', 1, 'D01', 'O', 90000, 150000, 'Clinique du samedi'),
  (2, 20261209, '*', 0, 'H01', 'C', 0, 0, 'Vacances'),
  (3, 20261210, 'A', 2, '', 'C', 0, 0, 'Entretien du fauteuil'),
  (4, 20261211, '*', 0, '', 'C', 0, 0, 'Congé');
INSERT INTO MCBCD (MCB_ID, MCB_CODE, MCB_DESCRIPTION, MCB_LENGTH, MCB_FEE) VALUES
  (1, 'DET', 'Détartrage', 9, 9500), (2, 'EXA', 'Examen', 6, 8000), (3, 'URG', 'Urgence', 3, 4000);
INSERT INTO APTCODE (APCD_ID, APCD_CODE, APCD_DESC, APCD_COLOR) VALUES
  (1, 'H', 'Hygiène', 0), (2, 'R', 'Régulier', 0);
-- Appointments (id, patient, date, time, slots, producer, chair, location,
-- status, type, code, fee, deleted).
INSERT INTO PATAPT (PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_TIME, PAPT_LENGTH, PAPT_PRODUCER, PAPT_CHAIR, PAPT_LOC, PAPT_STATUS, PAPT_TYPE, PAPT_CODE, PAPT_FEE, PAPT_DELDATE) VALUES
  (1, 1, 20261130, 80000, 6, 'D01', 1, 'A', 'B', 'R', 'EXA', 8000, 0),
  (2, 2, 20261130, 90000, 7, 'D01', 1, 'A', 'B', 'R', 'URG', 4500, 0),
  (3, 3, 20261130, 130000, 9, 'D02', 2, 'A', 'B', 'R', 'EXA', 8000, 0),
  (4, 4, 20261130, 80000, 9, 'H01', 5, 'A', 'B', 'H', 'DET', 9500, 0),
  (5, 5, 20261130, 140000, 6, 'D02', 2, 'A', 'N', 'R', 'EXA', 8000, 0),
  (6, 6, 20261201, 80000, 7, 'D01', 1, 'A', 'B', 'R', 'EXA', 8000, 0),
  (7, 7, 20261201, 140000, 12, 'D01', 105, 'B', 'B', 'R', 'DET', 12000, 0),
  (8, 8, 20261201, 130000, 6, 'D02', 2, 'A', 'B', 'R', 'EXA', 8000, 20261130),
  (9, 9, 20261202, 80000, 9, 'H01', 5, 'A', 'B', 'H', 'DET', 9500, 0),
  (10, 10, 20261202, 130000, 9, 'H02', 5, 'A', 'B', 'H', 'DET', 9500, 0),
  (11, 11, 20261203, 150000, 6, 'D02', 2, 'A', 'B', 'R', 'URG', 6000, 0),
  (12, 12, 20261205, 93000, 18, 'D01', 1, 'A', 'B', 'R', 'EXA', 20000, 0),
  (13, 13, 20261207, 80000, 6, 'D01', 1, 'A', 'B', 'R', 'EXA', 8000, 0),
  (14, 14, 20261207, 130000, 6, 'Z09', 30, 'A', 'B', 'R', 'EXA', 8000, 0),
  (15, 15, 20261209, 80000, 9, 'H02', 5, 'A', 'B', 'H', 'DET', 9500, 0),
  (16, 16, 20261212, 100000, 3, 'D02', 2, 'A', 'B', 'R', 'URG', 3000, 0);
-- Missed appointments: the schedule audit rows. 30 November and 7 December
-- in the current table; 2 December only in the archive (its chair-105 row in
-- the three-digit layout); 3 December in both (the archive is not read).
INSERT INTO AUDITFIL (AUD_ID, AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_USER, AUD_DATE, AUD_TIME, AUD_FLD_NAME1, AUD_FLD_NAME2, AUD_FLD_NAME3, AUD_FLD_INFO1, AUD_FLD_INFO2, AUD_FLD_INFO3) VALUES
  (1, 'S', 'N', 5, 'anne', 20261130, 150000, 'PATAPT', '', '', 'ND02A0220261130140006R  NN', 'EXA', ''),
  (2, 'S', 'C', 0, 'anne', 20261130, 160000, 'PATAPT', '', '', 'CH01A0520261207080009H  NN', 'DET', ''),
  (3, 'S', 'A', 0, 'anne', 20261130, 160000, 'PATAPT', '', '', 'BD01A0120261207080006R  NN', 'EXA', ''),
  (4, 'S', 'U', 0, 'marc', 20261203, 90000, 'PATAPT', '', '', 'UD01A0120261203080006R  NN', 'EXA', ''),
  (5, 'S', 'N', 0, 'marc', 20261207, 90000, 'PATAPT', '', '', 'NH02A0520261207130009H  NN', 'DET', ''),
  (6, 'B', 'N', 0, 'marc', 20261207, 90000, 'PATIENT', '', '', 'A', '', '');
INSERT INTO AUDHIS (AUDH_ID, AUDH_TYPE, AUDH_ACTION, AUDH_RECID, AUDH_USER, AUDH_DATE, AUDH_TIME, AUDH_FLD_NAME1, AUDH_FLD_NAME2, AUDH_FLD_NAME3, AUDH_FLD_INFO1, AUDH_FLD_INFO2, AUDH_FLD_INFO3) VALUES
  (1, 'S', 'C', 0, 'anne', 20261202, 90000, 'PATAPT', '', '', 'CD01B10520261202140012R  NN', 'DET', ''),
  (2, 'S', 'N', 0, 'anne', 20261202, 90000, 'PATAPT', '', '', 'NH01A0520261202090006H  NN', 'EXA', ''),
  (3, 'S', 'C', 0, 'anne', 20261203, 90000, 'PATAPT', '', '', 'CD02A0220261203130006R  NN', 'EXA', '');
-- Completed treatments: the net fees.
INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_PATID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_FEE, CTRT_TOTAL, CTRT_DEL_DATE) VALUES
  (1, 1, 1, 20261130, 'C', 'D01', 8000, 8000, 0), (2, 2, 3, 20261130, 'C', 'D02', 7500, 7500, 0),
  (3, 3, 6, 20261201, 'C', 'D01', 20000, 20000, 0), (4, 4, 9, 20261202, 'C', 'H01', 9500, 9500, 0),
  (5, 5, 12, 20261205, 'C', 'D01', 15000, 15000, 0);
