#pragma once
// The BSDL interpreter window: the BSDL model (cells, instructions, IR length), the
// cell list that every pin operation uses, search and manual toggling.

#include <string>
#include <string_view>
#include <vector>

#include "bsdl/bsdl_types.h"
#include "controls/controls.h"

class THost;

// Columns of the cell list: the row caption, then sub-items 0 to 8.
enum TCellColumn : int {
  colCellType = 0,
  colPort = 1,
  colFunction = 2,
  colSafe = 3,
  colCCell = 4,
  colDisval = 5,
  colRslt = 6,
  colValue = 7,
  colDirection = 8,
};

class TFrm_BSDLFile : public TForm {
 public:
  explicit TFrm_BSDLFile(THost& host);

  THost& Host() { return host_; }

  // The BSDL model, replaced by every parse.
  std::vector<TBScan_Cell> Cells;
  std::vector<TBScan_InstructionRegister> Instructions;
  int32_t IRLength = 0;
  std::string BSDLFileName;

  // Reads the file and parses it into Cells, Instructions and IRLength, logging through
  // AddToProtocol. Throws EPinloomError with the system's message when the file cannot
  // be read or the parse stops; the results then hold what was stored before.
  void ParseBSDLFile(const std::string& path);
  // Parses the file and refills the cell list. False, with nothing else done, when no
  // file exists at the path. A parse error passes through after Cells and the cell list
  // have been emptied (so that the two never disagree).
  bool InterpretBSDLFile(const std::string& path);

  // Handlers.
  void BtSearchBSDLClick();
  void txt_signal_nameKeyUp(int key);
  void ListBoundaryScanCellsDblClick();

  // Controls.
  TControl sPanel1{"sPanel1"};
  TEdit txt_signal_name{"txt_signal_name"};
  TButton BtSearchBSDL{"BtSearchBSDL", "search"};
  TListView ListBoundaryScanCells{"ListBoundaryScanCells"};

 private:
  void FillCellList();

  THost& host_;
};

// True when the whole text matches the whole pattern: "*" any run of characters (also
// none), "?" any one character, every other character itself (exact comparison).
bool MatchWildcard(std::string_view text, std::string_view pattern);

// Scrolls the list so that its selected row (the first one) becomes the top row.
void ScrollSelectedToTop(TListView& list);

// The key code of Enter in key handlers.
constexpr int kKeyEnter = 13;
