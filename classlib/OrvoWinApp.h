// COrvoWinApp: the application base. It routes File New, File Open and
// Print Setup to the application's standard handlers and About to the
// About box, and loads the standard profile settings at start-up.
#pragma once

#include "platform/WinApp.h"

#include <functional>
#include <memory>

class CDialog;

class COrvoWinApp : public CWinApp {
  Q_OBJECT

 public:
  explicit COrvoWinApp(QObject* parent = nullptr);
  ~COrvoWinApp() override;
  DECLARE_MESSAGE_MAP()

  // The base start-up (FALSE ends it), then the recent-file list of four
  // entries; TRUE.
  BOOL InitInstance() override;

  // The About box is the program's (it lives above the class library): the
  // application object hands over how to make one.
  using AboutDialogFactory = std::function<std::unique_ptr<CDialog>()>;
  void SetAboutDialogFactory(AboutDialogFactory factory) { aboutFactory_ = std::move(factory); }
  // Runs a new About box modally; nothing without a factory.
  void OnAppAbout();

 private:
  AboutDialogFactory aboutFactory_;
};
