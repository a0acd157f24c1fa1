-- Demo cost centres and production areas (type 1 areas receive the list).
INSERT INTO o1003Kststelle (KstNum, KstBez) VALUES
  ('4100', 'Dreherei'), ('4200', 'Fräserei'), ('4710', 'Montage');
INSERT INTO Kvs559Fbe (FbeFbe, FbeBez, FbeTyp) VALUES
  ('FB01', 'Halle 1', 1), ('FB02', 'Halle 2 Nord', 1), ('FB03', 'Halle 2 Süd', 2);
