// Documents at scale: N programs (500, 5,000, 50,000; or the sizes given as
// arguments) received into a real document through SaveItem, saved once
// under a name and four times more unchanged, and opened again to a filled
// tree. Every time and memory figure stands beside a bare Qt tree of N rows
// built in the same run. Adding, opening and the bare trees are timed in CPU
// time of the thread (all of their work is on it), which a machine shared
// with other work leaves as it is; saves, which wait for the disk, in wall
// time.
//
//   document_bench [N ...]
//
// Columns: add (all N programs filed, tree entries included), open (to the
// filled tree; the fastest of five, each beside a bare tree built just
// before it, whose fastest is the comparison: waiting only ever adds time), save (first save, then the mean of the four unchanged saves),
// file size after the first and after the fifth save, and the peak memory of
// one more open per program (RSS high-water mark over the level before, after
// returning free heap to the system; not timed, since that return makes the
// next allocations slower).
#include "app/DocManagerEx.h"
#include "app/QXDoc.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXProgramItem.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"
#include "tests/support/BenchmarkSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

using tallix::test::peakSince;
using tallix::test::startPeak;
using tallix::test::sizesFrom;
using tallix::test::verdict;
using tallix::test::TestEnvironment;

// The CPU time of this thread, in seconds.
double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Unique 8-character program names in a scattered order.
std::string programName(int i) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned v = unsigned(i) * 2654435761u;  // a bijection of 32-bit values
  std::string name(8, 'A');
  for (int k = 7; k >= 0; --k) {
    name[size_t(k)] = kDigits[v % 36];
    v /= 36;
  }
  return name;
}

std::unique_ptr<CQXDocEntry> receivedProgram(int i) {
  auto* program = new CQXProgramItem;
  program->SetName(programName(i).c_str());
  std::vector<BYTE> text(size_t(20 + i % 180), BYTE(0x41 + i % 26));
  text.back() = 0xFF;
  program->SetDataBlock(text.data(), int(text.size()));
  auto entry = std::make_unique<CQXDocEntry>();
  entry->SetItem(program);
  entry->SetKind(kKindProgram);
  return entry;
}

struct BareTree {
  double seconds = 0;
  double bytesPerRow = 0;
};

// A bare Qt tree of `rows` rows under one folder row, built row by row.
BareTree bareTree(int rows, bool measureMemory = false) {
  const double start = measureMemory ? startPeak() : 0;
  const double began = cpuSeconds();
  auto* tree = new QTreeWidget;
  auto* folder = new QTreeWidgetItem(tree, QStringList{QStringLiteral("Program")});
  for (int i = 0; i < rows; ++i) {
    auto* row = new QTreeWidgetItem(folder, QStringList{QString::fromLatin1(programName(i).c_str())});
    row->setData(0, Qt::UserRole, i);
  }
  folder->setExpanded(true);
  BareTree result;
  result.seconds = cpuSeconds() - began;
  if (measureMemory) result.bytesPerRow = peakSince(start) / rows;
  delete tree;
  return result;
}

double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

struct Figures {
  int n = 0;
  double add = 0, open = 0, save = 0, resave = 0;
  BareTree bareAdd, bareOpen;
  double size1 = 0, size5 = 0;
  double memory = 0;
  bool ok = true;
};

Figures measure(int n, const QString& path) {
  Figures f;
  f.n = n;
  CWinApp app;
  app.m_pDocManager = std::make_unique<CDocManagerEx>();
  app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CFrameWnd),
                                              RUNTIME_CLASS(CQXTreeView)));
  app.OnFileNew();
  auto* doc = qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));

  std::vector<std::unique_ptr<CQXDocEntry>> entries;
  entries.reserve(size_t(n));
  for (int i = 0; i < n; ++i) entries.push_back(receivedProgram(i));
  f.bareAdd.seconds = fastest({bareTree(n).seconds, bareTree(n).seconds, bareTree(n).seconds});
  double began = cpuSeconds();
  for (auto& entry : entries) {
    char written[256] = "";
    if (!doc->StoreReceivedItem(entry.get(), 1) || !doc->SaveItem(entry.get(), written) || !written[0]) f.ok = false;
  }
  f.add = cpuSeconds() - began;
  entries.clear();

  QElapsedTimer timer;
  timer.start();
  if (!doc->OnSaveDocument(path)) f.ok = false;
  f.save = double(timer.nsecsElapsed()) / 1e9;
  f.size1 = double(QFileInfo(path).size());
  timer.restart();
  for (int k = 0; k < 4; ++k)
    if (!doc->OnSaveDocument(path)) f.ok = false;
  f.resave = double(timer.nsecsElapsed()) / 4e9;
  f.size5 = double(QFileInfo(path).size());

  std::vector<double> opens, bares;
  for (int k = 0; k < 5; ++k) {
    doc->OnNewDocument();
    bares.push_back(bareTree(n).seconds);
    began = cpuSeconds();
    if (!doc->OpenDocumentFile(path) || doc->GetTreeView()->GetTreeCtrl().GetCount() < UINT(n)) f.ok = false;
    opens.push_back(cpuSeconds() - began);
  }
  f.open = fastest(opens);
  f.bareOpen.seconds = fastest(bares);
  doc->OnNewDocument();
  f.bareOpen.bytesPerRow = bareTree(n, true).bytesPerRow;
  const double start = startPeak();
  if (!doc->OpenDocumentFile(path)) f.ok = false;
  f.memory = peakSince(start) / n;
  doc->OnNewDocument();
  if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  tallix::test::isolateProcess();
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  SetMessageBoxHandler([](const MessageBoxRequest&) { return IDOK; });
  const std::vector<int> sizes = sizesFrom(argc, argv, {500, 5000, 50000});

  QTemporaryDir dir;
  std::printf("%8s | %9s %9s %6s | %9s %9s %6s | %8s %8s | %9s %9s %5s | %8s %8s\n", "programs", "add cpu", "bare",
              "ratio", "open cpu", "bare", "ratio", "save s", "resave s", "size 1", "size 5", "ratio", "B/item",
              "bare B/row");
  std::vector<Figures> all;
  for (int n : sizes) {
    const Figures f = measure(n, dir.filePath(QStringLiteral("bench-%1.qxd").arg(n)));
    all.push_back(f);
    std::printf("%8d | %9.3f %9.3f %6.1f | %9.3f %9.3f %6.1f | %8.3f %8.3f | %9.0f %9.0f %5.2f | %8.0f %8.0f%s\n", f.n,
                f.add, f.bareAdd.seconds, f.add / f.bareAdd.seconds, f.open, f.bareOpen.seconds,
                f.open / f.bareOpen.seconds, f.save, f.resave, f.size1, f.size5, f.size5 / f.size1, f.memory,
                f.bareOpen.bytesPerRow, f.ok ? "" : "  (FAILED)");
    std::fflush(stdout);
  }
  // The targets, for the sizes that were run.
  for (const Figures& f : all) {
    const double openRatio = f.open / f.bareOpen.seconds;
    if (f.n == 50000) {
      std::printf("50,000: add %.2f s (target 5 s or less): %s; open %.1f x bare tree (target 4): %s\n", f.add,
                  verdict(f.add <= 5.0), openRatio, verdict(openRatio <= 4.0));
    } else if (f.n == 5000) {
      std::printf("5,000: open %.1f x bare tree (target 2): %s\n", openRatio, verdict(openRatio <= 2.0));
    }
    std::printf("%d: size after five saves %.2f x the first (target 1.1): %s\n", f.n, f.size5 / f.size1,
                verdict(f.size5 <= 1.1 * f.size1));
  }
  return 0;
}
