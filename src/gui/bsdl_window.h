#pragma once
// The BSDL interpreter window: the search strip at the top, the cell list below.

#include <QWidget>

class TFrm_BSDLFile;
class TCellListView;

class TBSDLWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TBSDLWindow(TFrm_BSDLFile& form);
  TCellListView* CellList() const { return cells_; }

 private:
  TCellListView* cells_;
};
