// Opening a document of 5,000 programs: the store's directory read, the
// records checked and the whole tree filled (the programs' folder keeps its
// entries in order).
#include "app/DocManagerEx.h"
#include "app/QXDoc.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "datamodel/OrvoItemStore.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/WinApp.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using tallix::test::TestEnvironment;

void BM_OpenFiveThousandPrograms(benchmark::State& state) {
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  SetMessageBoxHandler([](const MessageBoxRequest&) { return IDOK; });
  QTemporaryDir dir;
  CWinApp app;
  app.m_pDocManager = std::make_unique<CDocManagerEx>();
  app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CFrameWnd),
                                              RUNTIME_CLASS(CQXTreeView)));
  app.OnFileNew();
  auto* doc = qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
  for (int i = 0; i < 5000; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "\\Calculator\\Program\\P%05d", i);
    OrvoNodeInfo node;
    node.SetPath(name);
    node.SetDescription(name + 20);
    node.valueB = 4001;
    doc->GetItemStore()->AddNode(&node);
  }
  const QString path = dir.filePath(QStringLiteral("big.qxd"));
  doc->OnSaveDocument(path);
  for (auto _ : state) {
    doc->OnNewDocument();
    QElapsedTimer timer;
    timer.start();
    const BOOL opened = doc->OpenDocumentFile(path);
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    if (!opened || doc->GetTreeView()->GetTreeCtrl().GetCount() < 5000) state.SkipWithError("not opened");
  }
  if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
}

BENCHMARK(BM_OpenFiveThousandPrograms)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tallix::test::isolateProcess();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
