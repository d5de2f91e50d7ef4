#include <gtest/gtest.h>

#include "ui/qt/launcher/veyra_application.h"

// Window tests run in the program's own application object, which catches what handlers throw
// and provides the fonts and built-in pictures. They use Qt's offscreen platform, so no display
// is needed; set QT_QPA_PLATFORM to another platform to watch them.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The embedded browser refuses to start its sandbox as root (as tests in containers run); the
  // program itself never turns it off.
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
  veyra::VeyraApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
