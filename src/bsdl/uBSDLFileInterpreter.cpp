#include "bsdl/uBSDLFileInterpreter.h"

#include "app/THost.h"

TFrm_BSDLFile::TFrm_BSDLFile(THost& host)
    : TForm("Frm_BSDLFile", "BSDL File Interpreter", 480, 117, 760, 510), host_(host) {
  SetVisible(false);
  BtSearchBSDL.SetHint("search");
  ListBoundaryScanCells.SetHint("Set / Clear Value");
  ListBoundaryScanCells.Columns = {
      {"Num", 0},   {"Cell Type", 100}, {"Port", 60}, {"Function", 60}, {"Safe", 0},
      {"CCell", 0}, {"Disval", 0},      {"Rslt", 0},  {"Value", 0},     {"Direction", 0}};
}
