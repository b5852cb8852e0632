// The program's start-up to its shown main window, offscreen, with the
// built language library, list files and calculator fonts; and the resident
// memory of the process once the window shows.
//
// Then the start-up with menu extension files of the largest size an
// outside list file may have (1 MiB), each made as hard to build as that
// size allows, against the start-up without one. Each start is a fresh
// process of this program, from its exec to the shown main window, timed in
// the process's CPU time (a machine shared with other work leaves it as it
// is; waiting only ever adds time, so the fastest of the runs counts).
// Target: within 1.2 x the start without a file. Beside it, for each file,
// the build of the menus alone in a running process.
//
//   app_startup_bench [--benchmark_filter=...]
#include "app/MenuExtension.h"
#include "app/MenuPopups.h"
#include "app/QXApp.h"
#include "classlib/ProfileSettings.h"
#include "platform/FrameWnd.h"
#include "platform/PrivateProfile.h"
#include "platform/Profile.h"
#include "platform/ProgramPaths.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"
#include "tests/support/BenchmarkSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// VmRSS of /proc/self/status, in KiB.
double residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6));
  return 0;
}

// A private world under `home`: settings, desktop files and data folder of
// its own, the build's program directory, a default calculator set.
void isolate(const QString& home) {
  for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, home + QStringLiteral("/settings"));
  tallix::setProfileFolderOverride(home + QStringLiteral("/settings"));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/desktop")));
  tallix::setProgramDirectoryOverride(QStringLiteral(TALLIX_BUILD_BIN_DIR));
  tallix::setUserDataDirectoryOverride(home + QStringLiteral("/data"));
  QDir().mkpath(home + QStringLiteral("/data"));
  AppWriteProfileString("Settings", "Default Calculator", "CFX-9850G");
}

// Starts the application object and waits for its shown main window; false
// when the start failed.
bool startToShownWindow(CQXApp& app) {
  app.SetArguments({QStringLiteral("QXLWIN32")});
  if (!app.InitInstance() || !app.m_pMainWnd) return false;
  while (!app.m_pMainWnd->isVisible()) QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  return true;
}

void StartToShownWindow(benchmark::State& state) {
  bool first = true;
  for (auto _ : state) {
    CQXApp app;
    const auto start = std::chrono::steady_clock::now();
    if (!startToShownWindow(app)) {
      state.SkipWithError("start-up failed");
      break;
    }
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

constexpr qsizetype kFileBound = qsizetype(kMaxProfileFileSize);  // what an outside list file may hold

// Appends `line(i)` for i = 0, 1, ... while the file stays within the bound.
void fill(QByteArray* file, const std::function<QByteArray(int)>& line) {
  for (int i = 0;; ++i) {
    const QByteArray next = line(i);
    if (file->size() + next.size() > kFileBound) return;
    file->append(next);
  }
}

QByteArray n36(int i) { return QByteArray::number(i, 36); }

struct MenuFile {
  const char* name;
  QByteArray bytes;
};

std::vector<MenuFile> menuFiles() {
  std::vector<MenuFile> files;
  // Beside the worst files: the thousand entries a build may add, from a
  // small file, which is what the entries themselves cost.
  files.push_back({"1,000 entries, small file", "[Menus]\nX\n[X]\nCaption=X\nPosition=6\nMenu Items=L\n[L]\nL\nL\nL\n"});

  // A popup whose items section lists itself as often as the file holds.
  QByteArray file = "[Menus]\nX\n[X]\nCaption=X\nPosition=6\nMenu Items=L\n[L]\n";
  fill(&file, [](int) { return QByteArrayLiteral("L\n"); });
  files.push_back({"a section listing itself", file});

  // [Menus] names a section the file lacks as often as its buffer holds;
  // the rest of the file is distinct empty sections to look through.
  file = "[Menus]\n";
  for (int i = 0; i < 15990; ++i) file += "Z\n";
  fill(&file, [](int i) { return "[" + n36(i) + "]\n"; });
  files.push_back({"sections the file lacks", file});

  // Many menu sections, each placed as a sub-menu of the File popup, whose
  // keys are looked up among as many others as the file holds.
  const int menus = int(200 * kFileBound / (1 << 20));  // 600 keys each, a quarter of the file
  file = "[Menus]\n";
  for (int m = 0; m < menus; ++m) file += "M" + QByteArray::number(m) + "\n";
  for (int m = 0; m < menus; ++m) {
    file += "[M" + QByteArray::number(m) + "]\n";
    for (int k = 0; k < 600; ++k) file += "k" + n36(k) + "=\n";
    file += "Caption=M" + QByteArray::number(m) + "\nPosition=0\nSub Position=1\nMenu Items=I\n";
  }
  file += "[I]\nUn=15000\n";
  fill(&file, [](int i) { return "k" + n36(i) + "=\n"; });
  files.push_back({"menu sections of many keys", file});

  // Up to a thousand sections, as many as the file holds, each a sub-menu,
  // each as long as a build reads a section (sub-menus further down first,
  // then lines that add nothing).
  file = "[Menus]\nX\n[X]\nCaption=X\nPosition=6\nMenu Items=S0\n";
  for (int s = 0; s < 1000 && file.size() + 500 < kFileBound; ++s) {
    file += "[S" + QByteArray::number(s) + "]\n";
    for (int c = 10 * s + 1; c <= 10 * s + 10 && c < 1000; ++c) file += "S" + QByteArray::number(c) + "\n";
    for (int k = 0; k < 128; ++k) file += "=0\n";
  }
  fill(&file, [](int i) { return "k" + n36(i) + "=\n"; });
  files.push_back({"sections read to the bound", file});

  // The same sections under a first popup, and a second popup,
  // whose place among the bound only counting the first one's tells.
  file.replace("[Menus]\nX\n", "[Menus]\nX\nY\n[Y]\nCaption=Y\nPosition=6\nMenu Items=S0\n");
  file.truncate(kFileBound);
  files.push_back({"counted before a later popup", file});

  // Popups of 128 items, each given sub-menus by the menu sections after
  // it, after its items' commands, with separators around them.
  file = "[Menus]\n";
  for (int m = 0; m < 128; ++m) file += "M" + QByteArray::number(m) + "\n";
  for (int m = 0; m < 128; ++m) {
    file += "[M" + QByteArray::number(m) + "]\nCaption=M" + QByteArray::number(m) + "\nMenu Items=I\n";
    if (m < 8)
      file += "Position=6\n";
    else
      file += "Position=" + QByteArray::number(1000 + m % 8) + "\nSub Position Cmd=" + QByteArray::number(15000 + m) + "\n";
  }
  file += "[I]\n";
  for (int i = 0; i < 128; ++i) file += "Item " + QByteArray::number(i) + "=" + QByteArray::number(15000 + i) + "\n";
  fill(&file, [](int i) { return "k" + n36(i) + "=\n"; });
  files.push_back({"placed in the extension's own", file});

  // Deep and wide: sub-menus holding every command of the range, each with
  // its status text; every command sends its read through "Ref File" to
  // this file spelt another way, among as many other keys as the file holds.
  file = "[Menus]\nX\n[X]\nCaption=X\nPosition=6\nMenu Items=L0\n";
  for (int s = 0; s < 10; ++s) {
    file += "[L" + QByteArray::number(s) + "]\n";
    for (int t = 0; t < 10; ++t) file += "L" + QByteArray::number((s + t + 1) % 10) + "\n";
    for (int id = 15000 + 100 * s; id < 15100 + 100 * s; ++id)
      file += "Lien " + QByteArray::number(id) + "=" + QByteArray::number(id) + "\n";
  }
  file += "[Commands]\n";
  for (int id = 15000; id < 16000; ++id) {
    QByteArray spelling;
    for (int bit = id - 15000; bit; bit >>= 1) spelling += bit & 1 ? "./" : ".//";
    file += QByteArray::number(id) + " Ref File=" + spelling + "qxmenu.ini\n";
    file += QByteArray::number(id) + " Status Line=Ouvre la page " + QByteArray::number(id) + "\n";
  }
  fill(&file, [](int i) { return "k" + n36(i) + "=\n"; });
  files.push_back({"deep, wide, status texts", file});
  return files;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile out(path);
  return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
}

// The menus of each file built into a fresh main window of the program's
// menu, in a running process.
void BuildMenusAlone(benchmark::State& state) {
  const MenuFile file = menuFiles()[size_t(state.range(0))];
  state.SetLabel(file.name);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("qxmenu.ini"));
  tallix::setUserDataDirectoryOverride(dir.path());
  if (!writeFile(path, file.bytes)) state.SkipWithError("cannot write the menu file");
  CWinApp app;
  const std::uint64_t linesBefore = tallix::iniSectionLinesRead();
  for (auto _ : state) {
    state.PauseTiming();
    auto* frame = new CFrameWnd;
    frame->LoadFrame(128);
    app.m_pMainWnd = frame;
    InitMenuPopupTable();
    state.ResumeTiming();
    BuildMenuExtension(path);
    state.PauseTiming();
    app.m_pMainWnd = nullptr;
    frame->DestroyWindow();
    // What the event loop would have handled: left in the queue, the
    // posted events of every build before would slow the next ones.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  state.counters["section_lines_read"] =
      double(tallix::iniSectionLinesRead() - linesBefore) / double(std::max<benchmark::IterationCount>(1, state.iterations()));
}
BENCHMARK(BuildMenusAlone)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The child's side of one start: the program started in the world under
// `home`; prints the process's CPU time in milliseconds.
int startOnce(int argc, char** argv, const QString& home) {
  QApplication application(argc, argv);
  isolate(home);
  CQXApp app;
  if (!startToShownWindow(app)) return 1;
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  const double ms = double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 +
                    double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-3;
  std::printf("%.3f\n", ms);
  std::fflush(stdout);
  std::_Exit(0);  // the start is what is measured, not the exit
}

// One start in a fresh process; its CPU time in ms, or -1 when it failed.
double freshStart(const QString& home) {
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start-once"), home});
  if (!child.waitForFinished(-1) || child.exitCode() != 0) return -1;
  bool ok = false;
  const double ms = child.readAllStandardOutput().trimmed().toDouble(&ok);
  return ok ? ms : -1;
}

void compareStarts(const QString& home) {
  const QString path = home + QStringLiteral("/data/qxmenu.ini");
  std::printf("\nStart of the program, a fresh process from exec to the shown main window, with a menu extension\n"
              "file of at most %lld bytes (process CPU time, fastest of the runs, taken in turn):\n",
              static_cast<long long>(kFileBound));
  std::printf("%-28s %9s %5s %9s %9s %6s\n", "file", "bytes", "runs", "none ms", "file ms", "ratio");
  for (const MenuFile& file : menuFiles()) {
    double none = 1e9, with = 1e9;
    int runs = 0;
    // A slow file is run only twice: its figure is far from the target.
    for (; runs < 12 && (runs < 2 || with < 2000); ++runs) {
      QFile::remove(path);
      const double a = freshStart(home);
      if (!writeFile(path, file.bytes)) return;
      const double b = freshStart(home);
      if (a < 0 || b < 0) {
        std::printf("%-28s start failed\n", file.name);
        break;
      }
      none = std::min(none, a);
      with = std::min(with, b);
    }
    QFile::remove(path);
    const double ratio = with / none;
    std::printf("%-28s %9lld %5d %9.1f %9.1f %6.2f  target 1.2: %s\n", file.name,
                static_cast<long long>(file.bytes.size()), runs, none, with, ratio, tallix::test::verdict(ratio <= 1.2));
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 3 && std::strcmp(argv[1], "--start-once") == 0) return startOnce(argc, argv, QString::fromLocal8Bit(argv[2]));
  QApplication application(argc, argv);
  QTemporaryDir home;
  isolate(home.path());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  tallix::setUserDataDirectoryOverride(home.filePath(QStringLiteral("data")));
  compareStarts(home.path());
  return 0;
}
