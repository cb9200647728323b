// The GUI tests run inside one application object, on Qt's offscreen platform unless
// the environment names another.

#include <gtest/gtest.h>

#include "gui/pinloom_application.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TPinloomApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
