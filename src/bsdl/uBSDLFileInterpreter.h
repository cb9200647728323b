#pragma once
// The BSDL interpreter window: the BSDL model (cells, instructions, IR length), the
// cell list that every pin operation uses, search and manual toggling.

#include <string>
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

  // Controls.
  TControl sPanel1{"sPanel1"};
  TEdit txt_signal_name{"txt_signal_name"};
  TButton BtSearchBSDL{"BtSearchBSDL", "search"};
  TListView ListBoundaryScanCells{"ListBoundaryScanCells"};

 private:
  THost& host_;
};
