#include "platform/CommandLineInfo.h"

namespace {

bool isKnownFlag(const QString& text) {
  static const char* const flags[] = {"p", "pt", "dde", "embedding", "automation", "unregister", "unregserver"};
  for (const char* f : flags)
    if (text.compare(QLatin1String(f), Qt::CaseInsensitive) == 0) return true;
  return false;
}

}  // namespace

void CCommandLineInfo::ParseParam(const QString& param, BOOL flag, BOOL last) {
  if (flag) {
    const QString f = param.toLower();
    if (f == QLatin1String("pt")) m_nShellCommand = FilePrintTo;
    else if (f == QLatin1String("p")) m_nShellCommand = FilePrint;
    else if (f == QLatin1String("unregister") || f == QLatin1String("unregserver")) m_nShellCommand = AppUnregister;
    else if (f == QLatin1String("dde")) m_nShellCommand = FileDDE;
    else if (f == QLatin1String("embedding")) {
      m_bShowSplash = FALSE;
      m_bRunEmbedded = TRUE;
    } else if (f == QLatin1String("automation")) {
      m_bShowSplash = FALSE;
      m_bRunAutomated = TRUE;
    }
  } else if (m_strFileName.isEmpty()) {
    m_strFileName = param;
  } else if (m_nShellCommand == FilePrintTo && m_strPrinterName.isEmpty()) {
    m_strPrinterName = param;
  } else if (m_nShellCommand == FilePrintTo && m_strDriverName.isEmpty()) {
    m_strDriverName = param;
  } else if (m_nShellCommand == FilePrintTo && m_strPortName.isEmpty()) {
    m_strPortName = param;
  }
  if (last) {
    if (m_nShellCommand == FileNew && !m_strFileName.isEmpty()) m_nShellCommand = FileOpen;
    m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
  }
}

void CCommandLineInfo::ParseArguments(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    const bool flag = arg.size() > 1 && (arg[0] == u'-' || (arg[0] == u'/' && isKnownFlag(arg.mid(1))));
    ParseParam(flag ? arg.mid(1) : arg, flag, i + 1 == arguments.size());
  }
}
