# Demo of the order header and order operation downloads (sourced by demo.sh).
say "order headers and operations before the run"
query "SELECT ApkApk, ApkBz1, ApkFbe, ApkSts, ApkAfo, ApkDna, ApkDwn FROM Kvs501Apk"
query "SELECT AppApk, AppApp, AppBz1, AppFbe, AppSts, AppDna, AppDwn FROM Kvs504App"
run DEMO Kvs501Apk
run DEMO Kvs504App
say "after the run: released or deleted, operation counts (ApkAfo) updated"
query "SELECT ApkApk, ApkBz1, ApkFbe, ApkSts, ApkAfo, ApkDna, ApkDwn FROM Kvs501Apk"
query "SELECT AppApk, AppApp, AppBz1, AppFbe, AppSts, AppDna, AppDwn FROM Kvs504App"
