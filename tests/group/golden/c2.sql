-- Clinic c2 keeps no goals: its production is measured against none. Its
-- hygienist H03 has no appointment in November 2026 (her time stays
-- available), so the group's usage is not any clinic's.
DELETE FROM GOALS;
DELETE FROM PATAPT WHERE PAPT_PRODUCER = 'H03' AND PAPT_DATE BETWEEN 20261101 AND 20261130;
