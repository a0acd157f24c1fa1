-- Demo workplace groups and workplaces in the areas FB01 to FB03, with the
-- cost-centre assignments that make the groups current (valid since 2020,
-- open-ended). Marked with DEMO: new, changed and deleted rows; group 4000
-- and workplace 4001 are not marked and are not sent.
INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgFbe, KsgKst, KsgSta, KsgErf) VALUES
  ('1000', '2020-01-01 00:00:00', NULL, 'FB01', '4100', 0, 'demo'),
  ('2000', '2020-01-01 00:00:00', NULL, 'FB02', '4200', 0, 'demo'),
  ('3000', '2020-01-01 00:00:00', NULL, 'FB03', '4710', 0, 'demo'),
  ('4000', '2020-01-01 00:00:00', NULL, 'FB01', '4100', 0, 'demo');

INSERT INTO Kvs530Apg (ApgApg, ApgBez, ApgTxt, ApgKst, ApgFbe, ApgZf1, ApgZf2, ApgZf3, ApgApl,
                       ApgTag, ApgKap, ApgDna, ApgDwn, ApgSta, ApgDat, ApgErf) VALUES
  ('1000', 'Dreherei', 'Drehen', '4100', 'FB01', 'Schicht 1', 'Meister Halle 1', NULL, 2, 5,
   16.0, 'NEU', 'DEMO', 0, '2024-01-15 08:00:00', 'demo'),
  ('2000', 'Fräserei', 'Fräsen', '4200', 'FB02', NULL, NULL, NULL, 1, 5, 8.0, 'AEN', 'DEMO', 0,
   '2024-01-15 08:00:00', 'demo'),
  ('3000', 'Montage alt', 'Montage', '4710', 'FB03', NULL, NULL, NULL, 1, 5, 8.0, 'LOE', 'DEMO',
   0, '2024-01-15 08:00:00', 'demo'),
  ('4000', 'Lager', 'Lager', '4100', 'FB01', NULL, NULL, NULL, 1, 5, 8.0, NULL, NULL, 0,
   '2024-01-15 08:00:00', 'demo');

INSERT INTO Kvs531Apl (AplApl, AplBez, AplTxt, AplApg, AplFbe, AplSts, AplSis, AplApr, AplAaf,
                       AplUbg, AplUdt, AplZf1, AplZf2, AplZf3, AplTag, AplKap, AplDna, AplDwn,
                       AplSta, AplDat, AplErf) VALUES
  ('1001', 'Drehbank 1', 'DB1', '1000', 'FB01', 1, 0, 2, 0, NULL, '2024-01-15 06:00:00',
   'CNC', NULL, NULL, 5, 8.0, 'NEU', 'DEMO', 0, '2024-01-15 08:00:00', 'demo'),
  ('1002', 'Drehbank 2', 'DB2', '1000', 'FB01', 0, 0, 1, 0, NULL, NULL, NULL, NULL, NULL, 5,
   8.0, 'AEN', 'DEMO', 0, '2024-01-15 08:00:00', 'demo'),
  ('2001', 'Fräse 1', 'FR1', '2000', 'FB02', 1, 0, 1, 0, NULL, NULL, NULL, NULL, NULL, 5, 8.0,
   'NEU', 'DEMO', 0, '2024-01-15 08:00:00', 'demo'),
  ('3001', 'Montageplatz alt', 'MP1', '3000', 'FB03', 0, 0, 1, 0, NULL, NULL, NULL, NULL,
   NULL, 5, 8.0, 'LOE', 'DEMO', 0, '2024-01-15 08:00:00', 'demo'),
  ('4001', 'Regal', 'RG1', '4000', 'FB01', 0, 0, 0, 0, NULL, NULL, NULL, NULL, NULL, 5, 8.0,
   NULL, NULL, 0, '2024-01-15 08:00:00', 'demo');
