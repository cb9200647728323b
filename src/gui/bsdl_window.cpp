#include "gui/bsdl_window.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "bsdl/uBSDLFileInterpreter.h"
#include "gui/bindings.h"
#include "gui/cell_list_view.h"

namespace {
constexpr int kTopPanelHeight = 41;
constexpr int kSearchFieldWidth = 121;
}  // namespace

TBSDLWindow::TBSDLWindow(TFrm_BSDLFile& form) : QWidget(nullptr) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  // The search field and button keep to the right edge.
  auto* panel = new QWidget(this);
  panel->setFixedHeight(kTopPanelHeight);
  Bind(form.sPanel1, panel);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(8, 6, 8, 6);
  row->setSpacing(6);
  row->addStretch(1);
  auto* pattern = new QLineEdit(panel);
  pattern->setFixedWidth(kSearchFieldWidth);
  pattern->setClearButtonEnabled(false);
  Bind(form.txt_signal_name, pattern);
  row->addWidget(pattern);
  auto* search = new QPushButton(panel);
  search->setIcon(QIcon::fromTheme(QStringLiteral("edit-find"),
                                   style()->standardIcon(QStyle::SP_FileDialogContentsView)));
  Bind(form.BtSearchBSDL, search);
  row->addWidget(search);
  column->addWidget(panel);

  cells_ = new TCellListView(this);
  Bind(form.ListBoundaryScanCells, cells_);
  column->addWidget(cells_, 1);
}
