-- Demo interruption reasons and personnel, marked for the download marker
-- DEMO in the three demo areas: new, changed and deleted rows, a reason and
-- a person waiting for another marker, a withdrawn leave (LOE with PrvAwa 2:
-- the person stays) and a person who leaves (LOE with PrvAwa 3: deleted).
INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgAst, UbgDna, UbgDwn, UbgSta,
                       UbgDat, UbgErf)
VALUES ('ST01', 1, 'FB01', 'Materialmangel', 'MAT', 0, 'NEU', 'DEMO', 0,
        '2024-03-01 08:00:00', 'demo'),
       ('ST02', 2, 'FB01', 'Werkzeugwechsel', 'WZW', 0, 'AEN', 'DEMO', 0,
        '2024-03-01 08:00:00', 'demo'),
       ('ST03', 1, 'FB02', 'Maschinenstoerung', 'STOER', 0, 'NEU', 'DEMO', 0,
        '2024-03-01 08:00:00', 'demo'),
       ('ST04', 2, 'FB03', 'Pause alt', NULL, 0, 'LOE', 'DEMO', 0,
        '2024-03-01 08:00:00', 'demo'),
       ('ST05', 1, 'FB02', 'Qualitaetspruefung', 'QS', 0, 'NEU', 'LATER', 0,
        '2024-03-01 08:00:00', 'demo'),
       ('ST06', 2, 'FB03', 'Reinigung', 'REIN', 0, NULL, NULL, 0,
        '2024-03-01 08:00:00', 'demo');

INSERT INTO Kvs510Prv (PrvPnr, PrvGvo, PrvGbi, PrvBer, PrvKst, PrvFbe, PrvMmb, PrvDna, PrvDwn,
                       PrvAwa, PrvAwn, PrvAnw, PrvAvn, PrvAbi, PrvApl, PrvApp, PrvSta, PrvDat,
                       PrvErf, PrvPzm, PrvNam, PrvStr, PrvOrt)
VALUES ('1001', '2020-01-01 00:00:00', NULL, 1, '4100', 'FB01', 0, 'NEU', 'DEMO',
        0, 'U1', 0, NULL, NULL, 0, 0, 0, '2024-03-01 08:00:00', 'demo', 0,
        'Maier, Anna', 'Hauptstrasse 1', 'Nordstadt'),
       ('1002', '2021-06-01 00:00:00', NULL, 2, '4200', 'FB02', 0, 'AEN', 'DEMO',
        0, 'U2', 0, NULL, NULL, 0, 0, 0, '2024-03-01 08:00:00', 'demo', 0,
        'Huber, Bernd', 'Ringweg 7', 'Suedheim'),
       ('1003', '2019-04-01 00:00:00', NULL, 1, '4710', 'FB03', 0, 'LOE', 'DEMO',
        2, 'URL', 1, '2024-03-04 06:00:00', '2024-03-08 14:00:00', 3, 4, 0,
        '2024-03-01 08:00:00', 'demo', 0, 'Kern, Clara', 'Am Bach 3', 'Suedheim'),
       ('1004', '2018-01-01 00:00:00', '2024-02-29 00:00:00', 2, '4200', 'FB02', 0, 'LOE',
        'DEMO', 3, NULL, 0, NULL, NULL, 0, 0, 0, '2024-03-01 08:00:00', 'demo', 0,
        'Lang, Dieter', 'Feldweg 12', 'Nordstadt'),
       ('1005', '2022-09-01 00:00:00', NULL, 1, '4100', 'FB01', 0, 'NEU', 'LATER',
        0, NULL, 0, NULL, NULL, 0, 0, 0, '2024-03-01 08:00:00', 'demo', 0,
        'Moser, Eva', 'Lindenallee 5', 'Nordstadt');
