// File > Propriétés: a sheet of one page that edits five texts of the
// document's summary information (title, subject, author, keywords,
// comments). The page reads them when it opens and writes them back on OK;
// they reach the file at the next save.
#pragma once

#include "classlib/OrvoPropertyPage.h"
#include "classlib/OrvoPropertySheet.h"

#include <string>

class CQXSummaryInfo;

class CQXDocPropertiesPage : public COrvoPropertyPage {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 501;
  explicit CQXDocPropertiesPage(CQXSummaryInfo* summary = nullptr);
  ~CQXDocPropertiesPage() override;

  void SetSummaryInfo(CQXSummaryInfo* summary) { summary_ = summary; }
  // The platform's page OK, then the five texts into the summary
  // information.
  void OnOK() override;

  // Windows-1252 bytes, as the summary information keeps them; the comment's
  // lines end in "\r\n" there.
  std::string m_title, m_subject, m_author, m_keywords, m_comments;

 protected:
  // Loading takes the texts from the summary information first.
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  CQXSummaryInfo* summary_;  // not owned
};

class CQXDocPropertiesSheet : public COrvoPropertySheet {
  Q_OBJECT

 public:
  static constexpr UINT kCaptionId = 10104;  // "Propriétés fichier"
  explicit CQXDocPropertiesSheet(CQXSummaryInfo* summary, QWidget* parent = nullptr);
  ~CQXDocPropertiesSheet() override;

  CQXDocPropertiesPage m_page;
};
