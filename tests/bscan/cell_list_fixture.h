#pragma once
// A BSDL model put straight into the interpreter window: cells, instructions and the
// cell list rows as a BSDL load leaves them (Value empty, Direction "-" except for
// control cells).

#include <string>
#include <vector>

#include "bsdl/uBSDLFileInterpreter.h"
#include "jtag/chain_fixture.h"

class CellListFixture : public ChainFixture {
 protected:
  void SetCells(const std::vector<TBScan_Cell>& cells) {
    Frm_BSDLFile->Cells = cells;
    std::vector<TListItem> rows;
    for (const TBScan_Cell& c : cells) {
      const bool control = c.Function == "CONTROL" || c.Function == "CONTROLR";
      rows.push_back({std::to_string(c.Num),
                      {c.CellType, c.Port, c.Function, c.Safe, c.CCell, c.Disval, c.Rslt, "",
                       control ? "" : "-"}});
    }
    Frm_BSDLFile->ListBoundaryScanCells.SetRows(rows);
  }
  std::string Value(int row) const {
    return Frm_BSDLFile->ListBoundaryScanCells.Cell(row, colValue + 1);
  }
  std::string Direction(int row) const {
    return Frm_BSDLFile->ListBoundaryScanCells.Cell(row, colDirection + 1);
  }
  static TBScan_Cell Cell(int num, std::string port, std::string function, std::string safe,
                          std::string ccell = "") {
    return {num, "BC_1", std::move(port), std::move(function), std::move(safe), std::move(ccell),
            "",  ""};
  }
};
