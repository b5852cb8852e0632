// The program QXLWIN32.
#include "app/OldDataLibraryImport.h"
#include "app/QXApp.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "pages/QXPrintView.h"
#include "pages/QXViewTable.h"

#include <QApplication>
#include <QEvent>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int exitCode = 0;
  {
    // Old documents are read through QXL16Data.
    CQXOldDataLibraryImport oldFiles;
    CQXApp app;
    // The page views, also the frame's fallback view, by class name.
    RegisterQXPageClasses();
    CQXDoc::SetSelectionViewFunction(&ShowSelectionView);
    CQXMainFrame::SetPrintFunctions({&CanPrintCurrentItem, &PrintCurrentItem});
    SetOldFileImport(&oldFiles);
    exitCode = AfxWinMain();
    // Windows that delete themselves after their last event go now, while
    // the language library they were built from is still loaded; the
    // application object frees it last.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return exitCode;
}
