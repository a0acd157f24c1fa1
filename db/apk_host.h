// Order headers: the columns that the download cursor (db/apk_dnl.cpp), the
// key-range cursor and the read (db/apk_std.cpp) all fetch, copied from a
// module's host variables into the caller's row. The modules' host variables
// differ only in the width of some integers, hence the template.
#pragma once

#include "db/apk.h"
#include "support/text.h"

// Every column but ApkDat and ApkAba, which the statements fetch differently.
template <class Host>
void Apk_TakeColumns(ApkRow* row, const Host& h) {
  CopyText(row->ApkApk, h.ApkApk);
  CopyText(row->ApkBz1, h.ApkBz1);
  CopyText(row->ApkBz2, h.ApkBz2);
  CopyText(row->ApkTxt, h.ApkTxt);
  row->ApkSts = h.ApkSts;
  row->ApkSis = h.ApkSis;
  CopyText(row->ApkKun, h.ApkKun);
  CopyText(row->ApkKb1, h.ApkKb1);
  CopyText(row->ApkKb2, h.ApkKb2);
  CopyText(row->ApkBgs, h.ApkBgs);
  CopyText(row->ApkEns, h.ApkEns);
  row->ApkAfo = h.ApkAfo;
  row->ApkEaf = h.ApkEaf;
  CopyText(row->ApkTnr, h.ApkTnr);
  CopyText(row->ApkTb1, h.ApkTb1);
  CopyText(row->ApkTb2, h.ApkTb2);
  row->ApkSme = h.ApkSme;
  row->ApkIme = h.ApkIme;
  CopyText(row->ApkMee, h.ApkMee);
  CopyText(row->ApkBdiDate, h.ApkBdiDate);
  CopyText(row->ApkBdiTime, h.ApkBdiTime);
  CopyText(row->ApkEdiDate, h.ApkEdiDate);
  CopyText(row->ApkEdiTime, h.ApkEdiTime);
  CopyText(row->ApkFbe, h.ApkFbe);
  CopyText(row->ApkKst, h.ApkKst);
  CopyText(row->ApkZf1, h.ApkZf1);
  CopyText(row->ApkZf2, h.ApkZf2);
  CopyText(row->ApkZf3, h.ApkZf3);
  CopyText(row->ApkKnz, h.ApkKnz);
  row->ApkSsn = h.ApkSsn;
  CopyText(row->ApkDna, h.ApkDna);
  CopyText(row->ApkDwn, h.ApkDwn);
  row->ApkSta = h.ApkSta;
  CopyText(row->ApkErf, h.ApkErf);
}
