#pragma once
// The cell list: a QTableView over a table model that adapts the core's TListView.
// A change of the rows (a capture of thousands of cells included, batched by the
// core) is one model reset, so the view repaints once; a change of one row repaints
// that row.

#include <QAbstractTableModel>
#include <QTableView>

#include "controls/controls.h"

class TCellTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TCellTableModel(TListView& list, QObject* parent);
  ~TCellTableModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void Follow(TChange change);

  TListView& list_;
  int token_ = 0;
};

// The view: report style with grid lines, whole-row multi-selection, no editing.
class TCellListView : public QTableView {
  Q_OBJECT

 public:
  explicit TCellListView(QWidget* parent = nullptr);

  // Scrolls so that `row` is the top visible row (as far as the scroll range allows).
  void ScrollRowToTop(int row);
  // The first visible row.
  int TopRow() const;
};

// Shows `list` in `view` and keeps rows, selection, focus, top row and column widths
// in step both ways; a double-click runs the list's double-click handler.
void Bind(TListView& list, TCellListView* view);
