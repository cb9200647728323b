#pragma once
// The program's three windows, each created once at start and living to the end.
// These three globals are the program's only global state.

class THost;
class TForm1;
class TFrm_BSDLFile;
class TFrm_Protocol;

extern TForm1* Form1;
extern TFrm_BSDLFile* Frm_BSDLFile;
extern TFrm_Protocol* Frm_Protocol;

// Creates the three windows in the start-up order (the main window, whose creation
// runs FormCreate, then the BSDL interpreter window, then the protocol window) and
// publishes them in the globals; destroys them and clears the globals at the end.
// One instance lives for the program run (a test makes one per test).
class TApplicationWindows {
 public:
  explicit TApplicationWindows(THost& host);
  ~TApplicationWindows();
  TApplicationWindows(const TApplicationWindows&) = delete;
  TApplicationWindows& operator=(const TApplicationWindows&) = delete;

  TForm1& Main() { return *Form1; }
  TFrm_BSDLFile& BSDL() { return *Frm_BSDLFile; }
  TFrm_Protocol& Protocol() { return *Frm_Protocol; }
};
