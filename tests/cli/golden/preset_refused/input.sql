-- Presets written by an older version, or by hand.
INSERT INTO PRESETS (PRE_ID, PRE_ANALYSIS, PRE_NAME, PRE_PERIOD, PRE_KEYS) VALUES (1, 'audit', 'Vieux', 'last-month', 'AllModules=Y
SortKey=2');
INSERT INTO PRESETS (PRE_ID, PRE_ANALYSIS, PRE_NAME, PRE_FLAGS) VALUES (2, 'audit', 'Graphique', 'chart=4,1');
