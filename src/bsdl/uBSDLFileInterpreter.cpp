#include "bsdl/uBSDLFileInterpreter.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/THost.h"
#include "bsdl/bsdl_parser.h"
#include "log/uProtocolWindow.h"
#include "platform/paths.h"
#include "platform/pinloom_error.h"
#include "platform/text_utils.h"

namespace {

constexpr const char* kDesignedCaption = "BSDL File Interpreter";

// The whole file as bytes; the platform's file error when it cannot be read.
std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (in) {
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size >= 0) {
      std::string content(static_cast<size_t>(size), '\0');
      in.seekg(0, std::ios::beg);
      if (in.read(content.data(), size)) return content;
    }
  }
  const int error = errno;
  throw EPinloomError("Cannot open file \"" + path + "\". " +
                      (error != 0 ? std::strerror(error) : "Read error"));
}

TListItem CellRow(const TBScan_Cell& cell) {
  const bool control = cell.Function.find("CONTROL") != std::string::npos;
  return {std::to_string(cell.Num),
          {cell.CellType, cell.Port, cell.Function, cell.Safe, cell.CCell, cell.Disval, cell.Rslt,
           "", control ? "" : "-"}};
}

}  // namespace

TFrm_BSDLFile::TFrm_BSDLFile(THost& host)
    : TForm("Frm_BSDLFile", kDesignedCaption, 480, 117, 760, 510), host_(host) {
  SetVisible(false);
  BtSearchBSDL.SetHint("search");
  ListBoundaryScanCells.SetHint("Set / Clear Value");
  ListBoundaryScanCells.Columns = {
      {"Num", 0},   {"Cell Type", 100}, {"Port", 60}, {"Function", 60}, {"Safe", 0},
      {"CCell", 0}, {"Disval", 0},      {"Rslt", 0},  {"Value", 0},     {"Direction", 0}};

  BtSearchBSDL.OnClick = [this] { BtSearchBSDLClick(); };
  txt_signal_name.OnKeyUp = [this](int key) { txt_signal_nameKeyUp(key); };
  ListBoundaryScanCells.OnDblClick = [this] { ListBoundaryScanCellsDblClick(); };
}

void TFrm_BSDLFile::ParseBSDLFile(const std::string& path) {
  const std::string content = ReadWholeFile(path);
  ParseBSDLText(
      content, Cells, Instructions, IRLength,
      [](const std::string& message, uint32_t colour) { AddToProtocol(message, colour); },
      [this] { host_.ProcessMessages(); });
}

bool TFrm_BSDLFile::InterpretBSDLFile(const std::string& path) {
  if (!FileExists(path)) return false;
  BSDLFileName = path;
  AddToProtocol("BSDL-> Parse: " + path, clGray);
  SetCaption(std::string(kDesignedCaption) + ": " + path);
  try {
    ParseBSDLFile(path);
  } catch (...) {
    // The scan operations take row i for element i: leave no half-read register.
    Cells.clear();
    ListBoundaryScanCells.Clear();
    throw;
  }
  SetCaption(Caption() + " - " + "Cells (" + std::to_string(Cells.size()) + ")");
  FillCellList();
  AddToProtocol("BSDL-> End Parsing: " + path, clGray);
  return true;
}

void TFrm_BSDLFile::FillCellList() {
  std::vector<TListItem> rows;
  rows.reserve(Cells.size());
  for (const TBScan_Cell& cell : Cells) rows.push_back(CellRow(cell));
  // One notification for the whole refill, so a view repaints once.
  ListBoundaryScanCells.BeginUpdate();
  ListBoundaryScanCells.Clear();
  ListBoundaryScanCells.SetRows(std::move(rows));
  ListBoundaryScanCells.EndUpdate();
}

void TFrm_BSDLFile::BtSearchBSDLClick() {
  TListView& list = ListBoundaryScanCells;
  const int selected = list.FirstSelected();
  const std::string pattern = text::UpperCase(txt_signal_name.Text());
  for (int row = selected + 1; row < list.Count(); ++row) {
    if (!MatchWildcard(text::UpperCase(list.Cell(row, colPort + 1)), pattern)) continue;
    list.BeginUpdate();
    if (selected >= 0) list.SetSelected(selected, false);
    list.SetSelected(row, true);
    ScrollSelectedToTop(list);
    list.EndUpdate();
    return;
  }
}

void TFrm_BSDLFile::txt_signal_nameKeyUp(int key) {
  if (key == kKeyEnter) BtSearchBSDL.Click();
}

void TFrm_BSDLFile::ListBoundaryScanCellsDblClick() {
  TListView& list = ListBoundaryScanCells;
  const int row = list.ItemFocused();
  if (list.Count() == 0 || row < 0) return;
  const std::string value = list.Cell(row, colValue + 1);
  if (value.empty()) return;
  const std::string toggled = value == "0" ? "1" : "0";
  list.BeginUpdate();
  list.SetSubItem(row, colValue, toggled);
  if (list.Cell(row, colDirection + 1) != "-") {
    list.SetSubItem(row, colDirection, toggled == list.Cell(row, colSafe + 1) ? "input" : "output");
  }
  list.EndUpdate();
}

bool MatchWildcard(std::string_view text, std::string_view pattern) {
  // Backtracks only to the most recent "*": S is the pattern position after it, R the
  // text position to retry from.
  constexpr size_t kUnset = std::string_view::npos;
  size_t t = 0;
  size_t p = 0;
  size_t S = kUnset;
  size_t R = kUnset;
  bool starMode = false;
  for (;;) {
    if (p == pattern.size()) {
      if (starMode || t == text.size()) return true;
      if (S == kUnset || R == kUnset) return false;
      t = R;
      p = S;
      starMode = true;
      continue;
    }
    const char c = pattern[p];
    if (c == '*') {
      S = ++p;
      starMode = true;
    } else if (c == '?') {
      if (t == text.size()) return false;
      ++t;
      ++p;
    } else if (!starMode) {
      if (t == text.size()) return false;
      if (text[t] == c) {
        ++t;
        ++p;
      } else if (S != kUnset && R != kUnset) {
        t = R;
        p = S;
        starMode = true;
      } else {
        return false;
      }
    } else {
      while (t < text.size() && text[t] != c) ++t;
      if (t == text.size()) return false;
      R = ++t;
      ++p;
      starMode = false;
    }
  }
}

void ScrollSelectedToTop(TListView& list) {
  const int selected = list.FirstSelected();
  if (selected >= 0) list.SetTopItem(selected);
}
