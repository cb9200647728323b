#include "controls/controls.h"

#include <gtest/gtest.h>

namespace {

TEST(Controls, CodeChangesNotifyButNeverRunChangeHandlers) {
  TComboBox combo("c");
  int handlerRuns = 0;
  int notifications = 0;
  combo.OnChange = [&] { ++handlerRuns; };
  combo.Subscribe([&](TChange) { ++notifications; });
  combo.SetItems({"a", "b"});
  combo.SetItemIndex(1);
  EXPECT_EQ(handlerRuns, 0);
  EXPECT_EQ(notifications, 2);
  combo.UserSelect(0);
  EXPECT_EQ(handlerRuns, 1);
  EXPECT_EQ(combo.Text(), "a");
  combo.SetEnabled(false);
  combo.UserSelect(1);  // a disabled list takes no user action
  EXPECT_EQ(handlerRuns, 1);
  EXPECT_EQ(combo.ItemIndex(), 0);
}

TEST(Controls, SortedComboBoxKeepsCaseInsensitiveOrderAndSelection) {
  TComboBox combo("c", true);
  for (const char* item : {"PB0", "pa1", "PA0", "-> NOT CONNECTED"}) combo.AddItem(item);
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{"-> NOT CONNECTED", "PA0", "pa1", "PB0"}));
  combo.SetItemIndex(2);
  combo.AddItem("A");  // inserted before the selection: the selection follows its item
  EXPECT_EQ(combo.Text(), "pa1");
  combo.SetItemIndex(99);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
}

TEST(Controls, UpdateBracketBatchesNotifications) {
  TListView list("l");
  std::vector<TChange> seen;
  list.Subscribe([&](TChange c) { seen.push_back(c); });
  list.BeginUpdate();
  for (int i = 0; i < 1000; ++i) list.AddRow({std::to_string(i), {"a", "b"}});
  for (int i = 0; i < 1000; ++i) list.SetSubItem(i, 1, "x");
  EXPECT_TRUE(seen.empty());
  list.EndUpdate();
  EXPECT_EQ(seen, std::vector<TChange>{TChange::Items});
  EXPECT_EQ(list.Cell(5, 2), "x");
  EXPECT_EQ(list.Cell(5, 9), "");
}

TEST(Controls, MainMenuIsToldOfItemChangesWithoutRecursion) {
  TMenuItem top("t", "Top");
  TMenuItem item("i", "Item", true);
  TMenuItem caption("c", "X");
  TMainMenu menu("m");  // after its items: it goes first and lets go of them
  top.Items = {&item, &caption};
  menu.Add(&top);
  int changes = 0;
  // As a handler that rewrites a caption on every change does.
  menu.OnChange = [&] {
    ++changes;
    caption.SetCaption("caption");
  };
  menu.Loaded();
  EXPECT_EQ(changes, 2);  // its own caption change is told once more, then it settles
  changes = 0;
  item.SetChecked(true);
  EXPECT_EQ(changes, 1);
  item.SetChecked(true);  // no change, no notification
  EXPECT_EQ(changes, 1);
}

TEST(Controls, ListViewSelectionAndFocus) {
  TListView list("l");
  for (int i = 0; i < 4; ++i) list.AddRow({std::to_string(i), {}});
  EXPECT_EQ(list.FirstSelected(), -1);
  list.SetSelected(2, true);
  list.SetSelected(1, true);
  EXPECT_EQ(list.FirstSelected(), 1);
  int clicks = 0;
  list.OnDblClick = [&] { ++clicks; };
  list.UserDblClick(3);
  EXPECT_EQ(list.ItemFocused(), 3);
  EXPECT_EQ(clicks, 1);
  list.Clear();
  EXPECT_EQ(list.ItemFocused(), -1);
  EXPECT_EQ(list.FirstSelected(), -1);
}

}  // namespace
