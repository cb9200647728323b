#include "gui/main_window.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "app/uMain.h"
#include "gui/bindings.h"
#include "gui/qt_text.h"

namespace {

constexpr int kTopStripHeight = 81;
constexpr int kPageMargin = 10;

// A widget bound to its model, returned for placing in a layout.
template <typename Widget, typename Model>
Widget* Bound(Model& model, Widget* widget) {
  Bind(model, widget);
  return widget;
}

QLabel* StaticLabel(const char* caption, QWidget* parent) {
  auto* label = new QLabel(QString::fromLatin1(caption), parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QPushButton* SmallButton(TButton& model, QWidget* parent) {
  auto* button = Bound(model, new QPushButton(parent));
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 20);
  return button;
}

QPushButton* ActionButton(TButton& model, QWidget* parent) {
  auto* button = Bound(model, new QPushButton(parent));
  button->setMinimumWidth(88);
  return button;
}

// A page's grid with the page's margins.
QGridLayout* PageGrid(QWidget* page) {
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, kPageMargin);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  return grid;
}

}  // namespace

TMainWindow::TMainWindow(TForm1& form) : form_(form) {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(BuildTopStrip());

  auto* pages = new QTabWidget(central);
  pages->setDocumentMode(false);
  pages->addTab(BuildBinaryCounterPage(), QString());
  pages->addTab(BuildSPIFlasherPage(), QString());
  pages->addTab(BuildNORFlashPage(), QString());
  pages->addTab(BuildInitPage(), QString());
  Bind(form_.PageControl1, pages);
  auto* pageBox = new QWidget(central);
  auto* pageLayout = new QVBoxLayout(pageBox);
  pageLayout->setContentsMargins(6, 0, 6, 6);
  pageLayout->addWidget(pages);
  column->addWidget(pageBox, 1);

  setCentralWidget(central);
  BuildStatusBar();
  BuildMenu();
}

QWidget* TMainWindow::BuildTopStrip() {
  auto* strip = new QFrame(this);
  strip->setFixedHeight(kTopStripHeight);
  Bind(form_.sPanel1, static_cast<QWidget*>(strip));
  auto* grid = new QGridLayout(strip);
  grid->setContentsMargins(10, 8, 10, 8);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);

  grid->addWidget(Bound(form_.lbl_dongle, new QLabel(strip)), 0, 0);
  // The lists share the width the buttons leave, so the strip fits the designed
  // width also with Sample and Extest shown.
  auto* dongles = Bound(form_.cb_FTDI_Device, new TDropDownComboBox(strip));
  dongles->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  dongles->setMinimumWidth(100);
  grid->addWidget(dongles, 1, 0);
  grid->addWidget(Bound(form_.lbl_chain, new QLabel(strip)), 0, 1);
  auto* chain = Bound(form_.cb_jtag_devices, new TDropDownComboBox(strip));
  chain->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  chain->setMinimumWidth(100);
  grid->addWidget(chain, 1, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);

  // Sample over Extest, then connect over cancel at the right edge.
  auto* scans = new QVBoxLayout();
  scans->setSpacing(6);
  scans->addWidget(ActionButton(form_.BT_Sample, strip));
  scans->addWidget(ActionButton(form_.bt_Extest, strip));
  grid->addLayout(scans, 0, 2, 3, 1, Qt::AlignVCenter);
  auto* right = new QVBoxLayout();
  right->setSpacing(6);
  right->addWidget(ActionButton(form_.Bt_Connect, strip));
  right->addWidget(ActionButton(form_.bt_cancel, strip));
  grid->setColumnMinimumWidth(3, 8);
  grid->addLayout(right, 0, 4, 3, 1, Qt::AlignRight | Qt::AlignVCenter);
  grid->setRowStretch(2, 1);
  return strip;
}

TDropDownComboBox* TMainWindow::PinList(TComboBox& model, QWidget* parent) {
  auto* combo = Bound(model, new TDropDownComboBox(parent));
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(8);
  return combo;
}

QWidget* TMainWindow::BuildBinaryCounterPage() {
  auto* page = new QWidget(this);
  QGridLayout* grid = PageGrid(page);
  for (int bit = 0; bit < 6; ++bit) {
    const int row = bit % 3;
    const int col = (bit / 3) * 3;
    auto* label = new QLabel(QStringLiteral("Bit %1").arg(bit), page);
    grid->addWidget(label, row, col);
    grid->addWidget(PinList(*form_.combo_bitcounter_bit[static_cast<size_t>(bit)], page), row,
                    col + 1);
  }
  grid->setColumnMinimumWidth(2, 16);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(4, 1);

  grid->addWidget(StaticLabel("Pause", page), 3, 0);
  auto* pause = Bound(form_.txt_bitocunter_pause, new QLineEdit(page));
  pause->setFixedWidth(80);
  grid->addWidget(pause, 3, 1, Qt::AlignLeft);
  grid->setRowStretch(4, 1);
  grid->addWidget(ActionButton(form_.bt_bitcounter_execute, page), 5, 4, Qt::AlignRight);
  return page;
}

QWidget* TMainWindow::BuildSPIFlasherPage() {
  auto* page = new QWidget(this);
  QGridLayout* grid = PageGrid(page);
  grid->addWidget(StaticLabel("Flash", page), 0, 0);
  grid->addWidget(Bound(form_.combo_spi_flash, new TDropDownComboBox(page)), 0, 1);
  grid->addWidget(StaticLabel("Start sector", page), 0, 3);
  grid->addWidget(Bound(form_.combo_spi_flash_adr, new TDropDownComboBox(page)), 0, 4);

  const std::array<std::pair<const char*, TComboBox*>, 4> pins{{
      {"SCK:", &form_.combo_spi_flasher_sck},
      {"MOSI:", &form_.combo_spi_flasher_mosi},
      {"MISO:", &form_.combo_spi_flasher_miso},
      {"CS:", &form_.combo_spi_flasher_cs},
  }};
  for (size_t k = 0; k < pins.size(); ++k) {
    const int row = 1 + static_cast<int>(k / 2);
    const int col = static_cast<int>(k % 2) * 3;
    grid->addWidget(StaticLabel(pins[k].first, page), row, col);
    grid->addWidget(PinList(*pins[k].second, page), row, col + 1);
  }
  grid->setColumnMinimumWidth(2, 16);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(4, 1);

  grid->addWidget(StaticLabel("File", page), 3, 0);
  auto* file = new QHBoxLayout();
  file->setSpacing(4);
  file->addWidget(Bound(form_.txt_spi_flasher_bin, new QLineEdit(page)), 1);
  file->addWidget(SmallButton(form_.bt_open_spi_file, page));
  grid->addLayout(file, 3, 1, 1, 4);
  grid->setRowStretch(4, 1);
  grid->addWidget(ActionButton(form_.bt_spi_flasher_program, page), 5, 4, Qt::AlignRight);
  return page;
}

QWidget* TMainWindow::BuildNORFlashPage() {
  auto* page = new QWidget(this);
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(kPageMargin, 8, kPageMargin, 8);
  column->setSpacing(6);

  auto* settings = new QHBoxLayout();
  settings->setSpacing(8);
  settings->addWidget(StaticLabel("Flash", page));
  settings->addWidget(Bound(form_.combo_norflash, new TDropDownComboBox(page)));
  settings->addSpacing(4);
  settings->addWidget(StaticLabel("Mode", page));
  settings->addWidget(Bound(form_.combo_nor_flash_mode, new TDropDownComboBox(page)));
  settings->addSpacing(4);
  settings->addWidget(StaticLabel("Start sector", page));
  auto* start = Bound(form_.combo_norflash_address, new TDropDownComboBox(page));
  start->setMinimumContentsLength(10);
  start->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  settings->addWidget(start);
  settings->addStretch(1);
  column->addLayout(settings);

  // The pin map: address lines in two columns, data lines in a third, the control
  // lines in two rows below them.
  auto* scroll = new QScrollArea(page);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::StyledPanel);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* map = new QWidget(scroll);
  auto* grid = new QGridLayout(map);
  grid->setContentsMargins(8, 6, 8, 6);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  auto place = [&](QLabel* label, TComboBox& list, int row, int group) {
    grid->addWidget(label, row, group * 2);
    auto* combo = PinList(list, map);
    combo->setMinimumContentsLength(3);  // the columns share the width left
    grid->addWidget(combo, row, group * 2 + 1);
  };
  for (int k = 0; k < 32; ++k) {
    const auto i = static_cast<size_t>(k);
    place(Bound(*form_.lbl_adr[i], new QLabel(map)), *form_.combo_norflash_adr[i], k % 16, k / 16);
  }
  for (int k = 0; k < 16; ++k) {
    const auto i = static_cast<size_t>(k);
    place(Bound(*form_.lbl_norflash_data[i], new QLabel(map)), *form_.combo_norflash_data[i], k, 2);
  }
  const std::array<std::pair<const char*, TComboBox*>, 6> controls{{
      {"CE_Q", &form_.combo_norflash_ce_q},
      {"OE_Q", &form_.combo_norflash_oe_q},
      {"WE_Q", &form_.combo_norflash_we_q},
      {"WP_Q", &form_.combo_norflash_wp_q},
      {"RST_Q", &form_.combo_norflash_rst_q},
      {"BYTE_Q", &form_.combo_norflash_byte_q},
  }};
  constexpr int kControlRow = 17;
  grid->setRowMinimumHeight(16, 6);
  for (size_t k = 0; k < controls.size(); ++k) {
    place(StaticLabel(controls[k].first, map), *controls[k].second,
          kControlRow + static_cast<int>(k / 3), static_cast<int>(k % 3));
  }
  for (int group = 0; group < 3; ++group) grid->setColumnStretch(group * 2 + 1, 1);
  grid->setRowStretch(kControlRow + 2, 1);
  scroll->setWidget(map);
  column->addWidget(scroll, 1);

  auto* file = new QHBoxLayout();
  file->setSpacing(4);
  file->addWidget(StaticLabel("File", page));
  file->addSpacing(4);
  file->addWidget(Bound(form_.txt_norflash_binary, new QLineEdit(page)), 1);
  file->addWidget(SmallButton(form_.bt_norflash_open_bin, page));
  file->addSpacing(12);
  file->addWidget(ActionButton(form_.bt_norflash_programming, page));
  column->addLayout(file);
  return page;
}

QWidget* TMainWindow::BuildInitPage() {
  auto* page = new QWidget(this);
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, kPageMargin);
  auto* memo = Bound(form_.MemoInit, new QPlainTextEdit(page));
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  column->addWidget(memo, 1);
  column->addWidget(Bound(form_.Button1, new QPushButton(page)), 0, Qt::AlignRight);
  return page;
}

void TMainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  Bind(form_.StatusBar1, bar, &form_);
  Bind(form_.ProgressGauge, new QProgressBar(bar));
}

void TMainWindow::BuildMenu() {
  for (TMenuItem* top : form_.MainMenu1.Items()) {
    QMenu* menu = menuBar()->addMenu(QString());
    Bind(*top, menu->menuAction());
    for (TMenuItem* item : top->Items) AddMenuItem(menu, *item);
  }
}

void TMainWindow::AddMenuItem(QMenu* menu, TMenuItem& item) {
  if (item.Items.empty()) {
    Bind(item, menu->addAction(QString()));
    return;
  }
  QMenu* sub = menu->addMenu(QString());
  Bind(item, sub->menuAction());
  for (TMenuItem* child : item.Items) AddMenuItem(sub, *child);
}
