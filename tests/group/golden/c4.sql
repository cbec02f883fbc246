-- Clinic c4 has lost its archived audit trail (a damaged schema).
DROP TABLE AUDHIS;
