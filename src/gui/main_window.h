#pragma once
// The main window's widgets, laid out as designed and bound to TForm1's controls:
// the top strip, the four pages, the status bar with its gauge, and the menu.

#include <QMainWindow>

class TForm1;
class TComboBox;
class TDropDownComboBox;
class TMenuItem;
class QMenu;

class TMainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainWindow(TForm1& form);

 private:
  QWidget* BuildTopStrip();
  QWidget* BuildBinaryCounterPage();
  QWidget* BuildSPIFlasherPage();
  QWidget* BuildNORFlashPage();
  QWidget* BuildInitPage();
  void BuildStatusBar();
  void BuildMenu();
  void AddMenuItem(QMenu* menu, TMenuItem& item);

  // A drop-down list bound to `model`, sized for port names.
  TDropDownComboBox* PinList(TComboBox& model, QWidget* parent);

  TForm1& form_;
};
