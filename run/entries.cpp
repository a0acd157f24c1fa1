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

// The request's fields, by table.
#define FIELD(f) [](UpdateRequest& q) -> char* { return q.f; }

const DownloadEntries kProgramEntries = {
    .tables =
        {
            {.keyword = "Kvs501Apk", .dnl_name = "Apk_Dnl", .dnl = Apk_Dnl,
             .sel_name = "Auk_To_Apk", .sel = Auk_To_Apk, .op_sel = nullptr,
             .from = FIELD(UpdAkv), .to = FIELD(UpdAkb), .op_from = nullptr, .op_to = nullptr,
             .width = 12},
            // The operations' re-marking takes four fields: order numbers and
            // operation numbers.
            {.keyword = "Kvs504App", .dnl_name = "App_Dnl", .dnl = App_Dnl, .sel_name = "App_Sel",
             .sel = nullptr, .op_sel = App_Sel, .from = FIELD(UpdAav), .to = FIELD(UpdAab),
             .op_from = FIELD(UpdApv), .op_to = FIELD(UpdApb), .width = 12},
            {.keyword = "Kvs530Apg", .dnl_name = "Apg_Dnl", .dnl = Apg_Dnl, .sel_name = "Apg_Sel",
             .sel = Apg_Sel, .op_sel = nullptr, .from = FIELD(UpdAgv), .to = FIELD(UpdAgb),
             .op_from = nullptr, .op_to = nullptr, .width = 10},
            {.keyword = "Kvs531Apl", .dnl_name = "Apl_Dnl", .dnl = Apl_Dnl, .sel_name = "Apl_Sel",
             .sel = Apl_Sel, .op_sel = nullptr, .from = FIELD(UpdAlv), .to = FIELD(UpdAlb),
             .op_from = nullptr, .op_to = nullptr, .width = 10},
            {.keyword = "Kvs521Ubg", .dnl_name = "Ubg_Dnl", .dnl = Ubg_Dnl, .sel_name = "Ubg_Sel",
             .sel = Ubg_Sel, .op_sel = nullptr, .from = FIELD(UpdUgv), .to = FIELD(UpdUgb),
             .op_from = nullptr, .op_to = nullptr, .width = 5},
            {.keyword = "Kvs510Prv", .dnl_name = "Prv_Dnl", .dnl = Prv_Dnl, .sel_name = "Prv_Sel",
             .sel = Prv_Sel, .op_sel = nullptr, .from = FIELD(UpdPvv), .to = FIELD(UpdPvb),
             .op_from = nullptr, .op_to = nullptr, .width = 8},
            // The cost-centre list has no re-marking.
            {.keyword = "Kvs537Ksg", .dnl_name = "Ksg_Dnl", .dnl = Ksg_Dnl, .sel_name = nullptr,
             .sel = nullptr, .op_sel = nullptr, .from = FIELD(UpdKsv), .to = FIELD(UpdKsb),
             .op_from = nullptr, .op_to = nullptr, .width = 5},
        },
    .Upd_PKeyReadk = Upd_PKeyReadk,
    .Upd_PKeyUpd = Upd_PKeyUpd,
};
