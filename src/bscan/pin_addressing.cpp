// Pin addressing by port name: the rows of a pin's cells, and single-cell setters that
// write the cell list and the image at once.

#include "app/uMain.h"
#include "app/windows.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "log/uProtocolWindow.h"
#include "platform/text_utils.h"

namespace {

const TListView& CellList() {
  return Frm_BSDLFile->ListBoundaryScanCells;
}

std::string CellText(int row, TCellColumn column) {
  return CellList().Cell(row, column + 1);
}

// The first row carrying `port` exactly whose Function contains one of the two texts
// (ignoring case); -1 when none.
int32_t FindCellByFunction(const std::string& port, const char* a, const char* b) {
  for (int row = 0; row < CellList().Count(); ++row) {
    if (CellText(row, colPort) != port) continue;
    const std::string function = CellText(row, colFunction);
    if (text::ContainsText(function, a) || text::ContainsText(function, b)) return row;
  }
  return -1;
}

// An index the setters may write: a row of the list that is also a bit of the write
// area.
bool SettableRow(int32_t index) {
  return index >= 0 && index < CellList().Count() && static_cast<size_t>(index) < kMaxScanBits;
}

}  // namespace

int32_t TForm1::CellIndexFromPort(const std::string& port) const {
  const std::string wanted = text::UpperCase(port);
  for (int row = 0; row < CellList().Count(); ++row) {
    if (text::UpperCase(CellText(row, colPort)) == wanted) return row;
  }
  return -1;
}

bool TForm1::GetBitIndexDDR(const std::string& port, int32_t& index) {
  index = -1;
  bool found = false;
  for (int row = 0; row < CellList().Count(); ++row) {
    if (CellText(row, colPort) != port) continue;
    const std::string ccell = CellText(row, colCCell);
    if (ccell.empty()) continue;
    const std::optional<int32_t> number = text::ParseInteger(ccell);
    if (!number) {
      AddToProtocol("Exception: index_of_control_cell := StrToInt(s);", clRed);
      index = -1;
      return false;
    }
    index = *number;
    found = true;
    break;
  }
  AddToProtocol("BitIndexDDR for " + port + " " + std::to_string(index), clNavy);
  return found;
}

bool TForm1::GetBitIndexOutput(const std::string& port, int32_t& index) {
  index = FindCellByFunction(port, "outp", "bi");
  AddToProtocol("BitIndexOutput for " + port + " " + std::to_string(index), clNavy);
  return index >= 0;
}

bool TForm1::GetBitIndexInput(const std::string& port, int32_t& index) {
  index = FindCellByFunction(port, "inp", "bi");
  AddToProtocol("BitIndexInput for " + port + " " + std::to_string(index), clNavy);
  return index >= 0;
}

bool TForm1::SetControlCell(int32_t index, bool enable) {
  if (index == -1) return true;
  if (!SettableRow(index)) return false;
  // The safe value disables the driver; anything but "1" counts as "0".
  const bool safeIsOne = CellText(index, colSafe) == "1";
  const bool bit = enable ? !safeIsOne : safeIsOne;
  Frm_BSDLFile->ListBoundaryScanCells.SetSubItem(index, colValue, bit ? "1" : "0");
  PutBit(WriteArea(), static_cast<size_t>(index), bit);
  return true;
}

bool TForm1::SetCellValue(int32_t index, bool value) {
  if (index == -1) return true;
  if (!SettableRow(index)) return false;
  Frm_BSDLFile->ListBoundaryScanCells.SetSubItem(index, colValue, value ? "1" : "0");
  PutBit(WriteArea(), static_cast<size_t>(index), value);
  return true;
}
