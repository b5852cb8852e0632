// CQXSettingsDialog: Options > Réglages, a modal sheet of three pages (the
// yes/no options, the picture colours, the colour ranges of imported
// bitmaps). Every value lives in the profile; a page reads its values when it
// is first shown and writes them on OK, so Cancel, and a page never shown,
// write nothing. The Help button shows the topic of the active page.
#pragma once

#include "app/QXColorPages.h"
#include "classlib/OrvoPropertyPage.h"
#include "classlib/OrvoPropertySheet.h"

class QListWidget;

// The check list of yes/no settings ("Settings": "Query Rcv Overwrite",
// "Query Snd Overwrite", "Round to 10 Digits"), each stored as 1 or 0.
class CQXOptionsPage : public COrvoPropertyPage {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 520;
  CQXOptionsPage();
  ~CQXOptionsPage() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  QListWidget* list_ = nullptr;
};

class CQXSettingsDialog : public COrvoPropertySheet {
  Q_OBJECT

 public:
  static constexpr UINT kCaptionId = 10103;  // "Réglages"
  explicit CQXSettingsDialog(QWidget* parent = nullptr, UINT firstPage = 0);
  ~CQXSettingsDialog() override;
  DECLARE_MESSAGE_MAP()

  CQXOptionsPage m_optionsPage;
  CQXColorsPage m_colorsPage;
  CQXColorRecognitionPage m_colorRecognitionPage;
  // Set when the sheet's window goes: whether a drawing colour was chosen.
  BOOL m_bColorsChanged = FALSE;

  // Help (button 9): the topic 0x20000 + the active page's template id.
  void OnHelp();

 protected:
  void OnDestroy() override;
};
