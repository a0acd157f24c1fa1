# Demo of the workplace group and workplace downloads (sourced by demo.sh).
say "workplace groups and workplaces before the run"
query "SELECT ApgApg, ApgBez, ApgFbe, ApgDna, ApgDwn FROM Kvs530Apg"
query "SELECT AplApl, AplBez, AplApg, AplFbe, AplDna, AplDwn FROM Kvs531Apl"
run DEMO Kvs530Apg
run DEMO Kvs531Apl
say "workplace groups and workplaces after the run (released or deleted)"
query "SELECT ApgApg, ApgBez, ApgFbe, ApgDna, ApgDwn FROM Kvs530Apg"
query "SELECT AplApl, AplBez, AplApg, AplFbe, AplDna, AplDwn FROM Kvs531Apl"
