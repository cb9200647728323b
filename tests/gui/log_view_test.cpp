// The protocol log's view: each line once, entirely in its colour, following the
// newest line also after the window was hidden.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <string>
#include <vector>

#include "gui/log_view.h"

namespace {

// The foreground colours used inside one block of the view.
std::vector<QColor> ColoursOf(const QTextBlock& block) {
  std::vector<QColor> colours;
  for (const QTextLayout::FormatRange& range : block.textFormats()) {
    if (range.length > 0) colours.push_back(range.format.foreground().color());
  }
  return colours;
}

TEST(LogView, EachLineIsShownOnceEntirelyInItsColour) {
  TLogText log("RichEdit1");
  log.Append({"12:00:00 - first", clGray});
  TLogView view(log);
  const std::vector<std::pair<std::string, TColor>> lines = {
      {"12:00:01 - Error", clRed},   {"12:00:02 - Warning", clOrange}, {"12:00:03 - ", clBlack},
      {"12:00:04 - found", clGreen}, {"12:00:05 - Index", clNavy},     {"12:00:06 - x", 0x123456}};
  for (const auto& [text, colour] : lines) log.Append({text, colour});

  QTextDocument* doc = view.document();
  ASSERT_EQ(doc->blockCount(), 7);
  EXPECT_EQ(doc->findBlockByNumber(0).text(), "12:00:00 - first");
  for (size_t i = 0; i < lines.size(); ++i) {
    const QTextBlock block = doc->findBlockByNumber(static_cast<int>(i) + 1);
    EXPECT_EQ(block.text().toStdString(), lines[i].first);
    EXPECT_EQ(ColoursOf(block), std::vector<QColor>{TLogView::ColourOf(lines[i].second)})
        << lines[i].first;
  }
  EXPECT_EQ(TLogView::ColourOf(clOrange), QColor(255, 128, 0));
  EXPECT_EQ(TLogView::ColourOf(clNavy), QColor(0, 0, 128));
  EXPECT_TRUE(view.isReadOnly());

  // A batch of appends still adds each line once.
  log.BeginUpdate();
  log.Append({"a", clRed});
  log.Append({"b", clGreen});
  log.EndUpdate();
  ASSERT_EQ(doc->blockCount(), 9);
  EXPECT_EQ(doc->lastBlock().text(), "b");
}

TEST(LogView, FollowsTheNewestLineAlsoAfterBeingHidden) {
  TLogText log("RichEdit1");
  TLogView view(log);
  view.resize(400, 200);
  view.show();
  for (int i = 0; i < 200; ++i) log.Append({"line " + std::to_string(i), clGray});
  QCoreApplication::processEvents();
  QScrollBar* bar = view.verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());

  view.hide();
  for (int i = 200; i < 400; ++i) log.Append({"line " + std::to_string(i), clGray});
  view.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(view.document()->blockCount(), 400);
  const QTextBlock last = view.cursorForPosition(QPoint(5, view.viewport()->height() - 5)).block();
  EXPECT_EQ(last.text(), "line 399");
}

}  // namespace
