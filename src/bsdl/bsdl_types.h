#pragma once
// The BSDL model's element types: a boundary-scan cell and an instruction.

#include <cstdint>
#include <string>

struct TBScan_Cell {
  int32_t Num = 0;
  std::string CellType;
  std::string Port;
  std::string Function;
  std::string Safe;
  std::string CCell;
  std::string Disval;
  std::string Rslt;
  bool operator==(const TBScan_Cell&) const = default;
};

struct TBScan_InstructionRegister {
  std::string Name;
  std::string Opcode;  // as written, first bit most significant (may exceed 32 bits)
  int32_t Value = 0;   // the opcode as a number (its low 32 bits)
  bool operator==(const TBScan_InstructionRegister&) const = default;
};
