#pragma once
// The protocol window: the log view filling the window.

#include <QWidget>

class TFrm_Protocol;
class TLogView;

class TProtocolWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TProtocolWindow(TFrm_Protocol& form);
  TLogView* Log() const { return log_; }

 private:
  TLogView* log_;
};
