#pragma once
// The protocol window and AddToProtocol: one running log of time-stamped lines, each
// in the colour that tells its kind.

#include <cstdint>
#include <string>
#include <vector>

#include "controls/controls.h"

class THost;

// Colours in the form 0x00BBGGRR.
using TColor = uint32_t;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clOrange = 0x0080FF;
constexpr TColor clGray = 0x808080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBlack = 0x000000;

// "red", "orange", "gray", "green", "navy", "black" (or "#RRGGBB" for any other).
std::string ColourName(TColor colour);

struct TLogLine {
  std::string Text;  // time of day + " - " + message
  TColor Colour;
};

// The log's rich-text control: a growing sequence of coloured lines. Observers are
// told TChange::Items after each append; the new line is Lines().back().
class TLogText : public TControl {
 public:
  explicit TLogText(std::string name) : TControl(std::move(name)) {}
  const std::vector<TLogLine>& Lines() const { return lines_; }
  void Append(TLogLine line);

 private:
  std::vector<TLogLine> lines_;
};

class TFrm_Protocol : public TForm {
 public:
  explicit TFrm_Protocol(THost& host);

  THost& Host() { return host_; }
  TLogText RichEdit1{"RichEdit1"};

  // Appends one line: time of day + " - " + message, entirely in `colour`.
  void Add(const std::string& message, TColor colour);

 private:
  THost& host_;
};

// The system's log call; writes to the protocol window Frm_Protocol. Does nothing
// before that window exists.
void AddToProtocol(const std::string& message, TColor colour);
