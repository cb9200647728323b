#include "gui/protocol_window.h"

#include <QVBoxLayout>

#include "gui/log_view.h"
#include "log/uProtocolWindow.h"

TProtocolWindow::TProtocolWindow(TFrm_Protocol& form) : QWidget(nullptr) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  log_ = new TLogView(form.RichEdit1, this);
  column->addWidget(log_);
}
