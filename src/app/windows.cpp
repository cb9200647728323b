#include "app/windows.h"

#include "app/uMain.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "log/uProtocolWindow.h"

TForm1* Form1 = nullptr;
TFrm_BSDLFile* Frm_BSDLFile = nullptr;
TFrm_Protocol* Frm_Protocol = nullptr;

TApplicationWindows::TApplicationWindows(THost& host) {
  Form1 = new TForm1(host);
  Form1->FormCreate();
  Frm_BSDLFile = new TFrm_BSDLFile(host);
  Frm_Protocol = new TFrm_Protocol(host);
}

TApplicationWindows::~TApplicationWindows() {
  delete Frm_Protocol;
  Frm_Protocol = nullptr;
  delete Frm_BSDLFile;
  Frm_BSDLFile = nullptr;
  delete Form1;
  Form1 = nullptr;
}
