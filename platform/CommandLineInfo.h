// The command line as the application's start-up reads it: one file name
// and the shell's flags, given after '-' or '/' in any letter case:
// "p" (print), "pt" (print to; printer, driver and port follow), "dde",
// "embedding", "automation", "unregister" or "unregserver".
#pragma once

#include "platform/WinTypes.h"

#include <QString>
#include <QStringList>

class CCommandLineInfo {
 public:
  enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing = -1 };

  CCommandLineInfo() = default;
  virtual ~CCommandLineInfo() = default;

  // One argument; `flag` when it came after '-' or '/' (without that
  // character), `last` for the last argument.
  virtual void ParseParam(const QString& param, BOOL flag, BOOL last);

  // Parses every argument after the program name. An argument that starts
  // with '-' is a flag; one that starts with '/' is a flag only when a flag
  // of the list follows, since a path begins with '/' here.
  void ParseArguments(const QStringList& arguments);

  int m_nShellCommand = FileNew;
  BOOL m_bShowSplash = TRUE;
  BOOL m_bRunEmbedded = FALSE;
  BOOL m_bRunAutomated = FALSE;
  QString m_strFileName;
  QString m_strPrinterName;
  QString m_strDriverName;
  QString m_strPortName;
};
