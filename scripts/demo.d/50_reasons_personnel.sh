# Demo step (sourced by scripts/demo.sh): interruption reasons and personnel
# marked DEMO are sent and released; rows marked LATER stay.
say "interruption reasons before the run"
query "SELECT UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgDna, UbgDwn FROM Kvs521Ubg"
run DEMO Kvs521Ubg
say "interruption reasons after the run"
query "SELECT UbgUbg, UbgFbe, UbgDna, UbgDwn, UbgDat FROM Kvs521Ubg"

say "personnel before the run"
query "SELECT PrvPnr, PrvBer, PrvKst, PrvFbe, PrvDna, PrvDwn, PrvAwa, PrvAwn, PrvAvn FROM Kvs510Prv"
run DEMO Kvs510Prv
say "personnel after the run"
query "SELECT PrvPnr, PrvGvo, PrvFbe, PrvDna, PrvDwn, PrvAwn, PrvAvn, PrvAnw FROM Kvs510Prv"
