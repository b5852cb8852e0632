// main() of every test binary: a headless Qt application, settings and files
// kept away from the user's own.
#include "platform/DesktopMime.h"
#include "platform/PrintSystem.h"
#include "platform/SaveFileDialog.h"
#include "platform/ShellOpen.h"
#include "tests/support/MessageLog.h"
#include "tests/support/MissingResources.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

// Each test's first printing command asks the print service, whatever it
// answered in a test before.
class ForgetPrintServiceAnswer : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { tallix::forgetPrintServiceAnswer(); }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Brindlewood"));
  QApplication::setApplicationName(QStringLiteral("TALLIX"));
  tallix::test::isolateProcess();
  // No test may block on a message box: unless a test installs its own log,
  // every message is answered with its first button.
  SetMessageBoxHandler([](const MessageBoxRequest& r) { return tallix::test::firstButtonResult(r.type); });
  // Nor may a test start a browser or wait in a file dialog.
  tallix::SetShellOpenHandler([](const QString&) { return false; });
  tallix::SetSaveFileHandler([](const tallix::SaveFileRequest&, QString*) { return false; });
  tallix::SetMimeDatabaseUpdater([](const QString&) { return true; });
  tallix::test::installMissingResourceCheck();
  ::testing::UnitTest::GetInstance()->listeners().Append(new ForgetPrintServiceAnswer);
  return RUN_ALL_TESTS();
}
