// SAMPLE/PRELOAD and EXTEST: instruction and cell loads through the selected chain
// device, and the capture written back into the cell list.

#include <algorithm>

#include "app/THost.h"
#include "app/uMain.h"
#include "app/windows.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "log/uProtocolWindow.h"
#include "platform/text_utils.h"

namespace {

std::string CellText(const TListView& list, int row, TCellColumn column) {
  return list.Cell(row, column + 1);
}

// The rows that are cells: as many as both the list and the cell table have, and no
// more than a scan can carry.
size_t CellRowCount(const TFrm_BSDLFile& bsdl) {
  return std::min(
      {static_cast<size_t>(bsdl.ListBoundaryScanCells.Count()), bsdl.Cells.size(), kMaxScanBits});
}

}  // namespace

int32_t TForm1::FindInstruction(const std::string& name) const {
  auto find = [](const std::string& wanted) -> int32_t {
    const auto& table = Frm_BSDLFile->Instructions;
    for (size_t k = 0; k < table.size(); ++k) {
      if (text::SameText(table[k].Name, wanted)) return static_cast<int32_t>(k);
    }
    return -1;
  };
  const int32_t index = find(name);
  if (index >= 0) return index;
  if (name == "SAMPLE") return find("PRELOAD");
  if (name == "PRELOAD") return find("SAMPLE");
  return -1;
}

void TForm1::LoadInstructionImage(const TBScan_InstructionRegister& entry, size_t bits) {
  const size_t bytes = std::min(BytesForBits(bits), kMaxScanBytes);
  if (bits <= 32) {
    const auto value = static_cast<uint32_t>(entry.Value);
    for (size_t b = 0; b < bytes; ++b) WriteArea()[b] = static_cast<uint8_t>(value >> (8 * b));
    return;
  }
  // Wider than Value: every bit from the opcode text, whose last character is bit 0.
  std::fill_n(WriteArea(), bytes, uint8_t{0});
  const std::string& opcode = entry.Opcode;
  for (size_t k = 0; k < bits && k < opcode.size() && k < bytes * 8; ++k) {
    PutBit(WriteArea(), k, opcode[opcode.size() - 1 - k] == '1');
  }
}

void TForm1::LoadCellImage(size_t bits) {
  const TListView& list = Frm_BSDLFile->ListBoundaryScanCells;
  const size_t rows = CellRowCount(*Frm_BSDLFile);
  const size_t bytes = std::min(BytesForBits(bits), kMaxScanBytes);
  std::fill_n(WriteArea(), bytes, uint8_t{0});
  for (size_t i = 0; i < rows; ++i) {
    if (CellText(list, static_cast<int>(i), colValue) == "1") PutBit(WriteArea(), i, true);
  }
}

bool TForm1::LoadAndShift(bool isInstruction) {
  std::string label;
  size_t bits = 0;
  if (isInstruction) {
    const auto& table = Frm_BSDLFile->Instructions;
    if (SelectedInstruction < 0 || static_cast<size_t>(SelectedInstruction) >= table.size()) {
      return false;
    }
    const TBScan_InstructionRegister& entry = table[static_cast<size_t>(SelectedInstruction)];
    label = "IR " + entry.Name;
    if (Frm_BSDLFile->IRLength <= 0) return false;
    bits = static_cast<size_t>(Frm_BSDLFile->IRLength);
    LoadInstructionImage(entry, bits);
  } else {
    label = "DR";
    bits = Frm_BSDLFile->Cells.size();
    if (bits == 0) {
      const char* warning = "BSDL-> Warning: BitCount SDR = 0";
      AddToProtocol(warning, clRed);
      host_.MessageBox(warning, TMsgKind::Warning);
      return false;
    }
    LoadCellImage(bits);
  }
  ShiftIsInstruction = isInstruction;
  ShiftBitCount = static_cast<int32_t>(std::min<size_t>(bits, INT32_MAX));
  ShiftByteCount = static_cast<int32_t>(std::min<size_t>(BytesForBits(bits), INT32_MAX));
  const bool ok = ShiftCurrentData();
  if (!ok) AddToProtocol("BSDL-> Error on Shift " + label, clRed);
  return ok;
}

void TForm1::UpdateCellsFromCapture(bool extestMode) {
  if (LastShiftStatus != 0) return;
  TListView& list = Frm_BSDLFile->ListBoundaryScanCells;
  const size_t rows = CellRowCount(*Frm_BSDLFile);
  const uint8_t* read = ReadArea();
  const uint8_t* written = WriteArea();
  list.BeginUpdate();
  for (size_t i = 0; i < rows; ++i) {
    const int row = static_cast<int>(i);
    const bool captured = GetBit(read, i);
    const std::string value = captured ? "1" : "0";
    if (!extestMode) {
      list.SetSubItem(row, colValue, value);
      if (CellText(list, row, colDirection) != "-") {
        // A control cell at its safe value is a disabled driver.
        list.SetSubItem(row, colDirection,
                        value == CellText(list, row, colSafe) ? "input" : "output");
      }
      continue;
    }
    if (captured == GetBit(written, i)) continue;
    const std::string function = CellText(list, row, colFunction);
    const bool driven = function.find("CONTROL") != std::string::npos ||
                        function.find("OUTPUT") != std::string::npos ||
                        function.find("INT") != std::string::npos;
    if (!driven) list.SetSubItem(row, colValue, value);
  }
  list.EndUpdate();
}

void TForm1::BT_SampleClick() {
  SelectedInstruction = FindInstruction("SAMPLE");
  if (SelectedInstruction < 0) {
    AddToProtocol("BSDL-> Error: instruction SAMPLE/PRELOAD not found", clRed);
    return;
  }
  LoadAndShift(true);
  LoadAndShift(false);  // the list's values preloaded, the pins captured
  UpdateCellsFromCapture(false);
  LoadAndShift(false);  // the captured states preloaded
  UpdateCellsFromCapture(false);
  SelectedInstruction = FindInstruction("EXTEST");
  if (SelectedInstruction < 0) {
    AddToProtocol("BSDL-> Error: instruction EXTEST not found", clRed);
    return;
  }
  LoadAndShift(true);  // EXTEST drives the states just sampled
  bt_Extest.SetEnabled(true);
}

void TForm1::bt_ExtestClick() {
  LoadAndShift(false);
  UpdateCellsFromCapture(true);
}

void TForm1::WireBScanHandlers() {
  BT_Sample.OnClick = [this] { BT_SampleClick(); };
  bt_Extest.OnClick = [this] { bt_ExtestClick(); };
}
