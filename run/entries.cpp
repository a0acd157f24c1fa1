// The operations the program's run driver calls. An entry is wired here when
// its table download is built; an entry left empty makes the driver report
// the step as not available and the run fail.
#include "download/apg.h"
#include "download/apk.h"
#include "download/apl.h"
#include "download/app.h"
#include "download/ksg.h"
#include "download/prv.h"
#include "download/ubg.h"
#include "run/download_main.h"

const DownloadEntries kProgramEntries = {
    /*Apk_Dnl=*/Apk_Dnl,
    /*App_Dnl=*/App_Dnl,
    /*Apg_Dnl=*/Apg_Dnl,
    /*Apl_Dnl=*/Apl_Dnl,
    /*Ubg_Dnl=*/Ubg_Dnl,
    /*Prv_Dnl=*/Prv_Dnl,
    /*Ksg_Dnl=*/Ksg_Dnl,
    /*Auk_To_Apk=*/Auk_To_Apk,
    /*App_Sel=*/App_Sel,
    /*Apg_Sel=*/Apg_Sel,
    /*Apl_Sel=*/Apl_Sel,
    /*Ubg_Sel=*/Ubg_Sel,
    /*Prv_Sel=*/Prv_Sel,
    /*Upd_PKeyReadk=*/Upd_PKeyReadk,
    /*Upd_PKeyUpd=*/Upd_PKeyUpd,
};
