#include "log/uProtocolWindow.h"

#include "app/THost.h"
#include "app/windows.h"
#include "platform/text_utils.h"

std::string ColourName(TColor colour) {
  switch (colour) {
    case clRed:
      return "red";
    case clOrange:
      return "orange";
    case clGray:
      return "gray";
    case clGreen:
      return "green";
    case clNavy:
      return "navy";
    case clBlack:
      return "black";
    default:
      break;
  }
  // 0x00BBGGRR shown as #RRGGBB.
  return "#" + text::IntToHex(colour & 0xFF, 2) + text::IntToHex((colour >> 8) & 0xFF, 2) +
         text::IntToHex((colour >> 16) & 0xFF, 2);
}

void TLogText::Append(TLogLine line) {
  lines_.push_back(std::move(line));
  Notify(TChange::Items);
}

TFrm_Protocol::TFrm_Protocol(THost& host)
    : TForm("Frm_Protocol", "Protocol Window", 192, 114, 620, 396), host_(host) {
  SetVisible(false);
}

void TFrm_Protocol::Add(const std::string& message, TColor colour) {
  // The colour belongs to the line alone: the next line starts from black again.
  RichEdit1.Append({host_.TimeOfDayText() + " - " + message, colour});
}

void AddToProtocol(const std::string& message, TColor colour) {
  if (Frm_Protocol != nullptr) Frm_Protocol->Add(message, colour);
}
