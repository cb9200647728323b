#include "gui/cell_list_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>
#include <QScrollBar>

#include "gui/bindings.h"
#include "gui/pinloom_application.h"
#include "gui/qt_text.h"

// ---- TCellTableModel ----

TCellTableModel::TCellTableModel(TListView& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
  token_ = list_.Subscribe([this](TChange change) { Follow(change); });
}

TCellTableModel::~TCellTableModel() {
  list_.Unsubscribe(token_);
}

void TCellTableModel::Follow(TChange change) {
  switch (change) {
    case TChange::Items:
      // The core has already changed its rows; nothing reads them between the change
      // and this reset (one thread), and data() checks every index anyway.
      beginResetModel();
      endResetModel();
      break;
    case TChange::Row: {
      const int row = list_.ChangedRow();
      if (row >= 0 && row < rowCount() && columnCount() > 0) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
      }
      break;
    }
    case TChange::Selection:
    case TChange::Properties:
      break;
  }
}

int TCellTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.Count();
}

int TCellTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.Columns.size());
}

QVariant TCellTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= list_.Count() ||
      index.column() >= columnCount()) {
    return {};
  }
  return ToQt(list_.Cell(index.row(), index.column()));
}

QVariant TCellTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
      section >= columnCount()) {
    return {};
  }
  return ToQt(list_.Columns[static_cast<size_t>(section)].Caption);
}

Qt::ItemFlags TCellTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// ---- TCellListView ----

TCellListView::TCellListView(QWidget* parent) : QTableView(parent) {
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setWordWrap(false);
  setAlternatingRowColors(false);
  QFont small = font();
  small.setFamilies({QStringLiteral("Tahoma"), small.family()});
  small.setPointSizeF(small.pointSizeF() - 1.0);
  setFont(small);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setDefaultSectionSize(64);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(true);
  // The selection stays as visible when the list loses the focus.
  QPalette p = palette();
  p.setColor(QPalette::Inactive, QPalette::Highlight,
             p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(QPalette::Inactive, QPalette::HighlightedText,
             p.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(p);
}

void TCellListView::ScrollRowToTop(int row) {
  // The scroll range follows the rows only at the next layout; bring it up to date.
  updateGeometries();
  verticalScrollBar()->setValue(row);
}

int TCellListView::TopRow() const {
  return verticalScrollBar()->value();
}

// ---- Binding ----

namespace {

class TListViewBinding final : public TModelBinding {
 public:
  TListViewBinding(TListView& list, TCellListView* view)
      : TModelBinding(list, view), list_(list), view_(view) {
    view_->setObjectName(ToQt(list.Name()));
    view_->setModel(new TCellTableModel(list_, view_));
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
              TakeSelection(selected, deselected);
            });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
              FromView([&] { list_.SetItemFocused(current.row()); });
            });
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int top) { FromView([&] { list_.SetTopItem(top); }); });
    connect(view_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
      RunUserAction([&] { list_.UserDblClick(index.row()); });
    });
    Follow();
  }

 protected:
  void Apply(TChange change) override {
    if (fromWidget_) return;
    fromWidget_ = true;  // what follows must not echo back to the list
    switch (change) {
      case TChange::Items:
        ApplyColumnWidths();
        ApplySelection();
        break;
      case TChange::Selection:
        ApplySelection();
        break;
      case TChange::Row:
        break;
      case TChange::Properties:
        view_->setEnabled(list_.Enabled());
        view_->setHidden(!list_.Visible());
        view_->setToolTip(ToQt(list_.Hint()));
        break;
    }
    fromWidget_ = false;
  }

 private:
  template <typename F>
  void FromView(F&& change) {
    if (fromWidget_) return;
    fromWidget_ = true;
    RunUserAction(change);
    fromWidget_ = false;
  }

  void ApplyColumnWidths() {
    for (size_t c = 0; c < list_.Columns.size(); ++c) {
      if (list_.Columns[c].Width > 0) {
        view_->horizontalHeader()->resizeSection(static_cast<int>(c), list_.Columns[c].Width);
      }
    }
  }

  void ApplySelection() {
    QAbstractItemModel* model = view_->model();
    const int columns = model->columnCount();
    QItemSelection selection;
    const int count = list_.Count();
    for (int row = 0; row < count && columns > 0;) {
      if (!list_.IsSelected(row)) {
        ++row;
        continue;
      }
      int last = row;
      while (last + 1 < count && list_.IsSelected(last + 1)) ++last;
      selection.select(model->index(row, 0), model->index(last, columns - 1));
      row = last + 1;
    }
    QItemSelectionModel* selectionModel = view_->selectionModel();
    selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
    const int focused = list_.ItemFocused();
    selectionModel->setCurrentIndex(focused >= 0 ? model->index(focused, 0) : QModelIndex(),
                                    QItemSelectionModel::NoUpdate);
    if (view_->TopRow() != list_.TopItem()) view_->ScrollRowToTop(list_.TopItem());
  }

  void TakeSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    FromView([&] {
      // Each touched row takes the view's state of the whole row.
      QItemSelectionModel* selectionModel = view_->selectionModel();
      list_.BeginUpdate();
      for (const QItemSelection* ranges : {&deselected, &selected}) {
        for (const QItemSelectionRange& range : *ranges) {
          for (int row = range.top(); row <= range.bottom(); ++row) {
            list_.SetSelected(row, selectionModel->isRowSelected(row, QModelIndex()));
          }
        }
      }
      list_.EndUpdate();
    });
  }

  TListView& list_;
  TCellListView* view_;
};

}  // namespace

void Bind(TListView& list, TCellListView* view) {
  new TListViewBinding(list, view);
}
