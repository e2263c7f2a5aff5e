// The window tests need a QApplication before the first test constructs a widget.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char* argv[]) {
  // Test discovery runs this program without CTest's environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
