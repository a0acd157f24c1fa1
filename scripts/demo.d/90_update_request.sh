# Demo step (sourced by scripts/demo.sh): an update-request run. A user asks
# for the order headers and interruption reasons to be sent again; the run
# re-marks them (the re-marking takes its own full ranges, compared as text:
# order headers of status 7 or 9 stay as they are, reason codes beginning with a
# letter sort after "99999" and are not re-marked), sends them and the
# cost-centre list, and resets the request.
sqlite3 bde.db "DELETE FROM Kvs543Upd;
  INSERT INTO Kvs543Upd (UpdKey, UpdAkv, UpdAkb, UpdAav, UpdAab, UpdApv, UpdApb, UpdAlv, UpdAlb,
    UpdAgv, UpdAgb, UpdUgv, UpdUgb, UpdAuv, UpdAub, UpdPvv, UpdPvb, UpdKsv, UpdKsb, UpdDat, UpdErf)
  VALUES ('UPD', '000000000001', '999999999999', '            ', '            ', '     ', '     ',
    '          ', '          ', '          ', '          ', '0000 ', 'ZZZZ ', '     ', '     ',
    '        ', '        ', '1    ', '     ', '2024-01-01 00:00:00', 'meister');"
say "update request before the run"
query "SELECT UpdKey, '[' || UpdAkv || ']' AS UpdAkv, '[' || UpdUgv || ']' AS UpdUgv,
  '[' || UpdKsv || ']' AS UpdKsv, '[' || UpdAgv || ']' AS UpdAgv, UpdDat, UpdErf FROM Kvs543Upd"
run UPDDEMO
say "update request after the run: reset to blanks"
query "SELECT UpdKey, '[' || UpdAkv || ']' AS UpdAkv, '[' || UpdUgv || ']' AS UpdUgv,
  '[' || UpdKsv || ']' AS UpdKsv, '[' || UpdAgv || ']' AS UpdAgv, UpdDat, UpdErf FROM Kvs543Upd"
say "order headers and interruption reasons after the update-request run"
query "SELECT ApkApk, ApkSts, ApkDna, ApkDwn, ApkErf FROM Kvs501Apk"
query "SELECT UbgUbg, UbgDna, UbgDwn, UbgErf FROM Kvs521Ubg"
