#pragma once
// The protocol log's view: a read-only text that shows each line of the core's
// TLogText once, entirely in its colour, and follows the newest line. Appending costs
// the same however long the log is: the new lines are added as blocks at the end,
// nothing before them is laid out again.

#include <QPlainTextEdit>

#include "log/uProtocolWindow.h"

class TLogView : public QPlainTextEdit {
  Q_OBJECT

 public:
  TLogView(TLogText& log, QWidget* parent = nullptr);
  ~TLogView() override;

  // 0x00BBGGRR as a Qt colour.
  static QColor ColourOf(TColor colour);

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void AppendNewLines();
  void ScheduleShowNewest();
  void ShowNewest();

  TLogText& log_;
  int token_ = 0;
  size_t shown_ = 0;  // lines of the log already in the view
  bool scrollPending_ = false;
};
