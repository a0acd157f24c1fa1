// The operations the program's run driver calls. An entry is wired here when
// its table download is built; an entry left empty makes the driver report
// the step as not available and the run fail.
#include "download/apg_dnl.h"
#include "download/apk_dnl.h"
#include "download/apl_dnl.h"
#include "download/app_dnl.h"
#include "download/ksg_dnl.h"
#include "download/prv_dnl.h"
#include "download/ubg_dnl.h"
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
