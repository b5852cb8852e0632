// The program's start-up to its shown main window, offscreen, with the
// built language library, list files and calculator fonts; and the resident
// memory of the process once the window shows.
#include "app/QXApp.h"
#include "classlib/ProfileSettings.h"
#include "platform/ProgramPaths.h"
#include "platform/Wnd.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>

namespace {

// VmRSS of /proc/self/status, in KiB.
double residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6));
  return 0;
}

void StartToShownWindow(benchmark::State& state) {
  QTemporaryDir home;
  for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, home.filePath(QStringLiteral("settings")));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("desktop"))));
  tallix::setProgramDirectoryOverride(QStringLiteral(TALLIX_BUILD_BIN_DIR));
  tallix::setUserDataDirectoryOverride(home.filePath(QStringLiteral("data")));
  AppWriteProfileString("Settings", "Default Calculator", "CFX-9850G");
  bool first = true;
  for (auto _ : state) {
    CQXApp app;
    app.SetArguments({QStringLiteral("QXLWIN32")});
    const auto start = std::chrono::steady_clock::now();
    if (!app.InitInstance() || !app.m_pMainWnd) {
      state.SkipWithError("start-up failed");
      break;
    }
    while (!app.m_pMainWnd->isVisible()) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    if (first) {
      state.counters["first_start_ms"] = elapsed.count() * 1000;
      state.counters["rss_after_start_KiB"] = residentKiB();
      first = false;
    }
    app.m_pMainWnd->DestroyWindow();
    app.ExitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}
BENCHMARK(StartToShownWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
