// main() of every test binary: a headless Qt application, settings and files
// kept away from the user's own.
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Brindlewood"));
  QApplication::setApplicationName(QStringLiteral("TALLIX"));
  tallix::test::isolateProcess();
  return RUN_ALL_TESTS();
}
