-- Demo production orders and their operations in areas FB01 to FB03, waiting
-- for download with the marker DEMO as new, changed or deleted rows, next to
-- rows that were downloaded before (no marker).
INSERT INTO Kvs501Apk (ApkApk, ApkBz1, ApkBz2, ApkTxt, ApkSts, ApkSis, ApkKun, ApkKb1, ApkBgs,
                       ApkEns, ApkAfo, ApkEaf, ApkTnr, ApkTb1, ApkTb2, ApkSme, ApkIme, ApkMee,
                       ApkBdi, ApkEdi, ApkFbe, ApkKst, ApkZf1, ApkZf2, ApkZf3, ApkKnz, ApkSsn,
                       ApkDna, ApkDwn, ApkSta, ApkDat, ApkErf, ApkAba)
VALUES
  ('000000004711', 'Antriebswelle', 'Serie 2024', 'AW-40', 3, 0, '1002003', 'Muster GmbH',
   '2024-03-07 00:00:00', '2024-03-21 00:00:00', 0, 0, 'AW-40-001', 'Welle 40mm', 'gehärtet',
   250, 0, 'STK', NULL, NULL, 'FB01', '4100', 'Los 1', '', '', 'N', 0, 'NEU', 'DEMO', 0,
   '2024-03-06 16:12:00', 'planung', 0),
  ('000000004712', 'Getriebegehäuse', 'Nachserie', 'GG-7', 10, 0, '1002004', 'Beispiel AG',
   '2024-03-04 00:00:00', '2024-03-15 00:00:00', 2, 0, 'GG-7-010', 'Gehäuse', 'Guss',
   -12.5, 37.5, 'STK', '2024-03-04 06:00:00', NULL, 'FB02', '4200', 'Eilauftrag', 'Termin halten',
   '', 'J', 0, 'AEN', 'DEMO', 0, '2024-03-06 16:15:00', 'planung', 0),
  ('000000004713', 'Flansch', 'storniert', 'FL-1', 9, 0, '1002005', 'Muster GmbH',
   '2024-03-11 00:00:00', NULL, 1, 0, 'FL-1-002', 'Flansch DN50', '', 80, 0, 'STK',
   NULL, NULL, 'FB03', '4710', '', '', '', 'N', 0, 'LOE', 'DEMO', 0, '2024-03-06 16:20:00',
   'planung', 0),
  ('000000004714', 'Lagerbock', 'fertig', 'LB-3', 7, 0, '1002003', 'Muster GmbH',
   '2024-02-19 00:00:00', '2024-02-23 00:00:00', 1, 1, 'LB-3-001', 'Lagerbock', '', 40, 40,
   'STK', '2024-02-19 06:00:00', '2024-02-22 14:30:00', 'FB01', '4100', '', '', '', 'N', 0,
   NULL, NULL, 0, '2024-02-22 14:30:00', 'bde', 0);

INSERT INTO Kvs504App (AppApk, AppApp, AppVaf, AppNaf, AppBz1, AppBz2, AppTxt, AppSts, AppSis,
                       AppBds, AppEds, AppAgs, AppAbs, AppAes, AppSme, AppIme, AppAme, AppMee,
                       AppSza, AppStr, AppSte, AppApg, AppApl, AppFbe, AppKst, AppZf1, AppZf2,
                       AppZf3, AppKnz, AppDna, AppDwn, AppSsn, AppSta, AppDat, AppErf)
VALUES
  ('000000004711', '00010', '00000', '00020', 'Drehen', 'Außendurchmesser', 'D1', 3, 0,
   '2024-03-07 00:00:00', '2024-03-12 00:00:00', 0, 0, 0, 250, 0, 0, 'STK', 0.5, 1.25, 0.75,
   'DREH', 'DREH-01', 'FB01', '4100', '', '', '', 'N', 'NEU', 'DEMO', 0, 0,
   '2024-03-06 16:12:00', 'planung'),
  ('000000004711', '00020', '00010', '00000', 'Schleifen', 'Lagersitze', 'S1', 3, 0,
   '2024-03-13 00:00:00', '2024-03-21 00:00:00', 0, 0, 0, 250, 0, 0, 'STK', 0.25, 2.5, 1,
   'SCHL', NULL, 'FB01', '4100', '', '', '', 'N', 'NEU', 'DEMO', 0, 0,
   '2024-03-06 16:12:00', 'planung'),
  ('000000004712', '00010', '00000', '00020', 'Fräsen', 'Dichtflächen', 'F1', 10, 0,
   '2024-03-04 00:00:00', '2024-03-08 00:00:00', 0, 0, 0, 40, 12, 0, 'STK', 1.5, 3.25, 0.5,
   'FRAES', 'FRAES-02', 'FB02', '4200', 'Eilt', '', '', 'N', 'AEN', 'DEMO', 0, 0,
   '2024-03-06 16:15:00', 'planung'),
  ('000000004712', '00020', '00010', '00030', 'Bohren', 'entfällt', 'B1', 3, 0,
   '2024-03-08 00:00:00', '2024-03-11 00:00:00', 0, 0, 0, 40, 0, 0, 'STK', 0, 0.75, 0,
   'BOHR', NULL, 'FB02', '4200', '', '', '', 'N', 'LOE', 'DEMO', 0, 0,
   '2024-03-06 16:15:00', 'planung'),
  ('000000004712', '00030', '00010', '00000', 'Montage', 'Lager einpressen', 'M1', 3, 0,
   '2024-03-11 00:00:00', '2024-03-15 00:00:00', 0, 0, 0, 40, 0, 0, 'STK', 2, 0.5, 0.25,
   'MONT', NULL, 'FB03', '4710', '', '', '', 'N', 'NEU', 'DEMO', 0, 0,
   '2024-03-06 16:15:00', 'planung'),
  ('000000004714', '00010', '00000', '00000', 'Fräsen', 'komplett', 'F1', 7, 0,
   '2024-02-19 00:00:00', '2024-02-22 00:00:00', 0, 0, 0, 40, 40, 0, 'STK', 1, 1.5, 0.5,
   'FRAES', 'FRAES-01', 'FB01', '4100', '', '', '', 'N', NULL, NULL, 0, 0,
   '2024-02-22 14:30:00', 'bde');
