// The Qt host's pieces that need no user: the file filter conversion and the wait.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <string>
#include <vector>

#include "gui/qt_host.h"

namespace {

TEST(QtHost, FileFiltersInQtsForm) {
  const std::vector<std::pair<std::string, QString>> cases = {
      {"BSDL (*.bsd; *.bsdl)|*.bsd; *.bsdl", "BSDL (*.bsd *.bsdl)"},
      {"Project (*.bsc_prj)|*.bsc_prj|All files|*.*", "Project (*.bsc_prj);;All files (*.*)"},
      {"Binary|*.bin", "Binary (*.bin)"},
      {"*.bin", "*.bin"},
      {"", ""},
  };
  for (const auto& [filter, qt] : cases) EXPECT_EQ(QtFileFilter(filter), qt) << filter;
}

TEST(QtHost, ProcessMessagesForHandlesEventsWhileItWaits) {
  TQtHost host;
  bool fired = false;
  QTimer::singleShot(10, [&] { fired = true; });
  QElapsedTimer clock;
  clock.start();
  host.ProcessMessagesFor(60);
  EXPECT_TRUE(fired);
  EXPECT_GE(clock.elapsed(), 59);
}

}  // namespace
