// The cell list's table model and view over the core's TListView.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "gui/cell_list_view.h"

namespace {

std::vector<TListItem> Cells(int count) {
  std::vector<TListItem> rows;
  rows.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    rows.push_back({std::to_string(i),
                    {"BC_1", "P" + std::to_string(i), "OUTPUT3", "X", "-1", "", "", "", "-"}});
  }
  return rows;
}

class CellList : public ::testing::Test {
 protected:
  CellList() {
    list.Columns = {{"Num", 0},   {"Cell Type", 100}, {"Port", 60},  {"Function", 60},
                    {"Safe", 0},  {"CCell", 0},       {"Disval", 0}, {"Rslt", 0},
                    {"Value", 0}, {"Direction", 0}};
  }
  TListView list{"ListBoundaryScanCells"};
};

TEST_F(CellList, TheModelPassesTheItemModelTesterThroughEveryKindOfChange) {
  TCellTableModel model(list, nullptr);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  list.SetRows(Cells(20));
  list.SetSubItem(3, 7, "1");
  list.AddRow({"20", {"BC_2"}});
  list.SetSubItem(20, 8, "input");  // pads the missing sub-items
  list.Clear();
  list.SetRows(Cells(5));

  ASSERT_EQ(model.rowCount(), 5);
  ASSERT_EQ(model.columnCount(), 10);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Cell Type");
  EXPECT_EQ(model.index(4, 2).data().toString(), "P4");
  EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
  // Inside a batch the rows change before the model hears of it; an index the view
  // still holds from before reads as empty instead of past the rows.
  const QModelIndex stale = model.index(4, 2);
  list.BeginUpdate();
  list.Clear();
  EXPECT_FALSE(model.data(stale, Qt::DisplayRole).isValid());
  list.EndUpdate();
  EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(CellList, ACaptureOfThousandsOfCellsIsOneResetAndOneCellChangeOneRow) {
  list.SetRows(Cells(5000));
  TCellTableModel model(list, nullptr);
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

  list.BeginUpdate();
  for (int row = 0; row < 5000; ++row) list.SetSubItem(row, 7, row % 2 ? "1" : "0");
  list.EndUpdate();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(model.index(4999, 8).data().toString(), "1");

  list.SetSubItem(17, 7, "0");
  EXPECT_EQ(resets.count(), 1);
  ASSERT_EQ(changed.count(), 1);
  const auto from = changed[0][0].value<QModelIndex>();
  const auto to = changed[0][1].value<QModelIndex>();
  EXPECT_EQ(from.row(), 17);
  EXPECT_EQ(to.row(), 17);
  EXPECT_EQ(from.column(), 0);
  EXPECT_EQ(to.column(), 9);
}

class CellListView : public CellList {
 protected:
  CellListView() {
    list.SetRows(Cells(300));
    Bind(list, &view);
    view.resize(700, 300);
    view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
  }
  TCellListView view;
};

TEST_F(CellListView, ColumnWidthsComeFromTheModel) {
  EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 100);
  EXPECT_EQ(view.horizontalHeader()->sectionSize(2), 60);
  EXPECT_EQ(view.horizontalHeader()->sectionSize(3), 60);
  EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(view.showGrid());
}

TEST_F(CellListView, SelectionFocusAndTopRowFollowTheModelAndTheUser) {
  list.SetSelected(10, true);
  list.SetSelected(11, true);
  list.SetItemFocused(11);
  EXPECT_TRUE(view.selectionModel()->isRowSelected(10, {}));
  EXPECT_TRUE(view.selectionModel()->isRowSelected(11, {}));
  EXPECT_FALSE(view.selectionModel()->isRowSelected(12, {}));
  EXPECT_EQ(view.selectionModel()->currentIndex().row(), 11);

  // The search scrolls the found row to the top.
  list.SetTopItem(120);
  EXPECT_EQ(view.TopRow(), 120);
  EXPECT_EQ(view.rowAt(0), 120);

  // The user's selection reaches the model.
  view.selectionModel()->select(view.model()->index(200, 0),
                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  EXPECT_EQ(list.FirstSelected(), 200);
  EXPECT_FALSE(list.IsSelected(10));

  // A new file's rows start unselected at the top.
  list.SetRows(Cells(50));
  EXPECT_FALSE(view.selectionModel()->hasSelection());
  EXPECT_EQ(view.TopRow(), 0);
}

TEST_F(CellListView, ADoubleClickRunsTheHandlerOnThatRow) {
  int toggled = -1;
  list.OnDblClick = [&] {
    toggled = list.ItemFocused();
    list.SetSubItem(toggled, 7, "1");
  };
  const QRect cell = view.visualRect(view.model()->index(4, 2));
  // What the window system delivers for a double-click: a press and release, then
  // the double-click.
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(toggled, 4);
  EXPECT_EQ(view.model()->index(4, 8).data().toString(), "1");
}

}  // namespace
